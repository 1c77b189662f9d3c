#include "common/exact_sum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

#include "common/numbers.h"

namespace korav {
namespace {

struct ParseCase {
  const char* text;
  bool number;
  const char* micros;  // MicrosText of the millionths; nullptr when they are not exact
};

// Every text reads as ParseDouble reads it; the millionths are there only
// for at most six decimals once the exponent is applied, under 10^32.
TEST(ParseAmountTest, ReadsTheTextsParseDoubleReadsWithTheirMillionths) {
  for (const ParseCase& c : std::initializer_list<ParseCase>{
           {"12.5", true, "12.500000"},
           {"  -3", true, "-3.000000"},
           {"+0.000001", true, "0.000001"},
           {"-.5", true, "-0.500000"},
           {"5.", true, "5.000000"},
           {"1.5E+2", true, "150.000000"},
           {"1234567e-6", true, "1.234567"},
           {"12345678901.2345678e1", true, "123456789012.345678"},
           {"1.1234560", true, "1.123456"},
           {"1.50000000000000000000000000000000000000000000000", true, "1.500000"},
           {"000000000000000000000000000000000000000000012", true, "12.000000"},
           {"-0", true, "0.000000"},
           {"0.0e-4000", true, "0.000000"},
           {"1E+16", true, "10000000000000000.000000"},
           {"9007199254.740993", true, "9007199254.740993"},
           {"1e31", true, "10000000000000000000000000000000.000000"},
           {"-99999999999999999999999999999999.999999", true,
            "-99999999999999999999999999999999.999999"},
           {"1234567e-7", true, nullptr},
           {"0.0000001", true, nullptr},
           {"1.0000001", true, nullptr},
           {"1e32", true, nullptr},
           {"-123456789012345678901234567890123", true, nullptr},
           {"1e300", true, nullptr},
           {"1e400", false, nullptr},
           {"", false, nullptr},
           {"  ", false, nullptr},
           {"+", false, nullptr},
           {"-", false, nullptr},
           {".", false, nullptr},
           {"e5", false, nullptr},
           {"1e", false, nullptr},
           {"1e+", false, nullptr},
           {"+-1", false, nullptr},
           {"--1", false, nullptr},
           {"1 ", false, nullptr},
           {"1.2.3", false, nullptr},
           {"1,5", false, nullptr},
           {"inf", false, nullptr},
           {"nan", false, nullptr},
           {"0x10", false, nullptr},
       }) {
    Amount amount{7, 7, true};
    double value = 7;
    ASSERT_EQ(ParseDouble(c.text, value), c.number) << c.text;
    ASSERT_EQ(ParseAmount(c.text, amount), c.number) << c.text;
    if (!c.number) {
      EXPECT_EQ(amount.value, 7) << "left unchanged for " << c.text;
      continue;
    }
    EXPECT_EQ(std::memcmp(&amount.value, &value, sizeof value), 0)
        << c.text << " reads " << amount.value << ", ParseDouble " << value;
    EXPECT_EQ(amount.exact, c.micros != nullptr) << c.text;
    if (c.micros != nullptr) {
      EXPECT_EQ(ExactSum::MicrosText(amount.micros), c.micros) << c.text;
    }
  }
  Amount zero;
  ASSERT_TRUE(ParseAmount("-0.00", zero));
  EXPECT_TRUE(std::signbit(zero.value)) << "as ParseDouble reads it";
}

// Read from a buffer that goes on after the text, an amount reads as
// ParseAmount reads it, whatever the bytes that follow.
TEST(ParseAmountTest, APaddedAmountReadsAsTheText) {
  const char* const texts[] = {"37757.77",
                               "-37757.77",
                               "+1",
                               "0",
                               "-0.00",
                               "1.",
                               "-.5",
                               "9999999.999999",
                               "1234567.1234567",
                               "12345678.5",
                               "12345678",
                               "  12.5",
                               "12.5 ",
                               "1.2.3",
                               "1,5",
                               "1e5",
                               "",
                               "-",
                               "+",
                               ".",
                               "0.000001",
                               "7.0000000",
                               "12a",
                               "1.2a",
                               "1.12345a",
                               "9007199254.740993",
                               "\xff"
                               "1"};
  for (const char* text : texts) {
    for (const char* after : {"", "12345678", ",A,B", ".5", "\xff\xff\xff\xff\xff\xff\xff\xff"}) {
      const std::string buffer = std::string(text) + after + std::string(8, '9');
      const std::string_view padded(buffer.data(), std::strlen(text));
      Amount expected{7, 7, true};
      Amount got{7, 7, true};
      ASSERT_EQ(ParsePaddedAmount(padded, got), ParseAmount(text, expected)) << text << after;
      EXPECT_EQ(std::memcmp(&got.value, &expected.value, sizeof got.value), 0) << text << after;
      EXPECT_EQ(got.exact, expected.exact) << text << after;
      EXPECT_TRUE(got.micros == expected.micros) << text << after;
    }
  }
}

ExactSum SumOf(std::initializer_list<const char*> texts) {
  ExactSum sum;
  for (const char* text : texts) {
    Amount amount;
    EXPECT_TRUE(ParseAmount(text, amount)) << text;
    sum.Add(amount);
  }
  return sum;
}

TEST(ExactSumTest, TheOrderOfTheAmountsDoesNotMatter) {
  const ExactSum sum = SumOf({"1E+16", "1", "1", "-1E+16", "1"});
  EXPECT_EQ(sum.Value(), 3);
  EXPECT_TRUE(sum.IsExact());
  EXPECT_EQ(1e16 + 1 + 1 - 1e16 + 1, 1) << "what adding the doubles in file order gives";
}

// Beyond 2^53 the sum is rounded once, to the nearest double, a tie to the
// even one; doubles there lie 2 apart.
TEST(ExactSumTest, ALargeSumIsCorrectlyRounded) {
  struct Case {
    std::initializer_list<const char*> texts;
    double expected;
  };
  for (const Case& c : {
           Case{{"9007199254740992", "1"}, 9007199254740992.0},
           Case{{"9007199254740992", "1", "0.000001"}, 9007199254740994.0},
           Case{{"9007199254740992", "3"}, 9007199254740996.0},
           Case{{"-9007199254740992", "-1"}, -9007199254740992.0},
           Case{{"-9007199254740992", "-1.000001"}, -9007199254740994.0},
           Case{{"12345678901234.56", "0.01"}, 12345678901234.57},
           Case{{"0.1", "0.2"}, 0.3},
       }) {
    const ExactSum sum = SumOf(c.texts);
    EXPECT_EQ(sum.Value(), c.expected) << *c.texts.begin();
    EXPECT_TRUE(sum.IsExact());
  }
}

TEST(ExactSumTest, AmountsNotHeldInMillionthsAreAddedBeside) {
  const ExactSum fine = SumOf({"1", "0.1234567"});
  EXPECT_FALSE(fine.IsExact());
  EXPECT_EQ(fine.Value(), 1.0 + 0.1234567);
  // Two amounts of nearly 10^32 overflow the millionths; the second is added
  // as a double.
  const ExactSum large =
      SumOf({"99999999999999999999999999999999", "99999999999999999999999999999999", "1"});
  EXPECT_FALSE(large.IsExact());
  EXPECT_NEAR(large.Value(), 2e32, 2e32 * 1e-15);
}

TEST(ExactSumTest, SumsAddAndSubtract) {
  ExactSum sum = SumOf({"1E+16", "0.5"});
  sum.Add(SumOf({"0.25", "0.0000001"}));
  sum.Subtract(SumOf({"0.75", "1E+16"}));
  EXPECT_EQ(sum.micros(), 0);
  EXPECT_EQ(sum.Value(), 0.0000001);
}

TEST(ExactSumTest, MicrosTextWritesSixDecimals) {
  constexpr Int128 kLargest = ~(Int128{1} << 127);
  for (const auto& [micros, text] :
       {std::pair<Int128, const char*>{0, "0.000000"},
        {1, "0.000001"},
        {-1, "-0.000001"},
        {-12500000, "-12.500000"},
        {kLargest, "170141183460469231731687303715884.105727"},
        {-kLargest - 1, "-170141183460469231731687303715884.105728"}}) {
    EXPECT_EQ(ExactSum::MicrosText(micros), text);
  }
}

}  // namespace
}  // namespace korav
