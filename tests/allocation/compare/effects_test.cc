// The effect arithmetic of a comparison, worked by hand, and the reading of
// the plain CSV records of the Results Export.
#include "allocation/compare/effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "allocation/compare/csv_records.h"
#include "tests/allocation/test_support.h"

namespace korav {
namespace {

TEST(SenderEffectTest, CostAndShareEffectsAddUpToTheFlowsChange) {
  struct Case {
    const char* name;
    SenderFlow a;
    SenderFlow b;
    Effect expected;
  };
  const Case cases[] = {
      // 100 at 0.6 sends 60; 120 at 0.5 sends 60: the cost rose by 20 x 0.6
      // and the share fell by 120 x 0.1.
      {"cost up, share down", {100, 0.6, 60, 0}, {120, 0.5, 60, 0}, {12, -12, 0}},
      // A new line: all share effect, as A's share is 0.
      {"route in B only", {0, 0, 0, 0}, {50, 0.2, 10, 0}, {0, 10, 10}},
      // The sender still allocates in B (90) but no longer to the pool:
      // 10 x 0.25 more cost, 90 x 0.25 less share.
      {"route in A only", {80, 0.25, 20, 0}, {90, 0, 0, 0}, {2.5, -22.5, -20}},
      // A variance moves no share: 5 to 8 is a cost effect of 3.
      {"variance", {0, 0, 0, 5}, {0, 0, 0, 8}, {3, 0, 3}},
  };
  for (const Case& c : cases) {
    const Effect effect = SenderEffect(c.a, c.b);
    EXPECT_NEAR(effect.cost, c.expected.cost, 1e-9) << c.name;
    EXPECT_NEAR(effect.share, c.expected.share, 1e-9) << c.name;
    EXPECT_NEAR(effect.change, c.expected.change, 1e-9) << c.name;
    EXPECT_NEAR(effect.cost + effect.share, effect.change, 1e-9) << c.name;
  }
}

TEST(CentsTest, FiguresAreTheCentsReportsPrintAndNothingElse) {
  EXPECT_EQ(CentsOf(-12.5), Cents{-1250});
  EXPECT_EQ(CentsOf(1234.567), Cents{123457});
  EXPECT_EQ(CentsOf(-0.004), Cents{0});
  // Every digit of a large figure, as FormatFixed2 prints it: 2^90 is exact.
  EXPECT_EQ(CentsOf(std::ldexp(1.0, 90)), (Cents{1} << 90) * 100);
  for (const double unprintable : {1e30, -2e300, std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_FALSE(CentsOf(unprintable)) << unprintable;
  }
  EXPECT_EQ(CentsText(0), "0.00");
  EXPECT_EQ(CentsText(-5), "-0.05");
  EXPECT_EQ(CentsText(123456), "1234.56");
  EXPECT_EQ(CentsText(-100), "-1.00");
}

// Each third of 1.00 prints as 0.33, each sixth as 0.17: a row is the sum of
// its printed effects, and the cent that the rows lack or have too many goes
// to the pool's own transactions, so that its rows add up to 1.00 as printed.
TEST(PrintEffectsTest, RowsAddUpToThePoolsChangeToTheCent) {
  const double third = 1.0 / 3;
  const std::optional<PrintedEffects> printed =
      PrintEffects(100, {{0.5 / 3, 0.5 / 3, third}, {third, 0, third}, {0, third, third}});
  ASSERT_TRUE(printed);
  ASSERT_EQ(printed->senders.size(), 3u);
  // 0.1666... prints as 0.17, so the first row's change is 0.34.
  EXPECT_EQ(printed->senders[0].cost, 17);
  EXPECT_EQ(printed->senders[0].share, 17);
  EXPECT_EQ(printed->senders[0].change, 34);
  EXPECT_EQ(printed->senders[1].cost, 33);
  EXPECT_EQ(printed->senders[1].share, 0);
  EXPECT_EQ(printed->senders[2].cost, 0);
  EXPECT_EQ(printed->senders[2].share, 33);
  EXPECT_EQ(printed->own, 0);
  Cents sum = printed->own;
  for (const PrintedEffect& row : printed->senders) {
    EXPECT_EQ(row.cost + row.share, row.change);
    sum += row.change;
  }
  EXPECT_EQ(sum, 100);
  const std::optional<PrintedEffects> thirds =
      PrintEffects(100, {{third, 0, third}, {third, 0, third}, {third, 0, third}});
  ASSERT_TRUE(thirds);
  EXPECT_EQ(thirds->own, 1);

  EXPECT_FALSE(PrintEffects(0, {{std::numeric_limits<double>::infinity(), 0, 1}}));
}

TEST(CsvRecordsTest, QuotedFieldsReadAsWrittenAndFaultsAreNamed) {
  struct Case {
    const char* text;
    std::vector<std::vector<std::string>> records;
    std::string fault;  // of the record after them
  };
  const Case cases[] = {
      {"a,b,\r\n,\r\n", {{"a", "b", ""}, {"", ""}}, ""},
      {"\"x, y\",\"say \"\"hi\"\"\",\"\"\r\n", {{"x, y", "say \"hi\"", ""}}, ""},
      {"\"two\r\nlines\",z\r\n", {{"two\r\nlines", "z"}}, ""},
      {"1,\"open\r\nnever closed\r\n",
       {},
       "a quoted field is not closed before the end of the file"},
      {"ok\r\n\"closed\"then,x\r\n", {{"ok"}}, "a quoted field goes on after its closing quote"},
  };
  ModelFolder folder;
  for (const Case& c : cases) {
    folder.Write("t.csv", c.text);
    LineReader lines;
    ASSERT_TRUE(lines.Open(folder.path("t.csv")));
    CsvRecordReader reader(lines);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    while (reader.Next(fields)) records.push_back(fields);
    EXPECT_EQ(records, c.records) << c.text;
    EXPECT_EQ(reader.Fault(), c.fault) << c.text;
  }
}

}  // namespace
}  // namespace korav
