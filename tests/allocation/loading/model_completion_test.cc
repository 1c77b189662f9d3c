#include "allocation/loading/model_completion.h"

#include <gtest/gtest.h>

#include "allocation/model/selection_queries.h"
#include "tests/allocation/loading/model_fixture.h"

namespace korav {
namespace {

class CompletionTest : public ModelTest {
 protected:
  // The error lines of the log, without their prefix.
  Lines Errors() {
    Lines errors;
    for (const std::string& line : Messages()) {
      if (line.rfind("  >>>>,,  ", 0) == 0) errors.push_back(line.substr(10));
    }
    return errors;
  }

  // A stage, and a group of it that pools can belong to.
  void GroupG(std::string_view dim_order = "") {
    Parse("STG,S,Activities,2");
    Parse("CPG,G,Group,S,10," + std::string(dim_order));
  }
};

TEST_F(CompletionTest, HierarchyOrderPutsDescendantsFirstAndOrphansAside) {
  Parse("DIMH,1,Account");
  Parse("DIMH,2,Dept");
  for (const char* record : {"D,Top two", "B,Middle,A", "A,Top one", "C,Bottom,B"})
    Value(1, record);
  for (const char* record : {"F,Child of orphan,E", "E,Orphan,X", "G,Top"}) Value(2, record);
  CompleteModel(engine_);
  const ModelTable<TmyDIM>& accounts = engine_.model.dimensions[1].Values;
  // Rows: 1 D, 2 B, 3 A, 4 C. Order C, B, A, D.
  EXPECT_EQ(accounts[4].HierarchyPos, 1);
  EXPECT_EQ(accounts[2].HierarchyPos, 2);
  EXPECT_EQ(accounts[3].HierarchyPos, 3);
  EXPECT_EQ(accounts[1].HierarchyPos, 4);
  EXPECT_EQ(accounts[4].Level, 3);
  EXPECT_EQ(accounts[4].Path[1], 3);
  EXPECT_EQ(accounts[4].Path[2], 2);
  EXPECT_EQ(accounts[4].Path[3], 4);
  EXPECT_EQ(engine_.model.dimensions[1].MaxLevel, 3);
  const ModelTable<TmyDIM>& depts = engine_.model.dimensions[2].Values;
  EXPECT_EQ(depts[1].Level, 0);
  EXPECT_EQ(depts[2].Level, 0);
  EXPECT_EQ(depts[3].HierarchyPos, 1);
  EXPECT_EQ(Errors(), (Lines{"130 DIM; Parent Code not found; DIMH=2,Dept DIM=E parent=X "}));
}

TEST_F(CompletionTest, LoopsAndTooDeepChainsAreReportedAndLeftAtLevelZero) {
  Parse("DIMH,1,Account");
  Parse("DIMH,2,Dept");
  ModelTable<TmyDIM>& accounts = engine_.model.dimensions[1].Values;
  ModelTable<TmyDIM>& depts = engine_.model.dimensions[2].Values;
  accounts.Size(17);
  depts.Size(8);
  // V1 > V2 > ... > V17, the deepest first, so that the sweep meets each
  // value before its parent.
  for (int level = 17; level >= 1; --level) {
    const std::string parent = level > 1 ? "V" + std::to_string(level - 1) : "";
    Value(1, "V" + std::to_string(level) + ",Account," + parent);
  }
  for (const char* record : {"C1,Loop,C3", "C3,Loop,C2", "C2,Loop,C1", "D,Under the loop,C1",
                             "S,Own parent,S", "E,Orphan,X", "F,Under the orphan,E", "T,Top"}) {
    Value(2, record);
  }
  CompleteModel(engine_);
  // Rows: V17 is 1, V16 is 2, V15 is 3, ..., V1 is 17.
  EXPECT_EQ(accounts[3].Level, 15);
  EXPECT_EQ(accounts[3].Path[1], 17);
  EXPECT_EQ(accounts[3].Path[15], 3);
  EXPECT_EQ(accounts[2].Level, 0);
  EXPECT_EQ(accounts[1].Level, 0);
  EXPECT_EQ(accounts[1].Path[15], 0);
  EXPECT_EQ(engine_.model.dimensions[1].MaxLevel, 15);
  for (int32_t row = 1; row <= 7; ++row) EXPECT_EQ(depts[row].Level, 0) << depts[row].Code;
  EXPECT_EQ(depts[8].Level, 1);
  const std::string e147 = "147 DIM; Hierarchy loops or is deeper than 15 levels; DIMH=";
  EXPECT_EQ(
      Errors(),
      (Lines{"130 DIM; Parent Code not found; DIMH=2,Dept DIM=E parent=X ",
             e147 + "1,Account DIM=V17 Chain=V17->V16->V15->V14->V13->V12->V11->V10->V9->"
                    "V8->V7->V6->V5->V4->V3->V2->... ",
             e147 + "1,Account DIM=V16 Chain=V16->V15->V14->V13->V12->V11->V10->V9->V8->"
                    "V7->V6->V5->V4->V3->V2->V1 ",
             e147 + "2,Dept DIM=C1 Chain=C1->C3->C2->C1 ",
             e147 + "2,Dept DIM=C3 Chain=C3->C2->C1->C3 ",
             e147 + "2,Dept DIM=C2 Chain=C2->C1->C3->C2 ",
             e147 + "2,Dept DIM=D Chain=D->C1->C3->C2->C1 ", e147 + "2,Dept DIM=S Chain=S->S "}));
}

TEST_F(CompletionTest, SummarisingMarksInheritAndTargetTheMarkedValue) {
  Parse("DIMH,1,Account");
  for (const char* record : {"T,Top,,Y", "M,Middle,T,Y", "L,Leaf,M", "N,Other top", "K,Kid,N"}) {
    Value(1, record);
  }
  CompleteModel(engine_);
  const ModelTable<TmyDIM>& values = engine_.model.dimensions[1].Values;
  EXPECT_EQ(values[3].Summarise, 'o');
  EXPECT_EQ(values[3].SummariseTarget, 2) << "a leaf under a marked middle value maps to it";
  EXPECT_EQ(values[2].SummariseTarget, 2);
  EXPECT_EQ(values[1].SummariseTarget, 0);
  EXPECT_EQ(values[5].Summarise, ' ');
  EXPECT_EQ(values[5].SummariseTarget, 5);
}

TEST_F(CompletionTest, DirectBasesAreSharedAndUnknownTargetsReported) {
  GroupG();
  Parse("CP,P1,One,G,>P9");
  Parse("CP,P2,Two,G,>P9");
  Parse("CP,P9,Target,G");
  Parse("CP,P3,Three,G,>XX");
  CompleteModel(engine_);
  BuildInputs(engine_);
  const ModelTables& model = engine_.model;
  ASSERT_EQ(model.bases.count(), 1);
  EXPECT_EQ(model.bases[1].Code, ">P9");
  EXPECT_EQ(model.bases[1].LOC, "1");
  ASSERT_EQ(model.base_lines.count(), 1);
  EXPECT_EQ(model.base_lines[1].MeasureType, 'C');
  EXPECT_DOUBLE_EQ(model.base_lines[1].Value, 1);
  EXPECT_EQ(model.base_lines[1].Output, 3);
  EXPECT_EQ(model.pools[1].Base, 1);
  EXPECT_EQ(model.pools[2].Base, 1);
  ASSERT_EQ(model.pools[3].Inputs.size(), 2u);
  EXPECT_EQ(model.pools[3].Inputs[1].Source, 2);
  EXPECT_EQ(Errors(), (Lines{"133 CP; AB Code not found; CP=P3 AB=>XX "}));
}

TEST_F(CompletionTest, LevelOfConfidenceFollowsTheLines) {
  Parse("NM,N,Named,1");
  Parse("IM,I,Input,T");
  for (const char* record :
       {"AB,B1,One constant", "AB,B2,Two named", "AB,B3,Constant and input", "AB,B4,Explicit,2"}) {
    Parse(record);
  }
  for (const char* record : {"ABL,B1,c,C,1,P", "ABL,B2,n,N,N,P", "ABL,B2,n,N,N,P", "ABL,B3,c,C,1,P",
                             "ABL,B3,i,I,I,P", "ABL,B4,i,I,I,P"}) {
    Parse(record);
  }
  CompleteModel(engine_);
  const ModelTable<TmyAB>& bases = engine_.model.bases;
  EXPECT_EQ(bases[1].LOC, "1");
  EXPECT_EQ(bases[2].LOC, "2");
  EXPECT_EQ(bases[3].LOC, "3");
  EXPECT_EQ(bases[4].ComputedLOC, "3");
  EXPECT_EQ(bases[4].LOC, "2");
  EXPECT_EQ(engine_.model.base_lines[2].Description, "Named");
}

TEST_F(CompletionTest, DuplicatesNamedMeasureValuesAndLateChecks) {
  GroupG();
  for (int i = 0; i < 3; ++i) Parse("CP,P,Same code,G");
  Parse("CP,V,Variance with a base,G,AB1");
  Parse("CP,W,Budgeted,G,,1,V");
  Parse("NM,N1,Set twice,5,2");
  Parse("NM,N2,Never set,3,2");
  Parse("NMV,N1,8");
  Parse("NMV,N1,10");
  Parse("NMV,N9,1");
  CompleteModel(engine_);
  const TmyNM& n1 = engine_.model.named_measures[1];
  EXPECT_DOUBLE_EQ(n1.Value, 10);
  EXPECT_DOUBLE_EQ(n1.Measure, 5);
  EXPECT_EQ(Errors(),
            (Lines{"101 CP; Duplicate Code; CP=P ", "101 CP; Duplicate Code; CP=P ",
                   "133 CP; AB Code not found; CP=V AB=AB1 ",
                   "123 NMV; NM Value has been previously set; duplicate; NMV=N1 ",
                   "142 NMV; NM Code not found; NMV=N9 ",
                   "181 NM; Named Measure not set using NMV - initial value used; NM=N2 Value=1.5 ",
                   "182 CP; Variance Cost Pool cannot have Allocation Base; CP=V "}));
}

TEST_F(CompletionTest, PoolSelectionsRankDeeperValuesOfRankedDimensionsFirst) {
  Parse("DIMH,1,Account");
  Parse("DIMH,2,Region");
  Value(1, "X,Only");
  Value(2, "R,Region");
  Value(2, "R1,Subregion,R");
  GroupG(",0,1");  // column 8 ranks dimension 2 first
  for (const char* record : {"CP,PA,Region,G", "CP,PB,Subregion,G", "CP,PC,Rest,G"}) Parse(record);
  Parse("CPS,PC,Rest,,,*,*");
  Parse("CPS,PA,Region,,,*,R");
  Parse("CPS,PB,Subregion,,,X,R1");
  CompleteModel(engine_);
  const ModelTables& model = engine_.model;
  std::vector<std::string> order;
  for (const int32_t row : model.groups[1].PoolSelections)
    order.push_back(model.selections[row].Code);
  EXPECT_EQ(order, (Lines{"PB", "PA", "PC"}));
  EXPECT_EQ(SelectionText(model, 3), ",X,R1");
  EXPECT_EQ(SelectionText(model, 1), ",*,*");
  EXPECT_EQ(SelectionText(model, 0), ",Account,Region");
}

TEST_F(CompletionTest, SelectionOwnersAndTheirFaults) {
  Parse("DIMH,1,Account");
  Value(1, "X,Only");
  engine_.options.transaction_dimension = 1;
  GroupG();
  Parse("CP,P,Pool,G");
  Parse("IM,M,Measure,T");
  Parse("CPGS,G,Group rows,,,*");
  Parse("CPGS,NOG,Unknown group");
  Parse("CPS,NOP,Unknown pool");
  Parse("IMS,NOM,Unknown measure,NOP2,E");
  Parse("IMS,M,Measure,P,E,X");
  Parse("DIMT,NOX,Unknown value");
  Parse("DIMT,X,Known value");
  CompleteModel(engine_);
  const ModelTables& model = engine_.model;
  EXPECT_EQ(model.groups[1].GroupSelections, (std::vector<int32_t>{1}));
  EXPECT_EQ(model.input_measures[1].Selections, (std::vector<int32_t>{5}));
  EXPECT_EQ(model.selections[5].Code2Row, 1);
  EXPECT_EQ(model.selections[5].DimIndex[1], 1);
  EXPECT_EQ(model.dimensions[1].Values[1].TransSelection, 7);
  EXPECT_EQ(
      Errors(),
      (Lines{"107 SEL; CPG Code not found; CPG=NOG ", "108 SEL; CP Code not found; CP=NOP ",
             "109 IMS; IM Code not found; IM=NOM ", "110 IMS; CPCode2 not found; IM=NOM CP2=NOP2 ",
             "111 DIMT; DIM Code not found; DIM=NOX "}));
}

TEST_F(CompletionTest, GroupsAreTriedByPriority) {
  Parse("STG,S,Stage,2");
  Parse("CPG,G1,Later,S,10");
  Parse("CPG,G2,First,S,5");
  Parse("CPG,G3,Unknown stage,NOSTAGE,1");
  CompleteModel(engine_);
  const stTsortObj& order = engine_.model.group_priority;
  ASSERT_EQ(order.Count(), 3);
  EXPECT_EQ(order.Item(3).Number, 1);
  EXPECT_EQ(order.Item(1).Key, " 5G2");
  EXPECT_EQ(order.Item(2).Key, " 5G2") << "a group without stage takes the place of the one before";
}

}  // namespace
}  // namespace korav
