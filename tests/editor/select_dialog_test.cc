#include "editor/core/select_dialog.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace korav {
namespace {

// File 40 is keyed by two fields, so its list order is not its store order.
constexpr const char* kParms =
    "40,Rates,Rate table,ACMQ,,0,,K/1/3,f/Code/CM,f/Text/WO,f/Period/T9,f/Hidden/NO\n"
    "41,,Empty,,,0,,K/1/0,f/Code/SM\n"
    "1040,Y,Year one,1,h\n1040,X,Second period,2,h\n1040,X,First period,1,h\n";

class SelectDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Open(model_, kParms); }

  EditorFolder folder_;
  EditorModel model_;
  SelectDialog select_{model_};
};

TEST_F(SelectDialogTest, AnEmptyProposalShowsTheFileFromRowOne) {
  select_.Open(40, "  ");
  EXPECT_EQ(select_.TitleLine(), "Rate table");
  EXPECT_EQ(select_.Selection().row, 1);
  ASSERT_EQ(select_.ColumnCount(), 5);
  EXPECT_EQ(select_.RowCount(), 3);
  EXPECT_EQ(select_.CellText(2, 0), "Text");
  EXPECT_EQ(select_.CellText(0, 2), "2");
  EXPECT_EQ(select_.CellText(2, 2), "Second period");
  EXPECT_EQ(select_.ColumnWidth(0), 55);
  EXPECT_EQ(select_.ColumnWidth(1), 110);
  EXPECT_EQ(select_.ColumnWidth(2), 400);
  EXPECT_EQ(select_.ColumnWidth(3), 20);
  EXPECT_EQ(select_.ColumnWidth(4), 0);
}

TEST_F(SelectDialogTest, AProposedCodeIsFoundAndItsValueOneReturned) {
  select_.Open(40, "y");
  EXPECT_EQ(select_.Selection().row, 3);
  EXPECT_EQ(select_.Selection().top_row, 3);
  EXPECT_EQ(select_.Ok(), "Y");

  select_.Open(40, "");
  select_.description_text = "period";
  select_.FindFirst();
  EXPECT_EQ(select_.Selection().row, 1);
  select_.FindNext();
  EXPECT_EQ(select_.Selection().row, 2);
  EXPECT_EQ(select_.Ok(), "X");
}

TEST_F(SelectDialogTest, WithoutARecordTheChoiceIsEmpty) {
  select_.Open(41, "abc");
  EXPECT_EQ(select_.SelectedCode(), "abc");
  EXPECT_EQ(select_.Selection().row, 0);
  EXPECT_EQ(select_.Ok(), "");

  select_.Open(99, "abc");
  EXPECT_EQ(select_.RowCount(), 0);
  EXPECT_EQ(select_.CellText(1, 0), "");
  EXPECT_EQ(select_.Ok(), "");
}

}  // namespace
}  // namespace korav
