// The record dialog's window: one grid row per field of the current file
// with its value (the only column the user edits), the validator's
// description, the marker and the ">>" lookup button, under the file title
// and a message line; "OK", "Cancel" and "Help". What it shows and how it
// validates is the record dialog of the editor core.
#ifndef KORAV_EDITOR_APP_RECORD_DIALOG_WINDOW_H_
#define KORAV_EDITOR_APP_RECORD_DIALOG_WINDOW_H_

#include <QDialog>
#include <QTableWidget>
#include <cstdint>
#include <functional>
#include <utility>

#include "editor/core/record_dialog.h"

class QLabel;

namespace korav {

class HelpLauncher;
class SelectDialogWindow;

// The dialog's grid: TAB moves to the next row in use, wrapping, whether or
// not a value is being edited; Enter or Space on a ">>" cell opens its
// lookup, so that the keyboard alone can pick a code (the arrow keys only
// move).
class RecordDialogGrid : public QTableWidget {
 public:
  RecordDialogGrid(const RecordDialog& core, std::function<void(int32_t row)> open_lookup)
      : core_(core), open_lookup_(std::move(open_lookup)) {}

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const RecordDialog& core_;
  std::function<void(int32_t row)> open_lookup_;
};

class RecordDialogWindow : public QDialog {
 public:
  RecordDialogWindow(EditorModel& model, FieldValidator& validator, SelectDialogWindow& select,
                     HelpLauncher& help, QWidget* parent = nullptr);

  // Shows the dialog modally on file `fileNr` in `mode` (for C, M and Q on
  // record `recordNr`) and returns how it ended: kAdded or kModified after an
  // OK that stored the record (RecordNr() says which), kClosed after Cancel
  // or a query.
  OkResult Run(DialogMode mode, int32_t fileNr, int32_t recordNr);
  int32_t RecordNr() const { return core_.RecordNr(); }

  // The handlers of the user's actions: grid cell (column, row) selected,
  // the ">>" of `row` clicked (or Enter or Space on it), a row
  // double-clicked, OK.
  void CellSelected(int column, int32_t row);
  void LookupClick(int32_t row);
  void RowDoubleClick(int32_t row);
  void OkClick();

  const RecordDialog& core() const { return core_; }
  QTableWidget& grid() { return *grid_; }

 private:
  void ShowRows();
  void ShowLines();
  void ValueEdited(QTableWidgetItem* item);
  void OpenLookup(int32_t row, const LookupRequest& request);

  RecordDialog core_;
  SelectDialogWindow& select_;
  HelpLauncher& help_;
  OkResult result_ = OkResult::kClosed;
  QLabel* title_line_;
  QLabel* message_line_;
  RecordDialogGrid* grid_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_APP_RECORD_DIALOG_WINDOW_H_
