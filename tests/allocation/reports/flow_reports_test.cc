#include <gtest/gtest.h>

#include "allocation/loading/model_completion.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

// A (input, 100) allocates all to B; B sends half to C and half to the final
// pool F; C sends everything back to B. The allocation would leave B and C
// unresolved; their figures are set here as if it had not.
class FlowReportsTest : public ModelTest {
 protected:
  void SetUp() override {
    Parse("STG,S1,In,1");
    Parse("STG,S2,Act,2");
    Parse("STG,S3,Out,3");
    Parse("CPG,G1,In,S1");
    Parse("CPG,G2,Act,S2");
    Parse("CPG,G3,Out,S3");
    Parse("CP,A,Alpha,G1,AA");
    Parse("CP,B,Beta,G2,AB");
    Parse("CP,C,Gamma,G2,AC");
    Parse("CP,F,Final,G3");
    Parse("AB,AA,Base A");
    Parse("ABL,AA,all,C,1,B");
    Parse("AB,AB,Base B");
    Parse("ABL,AB,half,C,1,C");
    Parse("ABL,AB,other half,C,1,F");
    Parse("AB,AC,Base C");
    Parse("ABL,AC,back,C,1,B");
    CompleteModel(engine_);
    BuildInputs(engine_);
    ModelTables& model = engine_.model;
    const double propn[] = {0, 1.0, 0.5, 0.5, 1.0};
    for (int32_t line = 1; line <= 4; ++line) model.base_lines[line].Propn = propn[line];
    SetPool(1, 100, 100);
    SetPool(2, 160, 160);
    SetPool(3, 80, 60);
    SetPool(4, 200, 0);
  }

  void SetPool(int32_t row, double value, double alloc_value) {
    engine_.model.pools[row].Value = value;
    engine_.model.pools[row].AllocValue = alloc_value;
  }
};

TEST_F(FlowReportsTest, FinalContributionCutsTheCycleAndCreditsNothingForIt) {
  // F <- B (0.5): B is credited 160 x 0.5; below B, A 100 x 0.5 and C
  // 60 x 0.5; C's own source is B again, which is on the route: cut.
  // Only A is an input pool; F has no allocation value, so its value is
  // the whole the proportion is taken of.
  const Lines lines = Report("REP,22,f", WriteFinalContributionReport);
  EXPECT_EQ(lines, (Lines{"Cost Pool Final Contribution Report; f; 2026-12-07 10:11:12",
                          ",Code,Description,Value,,Propn of Final,Value Initial,Propn of Initial",
                          "CP,F,\"Final\",200.00", ",    A,\"Alpha\",,50.00,0.25,100.00,0.50"}));
}

TEST_F(FlowReportsTest, InputContributionPassesEachPoolOnOnce) {
  // A 100 -> B 100 -> C 50 and F 50; C passes 50 back to B, which has been
  // passed on already and keeps it.
  const Lines lines = Report("REP,21,i", WriteInputContributionReport);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
            (Lines{"CP,A,\"Alpha\",100.00", ",    F,\"Final\",,50.00,0.50,200.00,0.25"}));
}

TEST_F(FlowReportsTest, ForwardDetailAndShortLinesTogether) {
  const Lines lines = Report("REP,23,t,,,A,,,,+", WriteTraceForwardReport);
  EXPECT_EQ(
      Lines(lines.begin() + 2, lines.end()),
      (Lines{"1,   A,100.00", ",,,AA,C,100.00,B,\"Beta\"", ",,,AA,C,100.00", "2,      B,100.00",
             ",,,AB,C,50.00,C,\"Gamma\"", ",,,AB,C,50.00,F,\"Final\"", ",,,AB,C,50.00",
             "3,         C,50.00", ",,,AC,C,50.00,B,\"Beta\"", ",,,AC,C,50.00",
             "Loop detected; by flag; this level exits", ",,,AB,C,50.00", "3,         F,50.00"}));
}

TEST_F(FlowReportsTest, BackReportShowsTheShareOfEachSourceAlongTheRoute) {
  // F shows its value; B has a base, so its allocation times the share that
  // reaches F; C's row shows what it sends of the share that reaches B.
  const Lines lines = Report("REP,24,t,,,F", WriteTraceBackReport);
  EXPECT_EQ(Lines(lines.begin() + 2, lines.end()),
            (Lines{"1,   F,200.00", ",,,B,AB,C,80.00", "2,      B,80.00", ",,,A,AA,C,50.00",
                   ",,,C,AC,C,30.00", "3,         C,30.00", ",,,B,AB,C,40.00",
                   "Loop detected; by flag; this level exits"}));
}

}  // namespace
}  // namespace korav
