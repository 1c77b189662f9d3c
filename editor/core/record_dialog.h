// The record dialog without its window: one row per field of a file, opened
// to add, copy, modify or query a record.
//
// The dialog holds what the window draws (each row's caption, value,
// description, marker and ">>" lookup button, the title and message lines)
// and follows the user's actions: typing a value, selecting a cell, asking
// for a lookup and pressing OK. Every value passes through the editor's one
// field validator, whose context is reset when the dialog opens. Nothing reaches
// the record store until OK has validated every row; OK then stores the
// record and says which one, for the editor document's follow-up steps.
#ifndef KORAV_EDITOR_CORE_RECORD_DIALOG_H_
#define KORAV_EDITOR_CORE_RECORD_DIALOG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/core/editor_model.h"
#include "editor/core/field_validator.h"

namespace korav {

enum class DialogMode { kAdd, kCopy, kModify, kQuery };

inline constexpr const char* kDuplicateKey = "Duplicate Key, cannot create";

// The grid column of the ">>" lookup button.
inline constexpr int kLookupColumn = 4;

struct DialogRow {
  std::string caption;
  std::string value;
  std::string description;
  // "*" mandatory, "_" protected, "." not used, empty optional.
  std::string marker;
  bool lookup = false;  // shows ">>"
  bool key_locked = false;
};

// The select dialog a ">>" opens: the file to browse and the proposed search.
struct LookupRequest {
  int32_t file_nr = 0;
  std::string search_text;
  // The value names a cost pool directly (">" in front), which the chosen
  // code must get back.
  bool direct_pool = false;
};

enum class OkResult {
  kStayOpen,  // a row failed or the key exists; the dialog shows why
  kAdded,     // a new record, RecordNr(), was stored for the file
  kModified,  // the record opened, RecordNr(), was rewritten
  kClosed,    // query mode: closed without change
};

class RecordDialog {
 public:
  // `validator` is the editor's one validator, which the data check shares.
  RecordDialog(EditorModel& model, FieldValidator& validator)
      : model_(model), validator_(validator) {}

  // Opens on file `fileNr`; `recordNr` is the selected record in modes C, M
  // and Q and is not used in mode A.
  void Open(DialogMode mode, int32_t fileNr, int32_t recordNr);

  const std::string& Caption() const { return caption_; }
  const std::string& TitleLine() const { return title_line_; }
  const std::string& MessageLine() const { return message_line_; }
  int32_t HelpContext() const;

  // Rows 1..RowCount(); rows after VisibleRowCount() are hidden.
  int32_t RowCount() const { return static_cast<int32_t>(rows_.size()) - 1; }
  int32_t VisibleRowCount() const { return visible_rows_; }
  const DialogRow& Row(int32_t row) const { return rows_[static_cast<size_t>(row)]; }
  bool IsEditable(int32_t row) const;

  int32_t SelectedRow() const { return selected_row_; }
  // The row validated, with message, when the selection moves to another row.
  int32_t LastRow() const { return last_row_; }
  // The row of the last failed validation, 0 when it passed.
  int32_t ErrorRow() const { return error_row_; }

  // The user typed `value` into row `row`; false when the row cannot be edited.
  bool SetValue(int32_t row, std::string value);

  // Validates field `row` from its value and description cells. On success
  // the cells receive the normalised value and the description; on an error
  // they stay as typed. With `showMessage` the message line shows the result.
  bool CheckValidRow(int32_t row, bool showMessage);

  // The user selected cell (column, row). Leaving another row validates that
  // row with message; the row selected is validated without. Selecting the
  // ">>" column of a row that shows it returns the lookup to open.
  std::optional<LookupRequest> SelectCell(int column, int32_t row);
  // A double-click on a row with ">>" selects its ">>" column.
  std::optional<LookupRequest> DoubleClickRow(int32_t row);
  // The select dialog ended with OK and `code`: it becomes the row's value
  // (with ">" in front for a direct pool) and the row is validated, also in
  // a row marked not in use ("."). A protected row ("_"), or an empty code,
  // changes nothing.
  void ChooseCode(int32_t row, const LookupRequest& request, const std::string& code);

  // The row the TAB key moves to from `row`: the next row in use, wrapping.
  int32_t NextRow(int32_t row) const;

  OkResult Ok();
  int32_t RecordNr() const { return record_nr_; }

 private:
  const TmyParmRec& File() const { return model_.files[static_cast<size_t>(file_nr_)]; }
  DialogRow& MutableRow(int32_t row) { return rows_[static_cast<size_t>(row)]; }
  bool ValidRow(int32_t row) const { return row >= 1 && row <= RowCount(); }
  void LockKeyRows();
  bool IsDuplicateKey();

  EditorModel& model_;
  FieldValidator& validator_;
  DialogMode mode_ = DialogMode::kQuery;
  int32_t file_nr_ = 0;
  int32_t record_nr_ = 0;
  std::vector<DialogRow> rows_{1};
  int32_t visible_rows_ = 0;
  int32_t selected_row_ = 0;
  int32_t last_row_ = 0;
  int32_t error_row_ = 0;
  std::string caption_;
  std::string title_line_;
  std::string message_line_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_RECORD_DIALOG_H_
