#include "editor/core/editor_document.h"

#include <gtest/gtest.h>

#include "editor/core/key_lists.h"
#include "editor_test_support.h"

namespace korav {
namespace {

using Operations = std::set<Operation>;

constexpr const char* kParms =
    "1,Files,File Summary,,,0,,K/1/0,f/Nr/SO,f/Tab/SO,f/Title/MO,f/Records/SO,f/Edit/SO,f/F/CO\n"
    "3,Heads,Dimensions,ACDMQ,DIMH.csv/I/DIMH,0,,K/1/0,f/Nr/SM9,f/Name/MM\n"
    "4,Dim1,@,ACDMQ,DIM1.csv,0,3/1,K/1/0,f/Code/CM,f/Description/MO\n"
    "5,Codes,Codes,Q,C.csv/I/C,0,,K/1/0,f/Code/CM,f/Description/MO\n"
    "6,Lines,Lines,AQ,L.csv/I/L,0,,,f/Code/CM/5,f/Description/MO\n"
    "7,Empty,Empty,ACDMQ,E.csv/I/E,0,,K/1/0,f/Code/CM\n";

class EditorDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("DIMH.csv", "DIMH,1,Account\n");
    folder_.Write("C.csv", "C,B10,Bread\nC,A20,Cake two\nC,A10,cake one\n");
    folder_.Write("L.csv", "L,A20,first\nL,B10,second\nL,A20,third\n");
    folder_.Open(model_, kParms);
    document_.LoadTabsinTabControl();
  }
  int TabOf(int32_t fileNr) const {
    const auto& tabs = document_.TabMap();
    for (size_t t = 0; t < tabs.size(); ++t) {
      if (tabs[t] == fileNr) return static_cast<int>(t);
    }
    return -1;
  }

  EditorFolder folder_;
  EditorModel model_;
  EditorDocument document_{model_};
};

TEST_F(EditorDocumentTest, CatalogueShowsCountsAndTitles) {
  EXPECT_EQ(document_.TabMap(), (std::vector<int32_t>{1, 3, 4, 5, 6, 7}));
  document_.TabControl1Change(0);
  EXPECT_FALSE(document_.PanelVisible());
  EXPECT_EQ(document_.CellText(4, 3), "3");  // file 5, three codes
  EXPECT_EQ(document_.CellText(3, 2), "Account");
  EXPECT_EQ(document_.CellText(2, 0), "Tab");

  for (int i = 0; i < 1231; ++i) {
    TmyDataRec record;
    record.FileNr = 7;
    record.Values = {"", "X" + std::to_string(i)};
    model_.records.push_back(record);
  }
  BuildKeyLists(model_);
  document_.TabControl1Change(0);
  EXPECT_EQ(document_.CellText(4, 5), "1,231");  // file 7 is the fifth row
}

TEST_F(EditorDocumentTest, OperationsFollowTheEditValueAndTheRecords) {
  document_.TabControl1Change(TabOf(5));
  EXPECT_TRUE(document_.PanelVisible());
  EXPECT_EQ(document_.RefreshCRUDButtons(), (Operations{Operation::kQuery, Operation::kFind}));
  document_.TabControl1Change(TabOf(7));
  EXPECT_EQ(document_.RefreshCRUDButtons(), (Operations{Operation::kAdd}));
  EXPECT_EQ(document_.Selection().row, 0);
}

TEST_F(EditorDocumentTest, FindTakesTheNearestRowInSortedFiles) {
  document_.TabControl1Change(TabOf(5));  // rows A10, A20, B10
  document_.FindFirst("a2", "");
  EXPECT_EQ(document_.Selection().row, 2);
  document_.FindFirst("A15", "");
  EXPECT_EQ(document_.Selection().row, 1);
  document_.FindFirst("C", "");
  EXPECT_EQ(document_.Selection().row, 1);
  document_.FindFirst("  ", "CAKE");
  EXPECT_EQ(document_.Selection().row, 1);
  EXPECT_EQ(document_.FindColumn(), 2);
  document_.FindNext("", "CAKE");
  EXPECT_EQ(document_.Selection().row, 2);
  document_.FindNext("", "CAKE");
  EXPECT_EQ(document_.Selection().row, 1);  // no further hit
}

TEST_F(EditorDocumentTest, UnsortedFilesMatchSubstringsInLoadOrder) {
  document_.TabControl1Change(TabOf(6));  // rows A20, B10, A20
  document_.FindFirst("20", "");
  EXPECT_EQ(document_.Selection().row, 1);
  document_.FindNext("20", "");
  EXPECT_EQ(document_.Selection().row, 3);
}

TEST_F(EditorDocumentTest, MovingFromAMasterShowsItsDetails) {
  document_.TabControl1Change(TabOf(5));
  document_.FindFirst("B10", "");
  document_.TabControl1Change(TabOf(6));
  EXPECT_EQ(document_.Selection().row, 2);
  document_.TabControl1Change(TabOf(5));
  EXPECT_EQ(document_.Selection().row, 3);
}

TEST_F(EditorDocumentTest, DeletingTheMasterRecordRemovesTheDependentTab) {
  document_.TabControl1Change(TabOf(3));
  ASSERT_TRUE(document_.DeleteRec());
  EXPECT_TRUE(document_.DataChanged());
  EXPECT_EQ(TabOf(4), -1);
  EXPECT_EQ(document_.TabMap()[static_cast<size_t>(document_.CurrentTab())], 3);
  EXPECT_FALSE(document_.DeleteRec());
}

TEST_F(EditorDocumentTest, AddingNeedsDataSpaceAndFindsTheNewRecord) {
  document_.TabControl1Change(TabOf(5));
  TmyDataRec record;
  record.FileNr = 5;
  record.Values = {"", "A15", "new"};
  model_.records.push_back(record);
  document_.RecordAdded(model_.RecordTotal());
  EXPECT_EQ(model_.files[5].RecCount, 4);
  EXPECT_EQ(document_.Selection().row, 2);
  EXPECT_TRUE(document_.DataChanged());

  std::string message;
  EXPECT_TRUE(document_.HasDataSpace(message));
  model_.RecordCapacity = model_.RecordTotal();
  EXPECT_FALSE(document_.HasDataSpace(message));
  EXPECT_EQ(message, "Error, No more Data space. Exit Program and Rerun");
}

}  // namespace
}  // namespace korav

namespace korav {
namespace {

TEST_F(EditorDocumentTest, SaveAsWritesIntoTheNewFolderAndClearsTheChange) {
  std::filesystem::create_directories(folder_.path("copy"));
  document_.RecordModified();
  ASSERT_TRUE(document_.DataChanged());
  EXPECT_EQ(document_.SaveAs(folder_.path("copy")), "All Files written");
  EXPECT_EQ(model_.DataFolder, folder_.path("copy/"));
  EXPECT_FALSE(document_.DataChanged());
  EXPECT_TRUE(folder_.Exists("copy/C.csv"));
  EXPECT_EQ(folder_.Read("C.csv"), "C,B10,Bread\nC,A20,Cake two\nC,A10,cake one\n")
      << "the folder read from is left as it was";
}

}  // namespace
}  // namespace korav
