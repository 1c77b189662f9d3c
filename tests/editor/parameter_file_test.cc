#include "editor/core/parameter_file.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace korav {
namespace {

using Values = std::vector<std::string>;

TEST(ParameterFileTest, CatalogueListsTabBearingFilesOnlyWhenLineOneExists) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "1,Files,File Summary,,,0,,K/1/0,f/Nr/SO,f/Tab/SO,f/Title/MO,f/N/SO,f/E/SO,f/F/CO\n"
              "3,Stages,Stage list,AMQ,STG.csv/I/STG,0,,K/1/0,f/Code/CM\n"
              "12,Dim1,@,Q,DIM1.csv,0,3/1,K/1/0,f/Code/CM\n"
              "50,,Codes,,,0,,K/1/0,f/Code/SM,f/Description/MO\n");
  ASSERT_EQ(model.files[1].RecCount, 2);
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[1], 1)),
            (Values{"  3", "Stages", "Stage list", "", "AMQ", "STG.csv"}));
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[1], 2)),
            (Values{" 12", "Dim1", "@", "", "Q", "DIM1.csv"}));
  EXPECT_TRUE(model.files[50].IsInternal());

  EditorModel without;
  folder.Open(without, "3,Stages,Stage list,AMQ,STG.csv/I/STG,0,,K/1/0,f/Code/CM\n");
  EXPECT_EQ(without.RecordTotal(), 0);
  EXPECT_EQ(without.MaxFileNr(), 3);
}

TEST(ParameterFileTest, DefinitionColumnsAndFieldsStopAtFirstEmptyColumn) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "; heading line, ignored\n"
              " 4,Pools,Cost Pools,ACM,CP.csv/IF/CP,17x,,S/2/0,f/Code/CM/0,f/Group/SOUs/9,"
              "f/Base/C/bad,,f/Late/CM\n"
              "5,Empty,None,,,0,,,,f/Ignored/CM\n");
  const TmyParmRec& pools = model.files[4];
  EXPECT_EQ(pools.TabName, "Pools");
  EXPECT_EQ(pools.FileName, "CP.csv");
  EXPECT_EQ(pools.FilenameParm, "IF");
  EXPECT_EQ(pools.RecordCode, "CP");
  EXPECT_EQ(pools.HelpContext, 17);
  ASSERT_EQ(pools.FieldCount, 3);
  EXPECT_EQ(pools.Fields[2].Name, "Group");
  EXPECT_EQ(pools.Fields[2].Flags, "SOUs");
  EXPECT_EQ(pools.Fields[2].FileNr, 9);
  EXPECT_EQ(pools.Fields[3].Flags, "C   ");
  EXPECT_EQ(pools.Fields[3].FileNr, 0);
  EXPECT_EQ(model.files[5].FieldCount, 0);
  EXPECT_FALSE(model.files[2].Defined);
}

TEST(ParameterFileTest, KeysAreBuiltFromTheNamedFields) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "3,,One,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
              "4,,Two,,,0,,K/1/2,f/Code/SM,f/Description/MO\n"
              "5,,None,,,0,,S/0/0,f/Code/SM,f/Description/MO\n"
              "1003,A,first\n1004,B,second\n1005,C,third\n");
  EXPECT_EQ(BuildKey(model, 3, model.files[3].KeyList.Item(1).Number), "A");
  EXPECT_EQ(BuildKey(model, 4, model.files[4].KeyList.Item(1).Number), "B\tsecond");
  EXPECT_EQ(BuildKey(model, 5, model.files[5].KeyList.Item(1).Number), "");
}

TEST(ParameterFileTest, InternalRecordLinesAndIgnoredLines) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "1000,X,never\n"
              "3,,Codes,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
              "1003,B,Bee\n"
              "-4,,Negative\n"
              "1003,A,Ay\n"
              "1099,beyond every definition\n");
  ASSERT_EQ(model.RecordTotal(), 2);
  EXPECT_EQ(model.files[3].RecCount, 2);
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[3], 1)), (Values{"A", "Ay"}));
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[3], 2)), (Values{"B", "Bee"}));
}

TEST(ParameterFileTest, InternalRecordsStartAtColumnOneOnlyForARecordCodeWithoutTheFlag) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "3,,Plain,,,0,,,f/Code/SM,f/Description/MO\n"
              "4,,Flagged,,/I/XX,0,,,f/Code/SM,f/Description/MO\n"
              "5,,Coded,,//XX,0,,,f/Code/SM,f/Description/MO\n"
              "1003,A,Ay\n1004,B,Bee\n1005,C,Cee\n");
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[3], 1)), (Values{"A", "Ay"}));
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[4], 1)), (Values{"B", "Bee"}));
  EXPECT_EQ(ValuesOf(model.RecordAt(model.files[5], 1)), (Values{"1005", "C"}));
}

TEST(ParameterFileTest, OnlyLaterLinesMarkAFileReferencedByFile) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model,
              "5,Master,M,,,0,,K/1/0,f/Code/CM\n"
              "3,Detail,D,,,0,5/X,K/1/0,f/Code/CM\n"
              "6,Detail2,D,,,0,7/X,K/1/0,f/Code/CM\n"
              "7,Master2,M,,,0,,K/1/0,f/Code/CM\n"
              "8,Broken,B,,,0,x/1,K/1/0,f/Code/CM\n");
  EXPECT_TRUE(model.files[5].ReferencedByFile);
  EXPECT_FALSE(model.files[7].ReferencedByFile);
  EXPECT_EQ(model.files[3].DependsOnFileNr, 5);
  EXPECT_EQ(model.files[3].DependsonCode, "X");
  EXPECT_TRUE(model.files[8].KeyDef.empty());
  EXPECT_EQ(model.files[8].FieldCount, 0);
}

TEST(ParameterFileTest, TitlesThroughTheRecordAFileDependsOn) {
  EditorFolder folder;
  EditorModel model;
  folder.Write("DIMH.csv", "DIMH,1,Account\n");
  folder.Open(model,
              "3,Dimensions,Dimensions,,DIMH.csv/I/DIMH,0,,K/1/0,f/Nr/SM9,f/Name/MM\n"
              "4,Dim1,@,,DIM1.csv,0,3/1,K/1/0,f/Code/CM\n"
              "5,Dim2,@,,DIM2.csv,0,3/2,K/1/0,f/Code/CM\n"
              "6,Sel,Selections,,,0,,S/1/0,f/@/CO/4,f/@/CO/5,f/@/CO,f/Plain/CO/4\n");
  EXPECT_EQ(GetFileTitle(model, 4), "Account");
  EXPECT_EQ(GetFileTitle(model, 5), "");
  EXPECT_EQ(GetFileTitle(model, 6), "Selections");
  const TmyParmRec& sel = model.files[6];
  EXPECT_EQ(GetFieldTitle(model, sel.Fields[1]), "Account");
  EXPECT_EQ(GetFieldTitle(model, sel.Fields[2]), "");
  EXPECT_EQ(GetFieldTitle(model, sel.Fields[3]), "@");
  EXPECT_EQ(GetFieldTitle(model, sel.Fields[4]), "Plain");
}

TEST(ParameterFileTest, AFileThatCannotBeOpenedAsksTheHostThenFails) {
  EditorModel model;
  RecordingHost host;
  try {
    LoadKORAVEParms(model, "/nonexistent/parms.csv", host);
    FAIL() << "no failure";
  } catch (const EditorFailure& failure) {
    EXPECT_STREQ(failure.what(), "KORAVEParms.csv file is open in another program, please close");
  }
  EXPECT_EQ(
      host.retry_messages,
      std::vector<std::string>{"KORAVEParms.csv file is open in another program, please close"});
}

}  // namespace
}  // namespace korav
