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
    engine_.model.pools[row].Allocated = alloc_value != 0;
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

// n pools P001... that all allocate to each other in equal shares, each with
// n - 1 to allocate, so that every line carries 1.00 of its pool's value.
class CompleteGraphTest : public ModelTest {
 protected:
  void Build(int n) {
    ModelTables& model = engine_.model;
    model.stages.Size(1);
    model.groups.Size(1);
    model.pools.Size(n);
    model.bases.Size(n);
    model.base_lines.Size(n * (n - 1));
    Parse("STG,S1,Services,2");
    Parse("CPG,G1,Services,S1");
    for (int i = 1; i <= n; ++i)
      Parse("CP," + Code('P', i) + ",Pool " + std::to_string(i) + ",G1," + Code('A', i));
    for (int i = 1; i <= n; ++i) {
      Parse("AB," + Code('A', i) + ",Base");
      for (int j = 1; j <= n; ++j) {
        if (j != i) Parse("ABL," + Code('A', i) + ",line,C,1," + Code('P', j));
      }
    }
    CompleteModel(engine_);
    BuildInputs(engine_);
    for (int32_t line = 1; line <= model.base_lines.count(); ++line) {
      model.base_lines[line].Propn = 1.0 / (n - 1);
    }
    for (int32_t pool = 1; pool <= n; ++pool) {
      model.pools[pool].Value = n - 1;
      model.pools[pool].AllocValue = n - 1;
    }
  }

  static std::string Code(char kind, int i) {
    std::string digits = std::to_string(i);
    return kind + std::string(3 - digits.size(), '0') + digits;
  }
};

TEST_F(CompleteGraphTest, EachPoolsTreeEndsAtTheLineLimit) {
  const std::string cut =
      "Trace cut; by line limit of 10000; the rest of this pool's tree is left out";
  const std::string flag = "Loop detected; by flag; this level exits";
  struct Case {
    int pools;
    std::string number;
    ReportFunction report;
    Lines head;   // the first lines of the first pool's tree
    size_t tree;  // the lines of each pool's tree
  };
  const Case cases[] = {
      // Two pools that serve each other: the flag cuts each tree after one
      // step round the loop, long before the line limit.
      {2,
       "23",
       WriteTraceForwardReport,
       {"1,   P001,1.00", ",,,A001,C,1.00,P002,\"Pool 2\"", "2,      P002,1.00",
        ",,,A002,C,1.00,P001,\"Pool 1\"", flag},
       5},
      {2,
       "24",
       WriteTraceBackReport,
       {"1,   P001,1.00", ",,,P002,A002,C,1.00", "2,      P002,1.00", ",,,P001,A001,C,1.00", flag},
       5},
      // 300 pools: 299 lines of the base, then the first of 299 pools one
      // level down, each with 299 lines and 298 pools below it... Every tree
      // holds far more than 10000 lines: 10000 of them, then the cut.
      {300,
       "23",
       WriteTraceForwardReport,
       {"1,   P001,299.00", ",,,A001,C,1.00,P002,\"Pool 2\""},
       10001},
      {300, "24", WriteTraceBackReport, {"1,   P001,299.00", ",,,P002,A002,C,1.00"}, 10001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pools) + " pools, report " + c.number);
    Build(c.pools);
    // Two pools' trees: the bound holds for each pool of the selection.
    const Lines lines = Report("REP," + c.number + ",t,,,P001/P002", c.report);
    ASSERT_EQ(lines.size(), 2 + 2 * c.tree);
    EXPECT_EQ(Lines(lines.begin() + 2, lines.begin() + 2 + static_cast<ptrdiff_t>(c.head.size())),
              c.head);
    if (c.tree > 10000) {
      EXPECT_EQ(lines[1 + c.tree], cut);
      EXPECT_EQ(lines.back(), cut);
    }
    EXPECT_EQ(lines[2 + c.tree].substr(0, 9), "1,   P002");
  }
}

}  // namespace
}  // namespace korav
