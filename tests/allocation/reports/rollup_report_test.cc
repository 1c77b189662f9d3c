#include <gtest/gtest.h>

#include <algorithm>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// Pool T holds 4 with no region, 10 at DE (under EU), 6 at US, and 1 at EU
// with no product; hierarchy order DE, EU, US.
class RollupReportTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("DIMH,1,Region");
    Parse("DIMH,2,Product");
    for (const char* record : {"EU,Europe", "DE,Germany,EU", "US,United States"}) {
      Value(1, record);
    }
    Value(2, "P1,Product one");
    Parse("STG,S,Stage,1");
    Parse("CPG,G,Group,S");
    Parse("CP,T,Takings,G");
    CompleteModel(engine_);
    Add(0, 1, 4);
    Add(2, 1, 10);
    Add(3, 1, 6);
    Add(1, 0, 1);
  }

  void Add(int32_t region, int32_t product, double amount) {
    engine_.cube.Code[1] = region;
    engine_.cube.Code[2] = product;
    engine_.cube.vcComposeKey();
    engine_.cube.CurCP = 1;
    engine_.cube.vcAdd(amount);
    engine_.model.pools[1].Value += amount;
  }

  Lines Rows(std::string_view record) {
    const Lines lines = Report(record, WriteRollupReport);
    return Lines(lines.begin() + 3, lines.end());
  }
};

TEST_F(RollupReportTest, EntriesWithoutAValueGetTheirOwnTopRowAndTopRowsAddUp) {
  // Keys 0, 2 (DE under EU), 2 (EU), 3: the 4 with no region close first,
  // then each top row shows its own group only.
  EXPECT_EQ(Rows("REP,26,r,,,,1,1"), (Lines{",,,,,,,4.00,4.00", ",EU,Europe,,,,,11.00,11.00",
                                            ",US,United States,,,,,6.00,6.00"}));
}

TEST_F(RollupReportTest, NoValueInTheSecondBreakPassesToTheEnclosingGroup) {
  // Keys 01, 20 (EU, no product), 21 (DE), 31 (US): EU's own 1 has no
  // product group and shows as entered at EU.
  EXPECT_EQ(Rows("REP,26,r,,,,1,1,2,1"),
            (Lines{",,,P1,Product one,,,4.00,4.00", ",,,,,,,0.00,4.00",
                   ",,,P1,Product one,,,10.00,10.00", ",EU,Europe,,,,,1.00,11.00",
                   ",,,P1,Product one,,,6.00,6.00", ",US,United States,,,,,0.00,6.00"}));
}

TEST_F(RollupReportTest, ABreakOutsideTheModelIsLoggedAndListsPoolsOnly) {
  EXPECT_TRUE(Rows("REP,26,r,,,,1,1,2,0").empty());
  EXPECT_TRUE(Rows("REP,26,r,,,,9,1").empty());
  const Lines errors = ErrorLines(Messages());
  const std::string text =
      "  >>>>,,  404 REP; Rollup break not valid; give a dimension number from 1 to 2 and a "
      "level from 1 to 9; ";
  EXPECT_EQ(errors, (Lines{text + "Break=2 Dim=2 Level=0 ", text + "Break=1 Dim=9 Level=1 "}));
}

TEST_F(RollupReportTest, AFirstBreakThatIsNoNumberIsEmpty) {
  EXPECT_EQ(Report("REP,26,r,,,,x,1", WriteRollupReport),
            (Lines{"Selection of first break is empty"}));
}

}  // namespace
}  // namespace korav
