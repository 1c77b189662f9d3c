#include "editor/core/select_dialog.h"

#include "editor/core/text_format.h"

namespace korav {
namespace {

constexpr int kRowNumberWidth = 55;

}  // namespace

int FieldColumnWidth(char size) {
  switch (size) {
    case 'C':
      return 110;
    case 'M':
      return 150;
    case 'N':
      return 0;
    case 'S':
      return 75;
    case 'T':
      return 20;
    case 'W':
      return 400;
    default:
      return 40;
  }
}

void SelectDialog::Open(int32_t fileNr, const std::string& proposed) {
  select_file_nr_ = fileNr;
  title_line_ = GetFileTitle(model_, fileNr);
  selection_ = GridSelection{RowCount() > 0 ? 1 : 0, RowCount() > 0 ? 1 : 0};
  selected_code_ = proposed;
  code_text = proposed;
  description_text.clear();
  if (!Trimmed(code_text).empty()) FindFirst();
}

int32_t SelectDialog::ColumnCount() const {
  const TmyParmRec* file = File();
  return file == nullptr ? 1 : file->FieldCount + 1;
}

int32_t SelectDialog::RowCount() const {
  const TmyParmRec* file = File();
  return file == nullptr ? 0 : file->RecCount;
}

int SelectDialog::ColumnWidth(int32_t column) const {
  if (column == 0 || column >= ColumnCount()) return kRowNumberWidth;
  return FieldColumnWidth(File()->Fields[static_cast<size_t>(column)].Size());
}

std::string SelectDialog::CellText(int32_t column, int32_t row) const {
  if (column < 0 || column >= ColumnCount() || row < 0 || row > RowCount()) return {};
  const TmyParmRec& file = *File();
  if (row == 0) {
    return column == 0 ? std::string()
                       : GetFieldTitle(model_, file.Fields[static_cast<size_t>(column)]);
  }
  if (column == 0) return std::to_string(row);
  return model_.RecordAt(file, row).Value(column);
}

void SelectDialog::FindFirst() {
  korav::FindFirst(model_, select_file_nr_, code_text, description_text, selection_);
}

void SelectDialog::FindNext() {
  korav::FindNext(model_, select_file_nr_, code_text, description_text, selection_);
}

const std::string& SelectDialog::Ok() {
  if (selection_.row >= 1 && selection_.row <= RowCount()) {
    selected_code_ = model_.RecordAt(*File(), selection_.row).Value(1);
  } else {
    selected_code_.clear();
  }
  return selected_code_;
}

}  // namespace korav
