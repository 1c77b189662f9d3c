#include "editor/core/checks.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace korav {
namespace {

std::string CheckParmsOf(EditorFolder& folder, const std::string& parameters,
                         CheckResult* result = nullptr) {
  EditorModel model;
  folder.Open(model, parameters);
  RecordingHost host;
  const CheckResult outcome = CheckParms(model, host);
  if (result != nullptr) *result = outcome;
  return folder.Read("KORAVECheckParms.csv");
}

TEST(CheckParmsTest, EditValueLettersUnderOneEcho) {
  EditorFolder folder;
  CheckResult result;
  EXPECT_EQ(
      CheckParmsOf(folder, "3,Pools,Cost Pools,AXQZ,CP.csv/I/CP,0,,K/1/0,f/Code/CMUs\n", &result),
      ">,,,3,Pools,Cost Pools,AXQZ,CP.csv/I /CP,0,/,K/1/0,Code/CMUs/,\r\n"
      "Error, Edit value not valid in AMCDQ,1,,,,^^\r\n"
      "Error, Edit value not valid in AMCDQ,2,,,,^^\r\n");
  EXPECT_EQ(result.MessageCount, 2);
  EXPECT_EQ(result.Summary, "2 Messages written to file KORAVECheckParms.csv");
}

TEST(CheckParmsTest, FieldLettersAndLookupFiles) {
  EditorFolder folder;
  EXPECT_EQ(CheckParmsOf(folder,
                         "3,Pools,Pools,A,,0,,,f/Code/CMU#,f/Two/XQ9 /9999,f/Three/MO/4,"
                         "f/Four/MO/-1,f/Five/MO/12\n"
                         "4,,Codes,,,0,,K/1/0,f/Code/SM\n"
                         "1004,A\n"),
            ">,,,3,Pools,Pools,A,/  /,0,/,,Code/CMU#/,Two/XQ9 /9999,Three/MO  /4,Four/MO  /-1,"
            "Five/MO  /12,\r\n"
            "Error, Field Special not valid sSwWiIr>@V%,1,,,,,,,,,^^\r\n"
            "Error, Field size not valid NTSCMW,2,,,,,,,,,,^^\r\n"
            "Error, Field Mandatory not valid MOPN,3,,,,,,,,,,^^\r\n"
            "Error, Field FileNr not valid,4,,,,,,,,,,,,^^\r\n"
            "Error, Field FileNr not valid,5,,,,,,,,,,,,,^^\r\n"
            ">,,,4,,Codes,,/  /,0,/,K/1/0,Code/SM  /,\r\n"
            "Warning, Internal File has no Description field,6,^^\r\n");
}

TEST(CheckParmsTest, InternalFilesNeedItemsKeysAndReferences) {
  EditorFolder folder;
  EXPECT_EQ(CheckParmsOf(folder,
                         "5,,Lonely,,,0,,S/1/0,f/Code/SM\n"
                         "6,,Unreferenced,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                         "7,Tab,Tab,A,,0,,,f/Code/CM/9999,f/Code/CM/6\n"
                         "8,,,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                         "9,,Unused,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                         "1006,A,x\n1008,A,x\n1009,A,x\n"),
            ">,,,5,,Lonely,,/  /,0,/,S/1/0,Code/SM  /,\r\n"
            "Error, Internal File with no Items,1,^^\r\n"
            "Warning, Internal File has no Description field,2,^^\r\n"
            "Error, Internal File does not have a Key,3,,,,,,,,^^\r\n"
            "Warning, Internal file not referenced by any other file,4,^^\r\n"
            ">,,,9,,Unused,,/  /,0,/,K/1/0,Code/SM  /,Description/MO  /,\r\n"
            "Warning, Internal file not referenced by any other file,5,^^\r\n");
}

TEST(CheckParmsTest, DuplicateKeysOfInternalFilesEchoBothRecords) {
  EditorFolder folder;
  EXPECT_EQ(CheckParmsOf(folder,
                         "4,Tab,Tab,A,,0,,,f/Code/CM/5\n"
                         "5,,Codes,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                         "1005,A,first\n1005,B,other\n1005,A,second\n"),
            ">,,,,A,first,\r\n"
            "Error, Duplicate Key with rec in next     message; file 5,1,^^\r\n"
            ">,,,,A,second,\r\n"
            "Error, Duplicate Key with rec in previous message; file 5,2,^^\r\n");
}

// Key numbers name fields of the file; a key field that looks its value up
// must do so in a file with a unique key.
TEST(CheckParmsTest, KeyNumbersAreFieldNumbers) {
  EditorFolder folder;
  CheckResult result;
  EXPECT_EQ(
      CheckParmsOf(folder,
                   "3,Pools,Pools,A,,0,,K/1/0,f/Code/CM,f/Group/CM/4\n"
                   "4,,Groups,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                   "5,Lines,Lines,A,,0,,S/2/3,f/Desc/MO,f/Group/CM/4,f/Other/CM/6\n"
                   "6,Six,Six,A,,0,,S/1/0,f/Code/CM\n"
                   "7,Bad,Bad,A,,0,,K/4/x,f/Code/CM\n"
                   "8,Z,Z,A,,0,,S,f/Code/CM\n"
                   "9,Q,Q,A,,0,,X/1/0,f/Code/CM\n"
                   "1004,G,g\n",
                   &result),
      ">,,,5,Lines,Lines,A,/  /,0,/,S/2/3,Desc/MO  /,Group/CM  /4,Other/CM  /6,\r\n"
      "Error, Key Number 2 is not valid or File pointed to does not have a Key,1,,,,,,,,^^\r\n"
      ">,,,7,Bad,Bad,A,/  /,0,/,K/4/x,Code/CM  /,\r\n"
      "Error, Key Number 1 is not valid or File pointed to does not have a Key,2,,,,,,,,^^\r\n"
      "Error, Key Number 2 is not valid or File pointed to does not have a Key,3,,,,,,,,^^\r\n"
      ">,,,8,Z,Z,A,/  /,0,/,S,Code/CM  /,\r\n"
      "Error, Key not empty, but Key Numbers are empty,4,,,,,,,,^^\r\n"
      ">,,,9,Q,Q,A,/  /,0,/,X/1/0,Code/CM  /,\r\n"
      "Error, Key format not valid,5,,,,,,,,^^\r\n");
}

TEST(CheckParmsTest, ACleanParameterFileHasNoMessages) {
  EditorFolder folder;
  CheckResult result;
  EXPECT_EQ(CheckParmsOf(folder,
                         "1,Files,File Summary,,,0,,K/1/0,f/Nr/SO,f/Tab/SO\n"
                         "3,Pools,Pools,ACDMQ,CP.csv/IF/CP,0,,K/1/2,f/Code/CM,f/Group/CM/4\n"
                         "4,,Groups,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                         "1004,G,g\n",
                         &result),
            "");
  EXPECT_EQ(result.Summary, "No Messages");
}

constexpr const char* kDataParms =
    "1,Files,File Summary,,,0,,K/1/0,f/Nr/SO,f/Tab/SO\n"
    "3,Pools,Pools,A,CP.csv/I/CP,0,,K/1/0,f/Code/CM,f/Count/SO9,f/Rate/SOF\n"
    "4,List,List,A,L.csv/I/L,0,,S/1/0,f/Code/CM\n"
    "5,,Codes,,,0,,K/1/0,f/Code/SM,f/Description/MO,f/Count/SO9\n"
    "1005,A,x,bad\n1005,A,y\n";

TEST(CheckDataTest, RecordsAreEchoedOnceBeforeTheirMessages) {
  EditorFolder folder;
  folder.Write("CP.csv", "CP,B,1,2\nCP,A,x,y\nCP,B,3,4\n");
  folder.Write("L.csv", "L,A\nL,A\n");
  EditorModel model;
  folder.Open(model, kDataParms);
  FieldValidator validator(model);
  RecordingHost host;
  const CheckResult result = CheckData(model, validator, host);
  EXPECT_EQ(folder.Read("KORAVECheckData.csv"),
            ">,,,Pools,A,x,y,\r\n"
            "Error, Count must be integer number,1,,,^^\r\n"
            "Error, Rate must be number,2,,,,^^\r\n"
            ">,,,Pools,B,3,4,\r\n"
            "Error, Duplicate Key,3,^^\r\n");
  EXPECT_EQ(result.Summary, "3 Errors written to file KORAVECheckData.csv");
}

TEST(CheckDataTest, ACleanModelLeavesAnEmptyFile) {
  EditorFolder folder;
  folder.Write("CP.csv", "CP,A,1,2.5\n");
  EditorModel model;
  folder.Open(model, kDataParms);
  FieldValidator validator(model);
  RecordingHost host;
  const CheckResult result = CheckData(model, validator, host);
  EXPECT_EQ(result.Summary, "No Errors");
  EXPECT_EQ(result.MessageCount, 0);
  EXPECT_TRUE(folder.Exists("KORAVECheckData.csv"));
  EXPECT_EQ(folder.Read("KORAVECheckData.csv"), "");
}

TEST(CheckDataTest, ACheckFileThatCannotBeCreatedEndsTheCheck) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model, kDataParms);
  model.DataFolder = folder.path("missing/");
  FieldValidator validator(model);
  RecordingHost host;
  EXPECT_THROW(CheckData(model, validator, host), EditorFailure);
  EXPECT_EQ(host.retry_messages,
            std::vector<std::string>{
                "KORAVECheckData.csv file is open in another program, please close"});
}

}  // namespace
}  // namespace korav
