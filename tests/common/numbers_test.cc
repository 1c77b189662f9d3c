#include "common/numbers.h"

#include <gtest/gtest.h>

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
}

}  // namespace
}  // namespace korav
