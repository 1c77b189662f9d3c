#include "editor/core/record_dialog.h"

#include <utility>

#include "editor/core/text_format.h"

namespace korav {
namespace {

const char* CaptionOf(DialogMode mode) {
  switch (mode) {
    case DialogMode::kAdd:
      return "Add Record";
    case DialogMode::kCopy:
      return "Copy Record";
    case DialogMode::kModify:
      return "Modify Record";
    case DialogMode::kQuery:
      return "Query Record";
  }
  return "";
}

std::string MarkerOf(char mandatory) {
  switch (mandatory) {
    case 'M':
      return "*";
    case 'O':
      return "";
    case 'P':
      return "_";
    case 'N':
      return ".";
    default:
      return std::string(1, mandatory);
  }
}

bool IsLookupFile(int32_t fileNr) { return fileNr != 0 && fileNr != kNoLookupFile; }

}  // namespace

void RecordDialog::Open(DialogMode mode, int32_t fileNr, int32_t recordNr) {
  validator_.ResetContext();
  mode_ = mode;
  // An undefined file shows no rows rather than reading outside the definitions.
  file_nr_ = model_.Definition(fileNr) != nullptr ? fileNr : 0;
  record_nr_ = mode == DialogMode::kAdd ? 0 : recordNr;
  const TmyParmRec& file = File();
  rows_.assign(static_cast<size_t>(file.FieldCount) + 1, DialogRow{});
  visible_rows_ = 0;
  for (int32_t r = 1; r <= file.FieldCount; ++r) {
    const TmyField& field = file.Fields[static_cast<size_t>(r)];
    DialogRow& row = MutableRow(r);
    row.marker = MarkerOf(field.Mandatory());
    if (record_nr_ != 0 && field.Mandatory() != 'N') row.value = model_.Record(record_nr_).Value(r);
    if (mode == DialogMode::kQuery) row.marker = "_";
    CheckValidRow(r, false);
    row.lookup = IsLookupFile(validator_.LookupFileNr());
    row.caption = GetFieldTitle(model_, field);
    if (row.caption.empty()) row.marker = ".";
    if (row.marker != ".") visible_rows_ = r;
  }
  last_row_ = 1;
  if (mode == DialogMode::kModify) LockKeyRows();
  selected_row_ = RowCount() >= 1 ? 1 : 0;
  title_line_ = GetFileTitle(model_, file_nr_);
  caption_ = CaptionOf(mode);
  message_line_.clear();
}

void RecordDialog::LockKeyRows() {
  const TmyParmRec& file = File();
  if (file.KeyDef.substr(0, file.KeyDef.find('/')) != "K") return;
  for (const int32_t key_row : {file.KeyNumber1, file.KeyNumber2}) {
    if (!ValidRow(key_row)) continue;
    DialogRow& row = MutableRow(key_row);
    row.marker = "_";
    row.lookup = false;
    row.key_locked = true;
  }
  // Leaving starts after the protected key rows, which need no validation.
  if (file.KeyNumber1 == 1) last_row_ = file.KeyNumber2 == 2 ? 3 : 2;
}

int32_t RecordDialog::HelpContext() const { return File().HelpContext; }

bool RecordDialog::IsEditable(int32_t row) const {
  return ValidRow(row) && Row(row).marker != "." && Row(row).marker != "_";
}

bool RecordDialog::SetValue(int32_t row, std::string value) {
  if (!IsEditable(row)) return false;
  MutableRow(row).value = std::move(value);
  return true;
}

bool RecordDialog::CheckValidRow(int32_t row, bool showMessage) {
  if (!ValidRow(row)) return true;
  DialogRow& cells = MutableRow(row);
  std::string value = cells.value;
  std::string description = cells.description;
  std::string message;
  validator_.ValidateField(file_nr_, row, value, message, description);
  if (showMessage) message_line_ = message;
  if (!message.empty()) {
    error_row_ = row;
    return false;
  }
  error_row_ = 0;
  cells.value = std::move(value);
  cells.description = std::move(description);
  return true;
}

std::optional<LookupRequest> RecordDialog::SelectCell(int column, int32_t row) {
  if (!ValidRow(row)) return std::nullopt;
  if (row != last_row_) {
    CheckValidRow(last_row_, true);
    last_row_ = row;
  }
  selected_row_ = row;
  CheckValidRow(row, false);
  DialogRow& cells = MutableRow(row);
  cells.lookup = !cells.key_locked && IsLookupFile(validator_.LookupFileNr());
  if (column != kLookupColumn || !cells.lookup) return std::nullopt;

  const std::string value = Trimmed(cells.value);
  const TmyField& field = File().Fields[static_cast<size_t>(row)];
  if (field.Special() == '>' && !value.empty() && value.front() == '>') {
    return LookupRequest{kCostPoolFileNr, value.substr(1), true};
  }
  return LookupRequest{validator_.LookupFileNr(), cells.value, false};
}

std::optional<LookupRequest> RecordDialog::DoubleClickRow(int32_t row) {
  if (!ValidRow(row) || !Row(row).lookup) return std::nullopt;
  return SelectCell(kLookupColumn, row);
}

void RecordDialog::ChooseCode(int32_t row, const LookupRequest& request, const std::string& code) {
  // Only a protected row refuses the code; a row marked not in use takes
  // what the user chose through its ">>".
  if (code.empty() || !ValidRow(row) || Row(row).marker == "_") return;
  MutableRow(row).value = request.direct_pool ? ">" + code : code;
  CheckValidRow(row, true);
}

int32_t RecordDialog::NextRow(int32_t row) const {
  const int32_t count = RowCount();
  for (int32_t step = 1; step <= count; ++step) {
    const int32_t candidate = (row + step - 1) % count + 1;
    if (Row(candidate).marker != ".") return candidate;
  }
  return row;
}

bool RecordDialog::IsDuplicateKey() {
  const int32_t slot = model_.RecordTotal();
  return File().HasUniqueKey() &&
         FindRecordByKey(model_, file_nr_, BuildKey(model_, file_nr_, slot)) >= 0;
}

OkResult RecordDialog::Ok() {
  if (mode_ == DialogMode::kQuery) return OkResult::kClosed;
  for (int32_t r = 1; r <= RowCount(); ++r) {
    if (!CheckValidRow(r, true)) return OkResult::kStayOpen;
  }
  std::vector<std::string> values{1};
  for (int32_t r = 1; r <= RowCount(); ++r) values.push_back(Row(r).value);

  if (mode_ == DialogMode::kModify) {
    model_.Record(record_nr_).Values = std::move(values);
    return OkResult::kModified;
  }
  TmyDataRec record;
  record.RecNo = model_.RecordTotal() + 1;
  record.FileNr = file_nr_;
  record.Values = std::move(values);
  model_.records.push_back(std::move(record));
  if (IsDuplicateKey()) {
    model_.records.pop_back();
    title_line_ = kDuplicateKey;
    return OkResult::kStayOpen;
  }
  record_nr_ = model_.RecordTotal();
  return OkResult::kAdded;
}

}  // namespace korav
