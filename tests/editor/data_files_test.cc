#include "editor/core/data_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <utility>

#include "common/line_reader.h"
#include "editor/core/key_lists.h"
#include "editor_test_support.h"

namespace korav {
namespace {

using Values = std::vector<std::string>;

constexpr const char* kParms =
    "2,Options,Options,ACDMQ,OO.csv/I/OO,0,,K/1/0,f/Nr/SM9,f/Value/WO\n"
    "3,Dimensions,Dimensions,ACDMQ,DIMH.csv/I/DIMH,0,,K/1/0,f/Nr/SM9,f/Name/MM\n"
    "4,Dim1,@,ACDMQ,DIM1.csv,0,3/1,K/1/0,f/Code/CM,f/Description/MO\n"
    "5,Dim2,@,ACDMQ,DIM2.csv,0,3/2,K/1/0,f/Code/CM,f/Description/MO\n"
    "19,DIMT,Selections,ACDMQ,DIMT.csv/I/DIMT,0,,S/1/0,f/Value/CM @\n";

TEST(DataFilesTest, CommentAndEmptyLinesAreNotLoaded) {
  EditorFolder folder;
  folder.Write("DIMH.csv", ";DIMH,Nr,Name\r\n;,x\r\n\r\nDIMH,2,Department\r\nDIMH,1,Account\r\n");
  folder.Write("DIM1.csv", ";abc,heading\nB,Bee,extra\r;\nA\n");
  EditorModel model;
  folder.Open(model, kParms);
  const TmyParmRec& headers = model.files[3];
  ASSERT_EQ(headers.RecCount, 2);
  EXPECT_EQ(ValuesOf(model.RecordAt(headers, 1)), (Values{"1", "Account"}));
  EXPECT_EQ(ValuesOf(model.RecordAt(headers, 2)), (Values{"2", "Department"}));
  const TmyParmRec& dim1 = model.files[4];
  ASSERT_EQ(dim1.RecCount, 2);
  EXPECT_EQ(ValuesOf(model.RecordAt(dim1, 1)), (Values{"A", ""}));
  EXPECT_EQ(ValuesOf(model.RecordAt(dim1, 2)), (Values{"B", "Bee"}));
  EXPECT_EQ(model.RecordCapacity, 5 + 4 + 1000);  // every line counts
}

TEST(DataFilesTest, ALineTooLongToReadStopsTheLoadingAndSaysWhere) {
  // Loading the other lines would lose this one at the next save.
  for (const bool in_parameters : {false, true}) {
    EditorFolder folder;
    const std::string huge(LineReader::kMaxLineBytes + 1, 'x');
    folder.Write("DIM1.csv", "A,One\n" + huge + "\nB,Two\n");
    EditorModel model;
    try {
      folder.Open(model, in_parameters ? kParms + huge + "\n" : kParms);
      ADD_FAILURE() << "loaded";
    } catch (const EditorFailure& failure) {
      const std::string where = in_parameters
                                    ? "Parameter file " + folder.path("parms.csv") + " line 6"
                                    : "DIM1.csv line 2";
      EXPECT_EQ(std::string(failure.what()),
                where +
                    " is longer than 1 MiB and cannot be read; nothing was loaded. Shorten or "
                    "remove that line in another editor.");
    }
  }
}

TEST(DataFilesTest, SavingWritesKeyOrderQuotesCommasAndSkipsDependentsWithoutRecords) {
  EditorFolder folder;
  folder.Write("DIMH.csv", "DIMH,1,Account\n");
  folder.Write("DIM1.csv", "Z,\"a,b\"\nA,say \"hi\"\n");
  folder.Write("DIM2.csv", "old content\n");
  folder.Write("OO.csv", ";only a comment\n");
  EditorModel model;
  folder.Open(model, kParms);
  EXPECT_EQ(model.files[5].RecCount, 1);  // "old content" is one record of DIM2
  model.Record(model.files[5].KeyList.Item(1).Number).FileNr = 0;
  RebuildKeyList(model, 5);
  SaveDataFiles(model);
  EXPECT_EQ(folder.Read("DIM1.csv"), "A,say \"hi\",\r\nZ,\"a,b\",\r\n");
  EXPECT_EQ(folder.Read("DIMH.csv"), "DIMH,1,Account,\r\n");
  EXPECT_EQ(folder.Read("DIM2.csv"), "old content\n");
  EXPECT_EQ(folder.Read("OO.csv"), "");
  EXPECT_EQ(folder.Read("DIMT.csv"), "");  // depends on no file, so written though empty
  EXPECT_EQ(folder.Names().size(), 6u);    // parms.csv and five data files: no leftovers
}

TEST(DataFilesTest, ValuesSavedReadBackUnchangedAndTheOthersAreRefused) {
  const std::pair<std::string, std::string> values[] = {
      {"a,b", ""},
      {"say \"hi\"", ""},
      {"end\"", ""},
      {" lead", ""},
      {",", ""},
      {"", ""},
      {"a\"b,c", "must not hold both a double quote and a comma"},
      {"x,\"", "must not hold both a double quote and a comma"},
      {"\"quoted\"", "must not begin with a double quote"},
      {"\"", "must not begin with a double quote"},
      {"two\nlines", "must not hold a line end"},
      {"cr\rhere", "must not hold a line end"},
      {"trailing ", "must not end in a blank"},
  };
  EditorFolder folder;
  EditorModel model;
  folder.Open(model, kParms);
  Values saved;
  for (const auto& [value, reason] : values) {
    EXPECT_EQ(UnwritableReason(value), reason) << value;
    if (!reason.empty()) continue;
    TmyDataRec record;
    record.FileNr = 4;
    record.Values = {"", "K" + std::to_string(saved.size()), value};
    model.records.push_back(record);
    saved.push_back(value);
  }
  BuildKeyLists(model);
  SaveDataFiles(model);
  EditorModel reread;
  folder.Open(reread, kParms);
  ASSERT_EQ(reread.files[4].RecCount, static_cast<int32_t>(saved.size()));
  for (size_t i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(reread.RecordAt(reread.files[4], static_cast<int32_t>(i) + 1).Value(2), saved[i]);
  }
}

TEST(DataFilesTest, AFailedSaveLeavesTheOldFileWhole) {
  EditorFolder folder;
  const std::string old_content = "DIMH,1,Account,\r\nDIMH,2,Department,\r\n";
  folder.Write("DIMH.csv", old_content);
  EditorModel model;
  folder.Open(model, kParms);
  for (int i = 0; i < 50; ++i) {
    TmyDataRec record;
    record.FileNr = 3;
    record.Values = {"", std::to_string(i + 3), std::string(40, 'x')};
    model.records.push_back(record);
  }
  BuildKeyLists(model);

  // The process may write no file larger than 200 bytes: writing the new
  // content fails part-way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 200;
  setrlimit(RLIMIT_FSIZE, &limited);
  bool failed = false;
  try {
    SaveDataFiles(model);
  } catch (const EditorFailure& failure) {
    failed = true;
    EXPECT_EQ(std::string(failure.what()).rfind("DIMH.csv could not be written: ", 0), 0u);
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_TRUE(failed);
  EXPECT_EQ(folder.Read("DIMH.csv"), old_content);
  EXPECT_EQ(folder.Names().size(), 3u);  // parms.csv, OO.csv written before, DIMH.csv
}

TEST(DataFilesTest, KeyListsFollowDeletesAndTheDimensionRule) {
  EditorFolder folder;
  folder.Write("OO.csv", "OO,2,3\nOO,4,1\nOO,2,9\n");
  EditorModel model;
  folder.Open(model, kParms);
  // The option records sort by number; the later "2" record (9) is outside 1
  // to 7 and leaves the pointer set by "2,3".
  EXPECT_EQ(model.files[19].Fields[1].FileNr, 6);

  const int32_t deleted = model.files[2].KeyList.Item(1).Number;
  model.Record(deleted).FileNr = 0;
  RebuildKeyList(model, 2);
  ASSERT_EQ(model.files[2].RecCount, 2);
  EXPECT_NE(model.files[2].KeyList.Item(1).Number, deleted);
  EXPECT_EQ(FindRecordByKey(model, 2, "4"), model.files[2].KeyList.Item(2).Number);
}

TEST(DataFilesTest, TheDimensionRuleNeedsTheSpecialMarkAndBothFiles) {
  EditorFolder folder;
  folder.Write("OO.csv", "OO,2,3\n");
  EditorModel unmarked;
  folder.Open(unmarked,
              "2,Options,Options,ACDMQ,OO.csv/I/OO,0,,K/1/0,f/Nr/SM9,f/Value/WO\n"
              "19,DIMT,Selections,ACDMQ,DIMT.csv/I/DIMT,0,,S/1/0,f/Value/CM/4\n");
  EXPECT_EQ(unmarked.files[19].Fields[1].FileNr, 4);
  EditorModel without_dimt;
  folder.Open(without_dimt, "2,Options,Options,ACDMQ,OO.csv/I/OO,0,,K/1/0,f/Nr/SM9,f/Value/WO\n");
  EXPECT_EQ(without_dimt.MaxFileNr(), 2);
}

}  // namespace
}  // namespace korav
