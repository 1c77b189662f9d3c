#include <gtest/gtest.h>

#include <algorithm>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// Three dimensions: A > B > C and O under an unknown parent in dimension 1,
// nothing in dimension 2, and the transaction dimension 3 whose value T
// fills dimensions 1 and 3.
class DimensionReportTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("DIMH,1,Account");
    Parse("DIMH,2,Empty");
    Parse("DIMH,3,Region");
    for (const char* record : {"A,Top", "B,Middle,A", "C,Bottom,B,Y", "O,Orphan,X"}) {
      Value(1, record);
    }
    Value(3, "T,Region T");
    engine_.options.transaction_dimension = 3;
    Parse("DIMT,T,Fills,,,C,,T");
    CompleteModel(engine_);
  }
};

TEST_F(DimensionReportTest, EveryDimensionWithValuesAndItsPaths) {
  const Lines expected = {
      "Dimension Details Report; d; 2026-12-07 10:11:12",
      "Type,Code,Description,ParentCode,Level,Summarise,TxCount,TxValue,,L1,L2,L3,L4,L5,L6,L7,L8,"
      "L9,L10,L11,L12",
      "DIMH,1,Account",
      "1,A,\"Top\",,1, ,0,0.00,,A",
      "1,B,\"Middle\",A,2, ,0,0.00,,A,B",
      "1,C,\"Bottom\",B,3,Y,0,0.00,,A,B,C",
      "1,O,\"Orphan\",X,0, ,0,0.00,,",
      "DIMH,3,Region",
      "3,T,\"Region T\",,1, ,0,0.00,,T",
      "    DIMT,,,,C,*,T",
  };
  EXPECT_EQ(Report("REP,11,d", WriteDimensionReport), expected);
}

TEST_F(DimensionReportTest, ExtractListsTheFirstDimensionOfItsRangeOnly) {
  const Lines lines = Report("REP,34,,3/9", WriteDimensionExtract);
  EXPECT_EQ(lines, (Lines{"Code,Description,ParentCode,Level,Summarise,TxCount,TxValue,,L1,L2,L3,"
                          "L4,L5,L6,L7,L8,L9,L10,L11,L12",
                          "T,\"Region T\",,1, ,0,0.00,,T", "    DIMT,,,,C,*,T"}));
}

TEST_F(DimensionReportTest, ARangeThatIsNoNumberWritesOnlyTheHeadings) {
  const Lines lines = Report("REP,11,,x/2", WriteDimensionReport);
  EXPECT_EQ(lines.size(), 2u);
  const Lines log = Messages();
  EXPECT_NE(
      std::find(log.begin(), log.end(),
                "  >>>>,,  403 REP; Dimension range not valid; give numbers as 1/3; Range=x/2 "),
      log.end());
}

}  // namespace
}  // namespace korav
