// The "Select Record" window: browses one lookup file in key-list order with
// the main window's find, and ends with OK on the record chosen. What it
// shows and finds is the select dialog of the editor core.
#ifndef KORAV_EDITOR_APP_SELECT_DIALOG_WINDOW_H_
#define KORAV_EDITOR_APP_SELECT_DIALOG_WINDOW_H_

#include <QDialog>
#include <cstdint>
#include <string>

#include "editor/app/record_grid_model.h"
#include "editor/core/select_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korav {

class SearchBoxes;

class SelectDialogWindow : public QDialog {
 public:
  SelectDialogWindow(const EditorModel& model, QWidget* parent = nullptr);

  // Shows file `fileNr` modally with `proposed` in the code box (searched at
  // once when it is not blank) and returns the code chosen: value 1 of the
  // record selected when the user pressed OK or double-clicked a row, empty
  // after Cancel or without a selected row.
  std::string Choose(int32_t fileNr, const std::string& proposed);

  // The handlers of the dialog's buttons.
  void FindFirstClick();
  void FindNextClick();
  void OkClick();

  const SelectDialog& core() const { return core_; }

 private:
  void ReadSearchBoxes();
  void ShowSelection();

  SelectDialog core_;
  RecordGridModel grid_model_;
  QLabel* title_line_;
  QLineEdit* code_box_;
  QLineEdit* description_box_;
  QTableView* grid_;
  SearchBoxes* search_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_APP_SELECT_DIALOG_WINDOW_H_
