#include "common/numbers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <utility>

namespace korav {
namespace {

TEST(ParseIntTest, WholeTextMustBeAnInteger) {
  int32_t value = 99;
  EXPECT_TRUE(ParseInt("  -42", value));
  EXPECT_EQ(value, -42);
  EXPECT_TRUE(ParseInt("+7", value));
  EXPECT_EQ(value, 7);
  for (const char* bad : {"", "   ", "12x", "1.5", "+-3", "- 3", "x", "99999999999"}) {
    value = 5;
    EXPECT_FALSE(ParseInt(bad, value)) << bad;
    EXPECT_EQ(value, 5) << "left unchanged for " << bad;
  }
}

TEST(ParseDoubleTest, DecimalFormsOnly) {
  double value = 0;
  EXPECT_TRUE(ParseDouble(" -1234.50", value));
  EXPECT_DOUBLE_EQ(value, -1234.5);
  EXPECT_TRUE(ParseDouble("+.25", value));
  EXPECT_DOUBLE_EQ(value, 0.25);
  EXPECT_TRUE(ParseDouble("1.5E3", value));
  EXPECT_DOUBLE_EQ(value, 1500);
  for (const char* bad : {"", "abc", "1,5", "inf", "nan", "-inf", "1e", ".", "0x10", "12 "}) {
    value = 3;
    EXPECT_FALSE(ParseDouble(bad, value)) << bad;
    EXPECT_EQ(value, 3) << "left unchanged for " << bad;
  }
}

TEST(LeadingIntTest, ReadsTheLeadingDigits) {
  EXPECT_EQ(LeadingInt("12x"), 12);
  EXPECT_EQ(LeadingInt(" -3a"), -3);
  EXPECT_EQ(LeadingInt("x12"), 0);
  EXPECT_EQ(LeadingInt(""), 0);
  EXPECT_EQ(LeadingInt("99999999999999"), 2147483647);
  EXPECT_EQ(LeadingInt("-99999999999999"), -2147483647 - 1);
}

TEST(IntOrTest, FallbackForNonIntegers) {
  EXPECT_EQ(IntOr("8", 0), 8);
  EXPECT_EQ(IntOr("eight", 0), 0);
}

}  // namespace
}  // namespace korav

namespace korav {
namespace {

TEST(FormatTest, GeneralAndFixedForms) {
  EXPECT_EQ(FormatGeneral(1.5), "1.5");
  EXPECT_EQ(FormatGeneral(3), "3");
  EXPECT_EQ(FormatGeneral(1e20), "1E+20");
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatFixed2(1234.5), "1234.50");
  EXPECT_EQ(FormatFixed2(-0.005), "-0.01");
  const std::pair<double, const char*> grouped[] = {
      {0, "0.00"},          {999.999, "1,000.00"},         {-123.4, "-123.40"},
      {-1234, "-1,234.00"}, {1234567.891, "1,234,567.89"}, {-100000, "-100,000.00"},
  };
  for (const auto& [value, text] : grouped) EXPECT_EQ(FormatGrouped(value), text) << value;
}

TEST(FormatTest, HugeAmountsArePrintedInFull) {
  const std::string huge = FormatFixed2(1e70);
  EXPECT_EQ(huge.size(), 74u) << "71 digits, the point and two decimals";
  EXPECT_EQ(huge.substr(0, 16), "1000000000000000");
  EXPECT_EQ(huge.substr(71), ".00");
  EXPECT_EQ(FormatFixed2(-1e300).size(), 305u) << "sign, 301 digits, point, two decimals";
  EXPECT_EQ(FormatProportion(1e70).size(), 76u);
  // The longest of all: every digit of the largest double, worked out as the
  // exact value of (2 - 2^-52) * 2^1023.
  const std::string largest =
      "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955"
      "86327668781715404589535143824642343213268894641827684675467035375169860499105765512820762"
      "45490090389328944075868508455133942304583236903222948165808559332123348274797826204144723"
      "168738177180919299881250404026184124858368";
  const double max = std::numeric_limits<double>::max();
  EXPECT_EQ(FormatFixed2(-max), "-" + largest + ".00");
  EXPECT_EQ(FormatProportion(-max), "-" + largest + ".0000");
  EXPECT_EQ(FormatGrouped(max, 0).size(), 309u + 102u) << "309 digits in 103 groups";
  EXPECT_EQ(FormatGeneral(-max), "-1.79769313486232E+308");
  std::string out = "x";
  AppendFixed(out, 2.5, 0);
  AppendFixed(out, 2.5, 9);
  EXPECT_EQ(out, "x22.5000") << "decimals beyond four are four";
}

TEST(FormatTest, NoFormWritesASignedZeroOrAFigureThatIsNotFinite) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double value : {inf, -inf, nan, -nan}) {
    EXPECT_EQ(FormatGeneral(value), kNotFiniteText) << value;
    EXPECT_EQ(FormatFixed2(value), kNotFiniteText) << value;
    EXPECT_EQ(FormatGrouped(value), kNotFiniteText) << value;
    EXPECT_EQ(FormatProportion(value), "       #NUM!") << value;
  }
  // Negative amounts that round to zero lose their sign; the smallest that
  // does not keeps it.
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  for (const double value : {-0.0, -0.00004, -1e-300}) {
    EXPECT_EQ(FormatFixed2(value), "0.00") << value;
    EXPECT_EQ(FormatGrouped(value, 0), "0") << value;
    EXPECT_EQ(FormatProportion(value), "      0.0000") << value;
  }
  EXPECT_EQ(FormatFixed2(-0.006), "-0.01");
  EXPECT_EQ(FormatProportion(-0.00006), "     -0.0001");
  std::string out;
  AppendFixed(out, -0.04, 1);
  AppendFixed(out, nan, 1);
  EXPECT_EQ(out, "0.0#NUM!");
}

// The shortest text that reads back as the same double: 0.1 + 0.2 is the
// double just above 0.3, 1/3 needs sixteen digits, and no figure is grouped
// or rounded to cents.
TEST(FormatTest, ShortestFormReadsBackAsTheSameDouble) {
  const std::pair<double, const char*> cases[] = {
      {62062.5, "62062.5"},
      {0.1 + 0.2, "0.30000000000000004"},
      {1.0 / 3.0, "0.3333333333333333"},
      {-1234567.891, "-1234567.891"},
      {1e20, "1e+20"},
      {1e-7, "1e-07"},
      {-0.0, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "#NUM!"},
      {-std::numeric_limits<double>::infinity(), "#NUM!"},
  };
  for (const auto& [value, text] : cases) {
    std::string out = "x";
    AppendShortest(out, value);
    EXPECT_EQ(out, "x" + std::string(text)) << text;
    double read = 0;
    if (std::isfinite(value)) {
      EXPECT_TRUE(ParseDouble(text, read) && read == value) << text;
    }
  }
}

TEST(FormatTest, ZeroPaddedAsPrintfPadsThem) {
  const struct {
    int32_t value;
    int width;
    const char* expected;
  } cases[] = {{7, 3, "007"},
               {1234, 2, "1234"},
               {0, 0, "0"},
               {-7, 3, "-07"},
               {std::numeric_limits<int32_t>::min(), 12, "-02147483648"}};
  for (const auto& c : cases) {
    std::string out = "k";
    AppendZeroPadded(out, c.value, c.width);
    EXPECT_EQ(out, std::string("k") + c.expected) << c.value << " " << c.width;
  }
}

// A window sets the user's locale; numbers keep their "." all the same. The
// test compiles a locale with a decimal comma when none is installed.
TEST(FormatTest, ThePointStaysWhateverTheLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  const char* const comma_locale = "de_DE.UTF-8";
  if (std::setlocale(LC_NUMERIC, comma_locale) == nullptr) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("korav_locale_" + std::to_string(::getpid())))
            .string();
    const std::string compile =
        "localedef -i de_DE -f UTF-8 " + folder + "/" + comma_locale + " >/dev/null 2>&1";
    std::filesystem::create_directories(folder);
    if (std::system(compile.c_str()) == 0) {
      ::setenv("LOCPATH", folder.c_str(), 1);
      std::setlocale(LC_NUMERIC, comma_locale);
      ::unsetenv("LOCPATH");
    }
    std::filesystem::remove_all(folder);
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  const bool comma = std::string(probe) == "0,5";
  const std::string fixed = FormatFixed2(1234.5);
  const std::string general = FormatGeneral(0.25);
  const std::string proportion = FormatProportion(0.25);
  const std::string grouped = FormatGrouped(1234.5);
  std::setlocale(LC_NUMERIC, before.c_str());
  if (!comma) GTEST_SKIP() << "no locale with a decimal comma could be set";
  EXPECT_EQ(fixed, "1234.50");
  EXPECT_EQ(general, "0.25");
  EXPECT_EQ(proportion, "      0.2500");
  EXPECT_EQ(grouped, "1,234.50");
}

}  // namespace
}  // namespace korav
