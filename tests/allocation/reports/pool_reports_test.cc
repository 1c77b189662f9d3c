#include <gtest/gtest.h>

#include <algorithm>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// Pool P (base AB, variance pool V) allocates 200 of its 210 with lines of
// proportion 0.25 and 0.75 into D1 and D2; bases A and AX test the range.
class PoolReportsTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("DIMH,1,Account");
    Value(1, "X,Only");
    Parse("STG,S,Stage,2");
    Parse("CPG,G,Group,S,1");
    Parse("CP,P,Pool,G,AB,1,V");
    Parse("CP,D1,\"Dest, one\",G");
    Parse("CP,D2,Dest two,G");
    Parse("CP,V,Variance,G");
    Parse("CPS,P,All,,,X");
    Parse("AB,AB,Base");
    Parse("AB,A,Short");
    Parse("ABL,AB,quarter,C,1,D1");
    Parse("ABL,AB,rest,N,NM,D2");
    Parse("NM,NM,Named,3");
    CompleteModel(engine_);
    BuildInputs(engine_);
    TmyCP& pool = engine_.model.pools[1];
    pool.Value = 210;
    pool.AllocValue = 200;
    engine_.model.base_lines[1].Value = 1;
    engine_.model.base_lines[1].Propn = 0.25;
    engine_.model.base_lines[2].Value = 3;
    engine_.model.base_lines[2].Propn = 0.75;
    engine_.cube.Code[1] = 1;
    engine_.cube.vcComposeKey();
    engine_.cube.CurCP = 1;
    engine_.cube.vcAdd(210);
    BuildWhereUsed(engine_);
  }
};

TEST_F(PoolReportsTest, CostPoolReportShowsSelectionsBaseVarianceUsersAndCube) {
  const Lines lines = Report("REP,15,,,,P/P,,,,+", WriteCostPoolReport);
  const Lines expected = {
      "Cost Pool Report; ; 2026-12-07 10:11:12",
      ",Code,Description,Count,,,,Value,Account",
      "CP,P,\"Pool\",,,,,210.00",
      "    CPS,P,\"All\",0,,,,0.00,X",
      "    AB,AB,\"Base\",Measure,Propn,Code,Desc,Value",
      "    ABL,C,\"quarter\",1.00,      0.2500,D1,\"Dest, one\",50.00",
      "    ABL,N/NM,\"Named\",3.00,      0.7500,D2,\"Dest two\",150.00",
      "    variance,,,,,V,Variance,10.00",
      "    VC,,,,,,P,210.00,X",
      "",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(PoolReportsTest, CostPoolReportListsThePoolsThatUseAPool) {
  const Lines lines = Report("REP,15,,,,D1,-,,-", WriteCostPoolReport);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
            (Lines{"CP,D1,\"Dest, one\",,,,,0.00", "    Used by CP,P,\"Pool\"", ""}));
}

TEST_F(PoolReportsTest, AllocationBaseReportAndItsRange) {
  const Lines lines = Report("REP,16,,A*", WriteAllocationBaseReport);
  const Lines expected = {
      "Allocation Base Report; ; 2026-12-07 10:11:12",
      ",Code,Description,LOC,Measure Value,Propn,Code,Description,Unit Budget",
      "AB,AB,\"Base\",2,0.00",
      "    ABL,C,\"quarter\",,1.00,      0.2500,D1,Dest, one,0.00",
      "    ABL,N/NM,\"Named\",,3.00,      0.7500,D2,Dest two,0.00",
      "    Used by CP,P,\"Pool\"",
  };
  EXPECT_EQ(lines, expected) << "A alone sorts below the range A and a blank";
}

TEST_F(PoolReportsTest, VarianceReportSignsAndBaseLines) {
  engine_.model.pools[1].UnitSource = 3;
  const Lines lines = Report("REP,25,,,,P/P", WriteVarianceReport);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0],
            "Cost Pool Variance Report; ; Run Option - Allocation of Actuals; 2026-12-07 10:11:12");
  EXPECT_EQ(
      lines[2],
      "CP,P,\"Pool\",G,210.00,1,200.00,0.00,-,10.00,-,210.00,3,0.00,0.00,,0.00,0.00,0.00,,0.00");
  EXPECT_EQ(lines[3], "    ABL,,\"quarter\",,,,50.00,,,,,,,1.00,0.00,+,-1.00,D1,");
  EXPECT_EQ(lines[4], "    ABL,,\"Named\",,,,150.00,,,,,,,3.00,0.00,+,-3.00,D2,");
  const Lines d1 = Report("REP,25,,,,D1", WriteVarianceReport);
  EXPECT_EQ(d1.back(),
            "CP,D1,\"Dest, one\",G,0.00,0,0.00,0.00,,0.00,,0.00,0,0.00,0.00,,0.00,0.00,0.00,,0.00")
      << "a pool without base has no allocation variance";
  engine_.model.pools[1].AllocValue = 220;
  EXPECT_EQ(Report("REP,25,,,,P/P", WriteVarianceReport)[2].substr(0, 43),
            "CP,P,\"Pool\",G,210.00,1,220.00,0.00,+,-10.00");
}

TEST_F(PoolReportsTest, CubeAnalysisListsPoolsWithEntries) {
  const Lines lines = Report("REP,31", WriteCubeAnalysisReport);
  EXPECT_EQ(Lines(lines.begin() + 1, lines.end()),
            (Lines{",Code,Description,CPG,VC Count,Used KB", "CP,P,\"Pool\",G,1,0.03", "",
                   ",,,,1,0.03", ",,,,Dupe Key,0", ",,,,Alloc - Hash Seg,1,Data Seg,,1"}));
}

// The export's fields are RFC 4180 (quoted only where they must be), its
// figures the shortest that read back as the same double. The run label
// and the group's description hold commas and quotes to show it.
TEST_F(PoolReportsTest, ResultsExportListsTheCubeCellsOfTheSelectedPools) {
  Option("OO,12,\"2026-11, Actual\"");
  engine_.model.groups[1].Description = "Group \"G\", main";
  engine_.cube.Code[1] = 0;
  engine_.cube.vcComposeKey();
  engine_.cube.vcAdd(1.0 / 3.0);
  const std::string pool = "\"2026-11, Actual\",S,Stage,G,\"Group \"\"G\"\", main\",P,Pool,";
  const Lines expected = {
      "Run Label,Stage,Stage Description,Group,Group Description,Pool,Pool Description,Account,"
      "Value",
      pool + "X,210",
      pool + ",0.3333333333333333",
  };
  EXPECT_EQ(Report("REP,36", WriteResultsExport), expected);
  EXPECT_EQ(Report("REP,36,,,,P,x", WriteResultsExport), expected);
  EXPECT_EQ(Report("REP,36,,,,D*", WriteResultsExport).size(), 1u) << "the header alone";
  const Lines errors = ErrorLines(Messages());
  EXPECT_EQ(std::count(errors.begin(), errors.end(),
                       Error("409 REP; Export kind not valid, the cells are written; give F for "
                             "the flows or leave it empty for the cells; Kind=x")),
            1);
}

// P allocated 200 of its 210: a share of 0.008 (0.00004 x 200) stays with
// it, 150 goes to D2 through the base's second line, and the variance of 10
// to V.
TEST_F(PoolReportsTest, ResultsExportListsTheFlowsOutOfTheSelectedPools) {
  Option("OO,1,");
  engine_.model.pools[1].Allocated = true;
  engine_.model.base_lines[1].Propn = 0.00004;
  const Lines expected = {
      "Run Label,Stage,Sender,Sender Description,Base,Line,Receiver,Receiver Description,"
      "Proportion,Amount",
      ",S,P,Pool,AB,2,D2,Dest two,0.75,150",
      ",S,P,Pool,,variance,V,Variance,,10",
  };
  EXPECT_EQ(Report("REP,36,,,,,F", WriteResultsExport), expected);
  engine_.model.pools[1].Allocated = false;
  EXPECT_EQ(Report("REP,36,,,,,F", WriteResultsExport).size(), 1u)
      << "a pool that has not allocated sent nothing";
}

}  // namespace
}  // namespace korav
