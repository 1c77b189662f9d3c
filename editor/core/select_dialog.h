// The record select dialog without its window: browses one lookup file in
// key-list order with the main window's find, and hands the code (value 1)
// of the chosen record back to the record dialog.
#ifndef KORAV_EDITOR_CORE_SELECT_DIALOG_H_
#define KORAV_EDITOR_CORE_SELECT_DIALOG_H_

#include <cstdint>
#include <string>

#include "editor/core/editor_model.h"
#include "editor/core/record_finder.h"

namespace korav {

inline constexpr const char* kSelectRecordCaption = "Select Record";

// The grid column width, in pixels, of a field's size letter.
int FieldColumnWidth(char size);

class SelectDialog {
 public:
  explicit SelectDialog(const EditorModel& model) : model_(model) {}

  // Shows file `fileNr` with `proposed` (the field's current value) in the
  // code box; a proposal that is not blank is searched at once.
  void Open(int32_t fileNr, const std::string& proposed);

  int32_t SelectFileNr() const { return select_file_nr_; }
  const std::string& TitleLine() const { return title_line_; }

  // Columns 0..FieldCount, rows 0..RecCount; row 0 holds the field titles,
  // column 0 the row numbers.
  int32_t ColumnCount() const;
  int32_t RowCount() const;
  int ColumnWidth(int32_t column) const;
  std::string CellText(int32_t column, int32_t row) const;

  std::string code_text;
  std::string description_text;
  GridSelection& Selection() { return selection_; }
  const GridSelection& Selection() const { return selection_; }

  void FindFirst();
  void FindNext();

  // "OK" or a double-click on a data row: the code of the selected record,
  // empty without a selected row, which the caller then ignores.
  const std::string& Ok();
  const std::string& SelectedCode() const { return selected_code_; }

 private:
  // The definition browsed; an undefined file browses nothing.
  const TmyParmRec* File() const { return model_.Definition(select_file_nr_); }

  const EditorModel& model_;
  int32_t select_file_nr_ = 0;
  std::string title_line_;
  GridSelection selection_;
  std::string selected_code_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_SELECT_DIALOG_H_
