#include "allocation/loading/record_parsers.h"

#include <gtest/gtest.h>

#include "allocation/loading/model_completion.h"
#include "allocation/loading/model_loading.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

using ParserTest = ModelTest;

TEST_F(ParserTest, ConstantLinesOfOneBaseIntoOnePoolMerge) {
  Parse("ABL,B1,first,C,2,P1");
  Parse("ABL,B1,second,C,3,P1");
  Parse("ABL,B1,other pool,C,4,P2");
  Parse("ABL,B1,named,N,HC,P2");
  Parse("ABL,B1,after named,C,1,P2");
  const ModelTable<TmyABL>& lines = engine_.model.base_lines;
  ASSERT_EQ(lines.count(), 4);
  EXPECT_DOUBLE_EQ(lines[1].Value, 5);
  EXPECT_EQ(lines[1].Description, "first");
  EXPECT_EQ(lines[3].MeasureCode, "HC");
  EXPECT_DOUBLE_EQ(lines[4].Value, 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ParserTest, BaseLineFaults) {
  Parse("ABL,B1,bad type,X,1,P1");
  Parse("ABL,B1,no type,,1,P1");
  Parse("ABL,B1,bad constant,C,lots,P1");
  EXPECT_EQ(Messages(), (Lines{Error("112 ABL; Input Measure Type not Valid; AB=B1 Type=X "),
                               Error("112 ABL; Input Measure Type not Valid; AB=B1 Type= "),
                               Error("113 ABL; Value not Valid; AB=B1 Value=lots")}));
  EXPECT_EQ(engine_.model.base_lines[1].MeasureType, '\0');
  EXPECT_DOUBLE_EQ(engine_.model.base_lines[3].Value, 0);
}

TEST_F(ParserTest, PoolBudgetColumns) {
  Parse("CP,P1,Units,G,AB1,2,PV,100,0");
  Parse("CP,P2,Value only,G,AB1,1,PV,,5");
  Parse("CP,P3,Method out of range,G,AB1,7");
  Parse("CP,P4,No variance pool,G,AB1,1,,1.5x");
  Parse("CP,P5,No group,,AB1,10");
  const ModelTable<TmyCP>& pools = engine_.model.pools;
  EXPECT_EQ(pools[1].BudgetMethod, 2);
  EXPECT_EQ(pools[1].UnitSource, 1);
  EXPECT_DOUBLE_EQ(pools[1].ValueBudget, 100);
  EXPECT_EQ(pools[2].UnitSource, 0);
  EXPECT_EQ(pools[3].BudgetMethod, 0);
  EXPECT_EQ(pools[5].BudgetMethod, 0) << "10 sorts between 0 and 3 but is no method";
  EXPECT_EQ(pools[4].Row, 4);
  EXPECT_EQ(
      Messages(),
      (Lines{
          Info("116 CP; Cost Pool to use Units in Budgeting; but UnitSource is 0; Set to 1; CP=P1"),
          Warning("CP; Unit Source not valid, 0 used; CP=P2 Value=5"),
          Warning("CP; Budget Method not valid, 0 used; CP=P3 Value=7"),
          Error("115 CP; Cost Pool set for Budgeting but no Cost Pool to allocate variance to; "
                "CP=P4"),
          Error("145 CP; Number not valid, 0 used; CP=P4 Column=8 Value=1.5x"),
          Error("114 CP; CPG is required; CP=P5"),
          Warning("CP; Budget Method not valid, 0 used; CP=P5 Value=10")}));
}

TEST_F(ParserTest, SelectionRowsAndTheirCopyLevels) {
  Parse("CPS,P1,All of dim 1,,,%2,A");
  Parse("CPDC,P1,Copy level 2,,,%2,%Y,%22");
  Parse("CPS,P1,With code2,X,I,*");
  Parse("IMS,M1,Default include,P2,,*");
  Parse("IMS,M1,Bad include,P2,X,*");
  const ModelTable<TmySEL>& rows = engine_.model.selections;
  EXPECT_EQ(rows[1].DimSelect[1], "");
  EXPECT_EQ(rows[1].DimCopy[1], '\0');
  EXPECT_EQ(rows[1].DimSelect[2], "A");
  EXPECT_EQ(rows[1].DimValue[1], "%2");
  EXPECT_EQ(rows[2].DimCopy[1], '2');
  EXPECT_EQ(rows[2].DimCopy[2], 'Y');
  EXPECT_EQ(rows[2].DimCopy[3], '\0');
  EXPECT_EQ(rows[2].Kind, kPoolCopyRecord);
  EXPECT_EQ(rows[3].Code2, "");
  EXPECT_EQ(rows[3].Include, "");
  EXPECT_EQ(rows[4].Include, "I");
  EXPECT_EQ(rows[4].Code2, "P2");
  EXPECT_EQ(rows[5].Include, "X");
  EXPECT_EQ(Messages(), (Lines{Error("104 SEL; DIM Value not valid; SEL=P1 Value=%22"),
                               Error("102 CPS; Code2 and Include must be empty; Code=P1"),
                               Error("103 IMS; Include must be I or E; IM=M1 Value=X")}));
}

TEST_F(ParserTest, GroupsOfTheDefaultStageGetANotSelectedPool) {
  engine_.counts.default_stage_code = "S1";
  Parse("CPG,G1,Resources,S1,10,Y,0,1,,9");
  Parse("CPG,G2,Activities,S2,x");
  const ModelTables& model = engine_.model;
  ASSERT_EQ(model.groups.count(), 2);
  EXPECT_TRUE(model.groups[1].Flag);
  EXPECT_EQ(model.groups[1].Priority, 10);
  EXPECT_EQ(model.groups[1].DimOrder[2], 1);
  EXPECT_EQ(model.groups[1].DimOrder[4], 0);
  ASSERT_EQ(model.pools.count(), 1);
  EXPECT_EQ(model.pools[1].Code, ".NOTSEL.G1");
  EXPECT_EQ(model.pools[1].GroupCode, "G1");
  ASSERT_EQ(model.selections.count(), 1);
  EXPECT_EQ(model.selections[1].Code, ".NOTSEL.G1");
  for (int d = 1; d <= kMaxDimensions; ++d) EXPECT_EQ(model.selections[1].DimSelect[d], "*");
  EXPECT_EQ(Messages(),
            (Lines{Error("117 CPG; DIM Order not valid < 1 or > Max; CPG=G1 Priority=9"),
                   Error("145 CPG; Number not valid, 0 used; CPG=G2 Column=5 Value=x")}));
}

TEST_F(ParserTest, NotSelectedDefaultsCatchEverything) {
  engine_.counts.default_stage_code = "S1";
  AddNotSelectedDefaults(engine_);
  const ModelTables& model = engine_.model;
  ASSERT_EQ(model.groups.count(), 1);
  EXPECT_EQ(model.groups[1].Code, ".NOTSEL");
  EXPECT_EQ(model.groups[1].Priority, 99);
  EXPECT_EQ(model.pools[1].Code, ".NOTSEL..NOTSEL");
  ASSERT_EQ(model.selections.count(), 2);
  EXPECT_EQ(model.selections[2].Kind, kGroupSelectionRecord);
  EXPECT_EQ(model.selections[2].Code, ".NOTSEL");
}

TEST_F(ParserTest, StagesMeasuresAndTheirFaults) {
  Parse("STG,S1,Resources,1");
  Parse("STG,S2,Odd,5");
  Parse("IM,M1,Hours,T,8");
  Parse("IM,M2,Bad,Q,none");
  Parse("IM,M3,Zero divisor,C,0");
  Parse("NM,N1,Heads,12,4");
  Parse("NM,N2,Unknown,twelve");
  Parse("NMV,N1,x");
  const ModelTables& model = engine_.model;
  EXPECT_EQ(model.stages[1].STGType, StageType::kInput);
  EXPECT_EQ(model.stages[2].STGType, StageType::kNone);
  EXPECT_EQ(model.input_measures[1].IMType, 'T');
  EXPECT_DOUBLE_EQ(model.input_measures[1].Divisor, 8);
  EXPECT_DOUBLE_EQ(model.input_measures[2].Divisor, 1);
  EXPECT_DOUBLE_EQ(model.input_measures[3].Divisor, 1);
  EXPECT_DOUBLE_EQ(model.named_measures[1].Measure, 3);
  EXPECT_DOUBLE_EQ(model.named_measures[2].Value, 0);
  EXPECT_EQ(model.named_values.count(), 1);
  EXPECT_EQ(Messages(), (Lines{Error("118 STG; STGType Not Valid; STG=S2 Type=5"),
                               Error("119 IM; IMType not Valid; IM=M2 Type=Q"),
                               Error("120 IM; Divisor not Valid; IM=M2 Value=none"),
                               Error("146 IM; Divisor is 0, 1 used; IM=M3"),
                               Error("121 NM; Value not valid; NM=N2 Value=twelve"),
                               Error("122 NMV; Value not valid; NMV=N1 Value=x")}));
}

TEST_F(ParserTest, FullTableReportsTheRecordInsteadOfOverwriting) {
  for (int i = 1; i <= 3; ++i) Parse("CPB,P" + std::to_string(i) + ",1");
  EXPECT_EQ(engine_.model.budgets.count(), 2);
  EXPECT_EQ(engine_.model.budgets[2].PoolCode, "P2");
  EXPECT_EQ(Messages(), (Lines{Error("125 CPB; Record not counted in pass 1 (after a REP or CPY "
                                     "record); not read; Code=P3")}));
}

TEST_F(ParserTest, OptionsAreLoggedStoredAndChecked) {
  Option("OO,0,Bakery");
  Option("OO,4,3");
  Option("OO,4,2");
  Option("OO,2,x");
  Option("OO,3,9");
  Option("OO,6,50");
  Option("OO,6,20");
  Option("OO,7,0");
  EXPECT_FALSE(engine_.options.slots[0].IsSet);
  EXPECT_EQ(engine_.options.allocation_request, 2);
  EXPECT_EQ(engine_.options.slots[2].Value, 1);
  EXPECT_EQ(engine_.options.transaction_dimension, 1);
  EXPECT_EQ(engine_.options.confidence_dimension, 0);
  EXPECT_EQ(engine_.model.dimension_count, 1);
  EXPECT_EQ(engine_.state.progress_interval, 20);
  EXPECT_TRUE(engine_.options.slots[7].IsSet) << "presence switches a trace on, whatever its value";
  EXPECT_EQ(
      Messages(),
      (Lines{
          Info("0 Model Description          OO,0,Bakery"),
          Info("4 Run Allocation             OO,4,3"),
          Error("105 OO,4; Run Allocate parameter not valid; valid values are 0 1 2") +
              "recnr(0),OO,4,3",
          Info("4 Run Allocation             OO,4,2"), Info(" Do not Run Allocation"),
          Info("2 DIMT Dimension Nr          OO,2,x"), Info("3 Level of Confidence Dim Nr OO,3,9"),
          Error("144 OO,3; DIM Nr not valid; valid values are 0 to 8; Value=9") + "recnr(0),OO,3,9",
          Info("6 Trace Loop Limit           OO,6,50"),
          Info("6 Trace Loop Limit           OO,6,20"),
          Info("7 Trace Allocation           OO,7,0")}));
}

TEST_F(ParserTest, ConfidenceDimensionIsGeneratedUnlessItHasAFile) {
  Option("OO,3,5");
  SetUpConfidenceDimension(engine_);
  EXPECT_EQ(engine_.counts.dimension_values[5], 3);
  AddConfidenceValues(engine_);
  const TmyDIMH& dimension = engine_.model.dimensions[5];
  EXPECT_EQ(dimension.Name, "LOC");
  ASSERT_EQ(dimension.Values.count(), 3);
  EXPECT_EQ(dimension.Values[2].Code, "2");
  EXPECT_EQ(dimension.Values[3].Description, "Unattributable");

  Option("OO,3,2");
  engine_.counts.dimension_values[2] = 4;
  SetUpConfidenceDimension(engine_);
  EXPECT_FALSE(engine_.options.slots[3].IsSet);
  EXPECT_EQ(engine_.options.confidence_dimension, 0);
  EXPECT_EQ(Messages().back(),
            Error("124 OO 3; LOC Dimension already in use; select another DIM Number"));
}

}  // namespace
}  // namespace korav
