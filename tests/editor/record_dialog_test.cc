#include "editor/core/record_dialog.h"

#include <gtest/gtest.h>

#include "editor/core/editor_document.h"
#include "editor/core/select_dialog.h"
#include "editor_test_support.h"

namespace korav {
namespace {

// File 10 has a protected field, two fields not in use and a trailing field
// without a title; file 11 is keyed by two fields and has a field not in use
// that looks its value up.
constexpr const char* kParms =
    "10,Lines,Cost lines,ACMQ,,7,,K/1/0,f/Code/CMU,f/Name/WO,f/Base/CO >/31,f/Rate/SP9,"
    "f/Unused/SN,f/Spare/SO,f/Gone/SN,f//SO\n"
    "11,Plan,Pool plan,ACMQ,,0,,K/1/2,f/Pool/CM/26,f/Period/SM9,f/Amount/SON,"
    "f/Source/CN/26\n"
    "26,,Pools,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "31,,Bases,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
    "1010,A1,First,B1,5,x,s,g,h\n"
    "1010,A2,Second,>P2,,,,,\n"
    "1011,P1,3,100\n"
    "1026,P1,Pool one\n1026,P2,Pool two\n"
    "1031,B1,Base one\n";

class RecordDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Open(model_, kParms); }

  int32_t Find(int32_t fileNr, const std::string& key) {
    return FindRecordByKey(model_, fileNr, key);
  }
  std::vector<std::string> Column(const RecordDialog& dialog, std::string DialogRow::*cell) {
    std::vector<std::string> cells;
    for (int32_t r = 1; r <= dialog.RowCount(); ++r) cells.push_back(dialog.Row(r).*cell);
    return cells;
  }

  EditorFolder folder_;
  EditorModel model_;
  FieldValidator validator_{model_};
  RecordDialog dialog_{model_, validator_};
};

TEST_F(RecordDialogTest, AddShowsMarkersAndHidesTrailingRowsNotInUse) {
  dialog_.Open(DialogMode::kAdd, 10, 0);
  EXPECT_EQ(dialog_.Caption(), "Add Record");
  EXPECT_EQ(dialog_.TitleLine(), "Cost lines");
  EXPECT_EQ(dialog_.HelpContext(), 7);
  ASSERT_EQ(dialog_.RowCount(), 8);
  EXPECT_EQ(dialog_.VisibleRowCount(), 6);
  EXPECT_EQ(Column(dialog_, &DialogRow::marker),
            (std::vector<std::string>{"*", "", "", "_", ".", "", ".", "."}));
  EXPECT_EQ(
      Column(dialog_, &DialogRow::caption),
      (std::vector<std::string>{"Code", "Name", "Base", "Rate", "Unused", "Spare", "Gone", ""}));
  EXPECT_EQ(Column(dialog_, &DialogRow::value), std::vector<std::string>(8));
  EXPECT_TRUE(dialog_.Row(3).lookup);
  EXPECT_FALSE(dialog_.Row(1).lookup);
  EXPECT_EQ(dialog_.SelectedRow(), 1);
  EXPECT_EQ(dialog_.MessageLine(), "");

  EXPECT_FALSE(dialog_.SetValue(4, "9"));
  EXPECT_FALSE(dialog_.SetValue(5, "9"));
  EXPECT_TRUE(dialog_.SetValue(6, "9"));
  // TAB skips the row not in use and wraps past the hidden ones.
  EXPECT_EQ(dialog_.NextRow(4), 6);
  EXPECT_EQ(dialog_.NextRow(6), 1);
}

TEST_F(RecordDialogTest, ModifyProtectsTheKeyAndRewritesTheRecord) {
  const int32_t a1 = Find(10, "A1");
  dialog_.Open(DialogMode::kModify, 10, a1);
  EXPECT_EQ(dialog_.Caption(), "Modify Record");
  EXPECT_EQ(dialog_.Row(1).marker, "_");
  EXPECT_FALSE(dialog_.SetValue(1, "Z9"));
  EXPECT_EQ(dialog_.LastRow(), 2);
  // Fields not in use lose their value; a field without a title keeps it.
  EXPECT_EQ(Column(dialog_, &DialogRow::value),
            (std::vector<std::string>{"A1", "First", "B1", "5", "", "s", "", "h"}));
  EXPECT_EQ(dialog_.Row(3).description, "Base one");

  ASSERT_TRUE(dialog_.SetValue(2, " Renamed "));
  const int32_t total = model_.RecordTotal();
  ASSERT_EQ(dialog_.Ok(), OkResult::kModified);
  EXPECT_EQ(dialog_.RecordNr(), a1);
  EXPECT_EQ(model_.RecordTotal(), total);
  EXPECT_EQ(ValuesOf(model_.Record(a1)),
            (std::vector<std::string>{"A1", "Renamed", "B1", "5", "", "s", "", "h"}));
}

TEST_F(RecordDialogTest, ModifyOfATwoFieldKeyProtectsBothRowsAndTheirLookup) {
  const int32_t plan = Find(11, "P1\t3");
  dialog_.Open(DialogMode::kCopy, 11, plan);
  EXPECT_EQ(dialog_.Row(1).marker, "*");
  EXPECT_TRUE(dialog_.Row(1).lookup);
  EXPECT_EQ(dialog_.Row(1).description, "Pool one");
  EXPECT_EQ(dialog_.Row(3).description, "100.00");

  dialog_.Open(DialogMode::kModify, 11, plan);
  EXPECT_EQ(dialog_.Row(1).marker, "_");
  EXPECT_EQ(dialog_.Row(2).marker, "_");
  EXPECT_FALSE(dialog_.Row(1).lookup);
  EXPECT_EQ(dialog_.LastRow(), 3);
  // Selecting the key row does not bring its ">>" back.
  EXPECT_FALSE(dialog_.SelectCell(kLookupColumn, 1).has_value());
  EXPECT_FALSE(dialog_.Row(1).lookup);
}

TEST_F(RecordDialogTest, ARowNotInUseTakesACodeChosenThroughItsLookup) {
  dialog_.Open(DialogMode::kAdd, 11, 0);
  EXPECT_EQ(dialog_.Row(4).marker, ".");
  EXPECT_FALSE(dialog_.SetValue(4, "P1"));
  const auto request = dialog_.SelectCell(kLookupColumn, 4);
  ASSERT_TRUE(request.has_value());
  dialog_.ChooseCode(4, *request, "P2");
  EXPECT_EQ(dialog_.Row(4).value, "P2");
  EXPECT_EQ(dialog_.Row(4).description, "Pool two");
}

TEST_F(RecordDialogTest, QueryProtectsEveryRowAndOkOnlyCloses) {
  const int32_t a2 = Find(10, "A2");
  dialog_.Open(DialogMode::kQuery, 10, a2);
  EXPECT_EQ(dialog_.Caption(), "Query Record");
  EXPECT_EQ(Column(dialog_, &DialogRow::marker),
            (std::vector<std::string>{"_", "_", "_", "_", "_", "_", "_", "."}));
  const auto request = dialog_.SelectCell(kLookupColumn, 3);
  ASSERT_TRUE(request.has_value());
  dialog_.ChooseCode(3, *request, "P1");
  EXPECT_EQ(dialog_.Row(3).value, ">P2");
  const int32_t total = model_.RecordTotal();
  EXPECT_EQ(dialog_.Ok(), OkResult::kClosed);
  EXPECT_EQ(model_.RecordTotal(), total);
}

TEST_F(RecordDialogTest, AddRefusesADuplicateKeyAndStoresANewOne) {
  EditorDocument document(model_);
  document.LoadTabsinTabControl();
  document.TabControl1Change(0);
  ASSERT_EQ(document.CurrentFileNr(), 10);
  const int32_t total = model_.RecordTotal();

  dialog_.Open(DialogMode::kAdd, 10, 0);
  EXPECT_EQ(dialog_.Ok(), OkResult::kStayOpen);
  EXPECT_EQ(dialog_.MessageLine(), "Error, Code is mandatory");
  EXPECT_EQ(dialog_.ErrorRow(), 1);

  dialog_.SetValue(1, " a1 ");
  EXPECT_EQ(dialog_.Ok(), OkResult::kStayOpen);
  EXPECT_EQ(dialog_.TitleLine(), "Duplicate Key, cannot create");
  EXPECT_EQ(dialog_.MessageLine(), "");
  EXPECT_EQ(model_.RecordTotal(), total);

  dialog_.SetValue(1, "a3");
  dialog_.SetValue(3, "B1");
  ASSERT_EQ(dialog_.Ok(), OkResult::kAdded);
  EXPECT_EQ(dialog_.RecordNr(), total + 1);
  EXPECT_EQ(ValuesOf(model_.Record(total + 1)),
            (std::vector<std::string>{"A3", "", "B1", "", "", "", "", ""}));
  document.RecordAdded(dialog_.RecordNr());
  EXPECT_EQ(Find(10, "A3"), total + 1);
  EXPECT_EQ(model_.files[10].RecCount, 3);
  EXPECT_TRUE(document.DataChanged());

  // A copy keeps the source's key until it is changed.
  dialog_.Open(DialogMode::kCopy, 10, Find(10, "A2"));
  EXPECT_EQ(dialog_.Ok(), OkResult::kStayOpen);
  EXPECT_EQ(dialog_.TitleLine(), "Duplicate Key, cannot create");
}

TEST_F(RecordDialogTest, LeavingARowShowsItsMessageSelectingOneDoesNot) {
  dialog_.Open(DialogMode::kAdd, 10, 0);
  dialog_.SetValue(1, "a5");
  dialog_.SelectCell(1, 3);
  EXPECT_EQ(dialog_.Row(1).value, "A5");
  EXPECT_EQ(dialog_.MessageLine(), "");

  dialog_.SetValue(3, " B9");
  dialog_.SelectCell(1, 3);
  EXPECT_EQ(dialog_.MessageLine(), "");
  EXPECT_EQ(dialog_.ErrorRow(), 3);
  EXPECT_EQ(dialog_.Row(3).value, " B9");

  dialog_.SelectCell(1, 2);
  EXPECT_EQ(dialog_.MessageLine(), "Error, Base not found for value of B9");
  EXPECT_EQ(dialog_.SelectedRow(), 2);
  dialog_.SelectCell(1, 6);
  EXPECT_EQ(dialog_.MessageLine(), "");
}

TEST_F(RecordDialogTest, LookupOfADirectPoolBrowsesPoolsAndPutsTheMarkBack) {
  dialog_.Open(DialogMode::kAdd, 10, 0);
  EXPECT_FALSE(dialog_.SelectCell(kLookupColumn, 1).has_value());
  dialog_.SetValue(3, ">P");
  const auto request = dialog_.SelectCell(kLookupColumn, 3);
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->file_nr, 26);
  EXPECT_EQ(request->search_text, "P");
  EXPECT_EQ(dialog_.MessageLine(), "Error, Code is mandatory");

  SelectDialog select(model_);
  select.Open(request->file_nr, request->search_text);
  EXPECT_EQ(select.Selection().row, 1);
  select.FindNext();
  dialog_.ChooseCode(3, *request, select.Ok());
  EXPECT_EQ(dialog_.Row(3).value, ">P2");
  EXPECT_EQ(dialog_.Row(3).description, "Pool two");
  EXPECT_EQ(dialog_.MessageLine(), "");

  // Without the mark the field's own file is browsed; nothing chosen changes nothing.
  dialog_.SetValue(3, "B");
  const auto base = dialog_.DoubleClickRow(3);
  ASSERT_TRUE(base.has_value());
  EXPECT_EQ(base->file_nr, 31);
  EXPECT_EQ(base->search_text, "B");
  dialog_.ChooseCode(3, *base, "");
  EXPECT_EQ(dialog_.Row(3).value, "B");
  dialog_.ChooseCode(3, *base, "B1");
  EXPECT_EQ(dialog_.Row(3).value, "B1");
  EXPECT_EQ(dialog_.Row(3).description, "Base one");
}

TEST(RecordDialogUndefinedFileTest, OpensWithoutRows) {
  EditorFolder folder;
  EditorModel model;
  folder.Open(model, kParms);
  FieldValidator validator(model);
  RecordDialog dialog(model, validator);
  dialog.Open(DialogMode::kAdd, 99, 0);
  EXPECT_EQ(dialog.RowCount(), 0);
  EXPECT_EQ(dialog.SelectedRow(), 0);
  EXPECT_FALSE(dialog.SelectCell(1, 1).has_value());
}

}  // namespace
}  // namespace korav
