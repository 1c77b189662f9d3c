#include "editor/core/editor_document.h"

#include "common/numbers.h"
#include "editor/core/data_files.h"
#include "editor/core/key_lists.h"

namespace korav {
namespace {

constexpr int32_t kCatalogueFileNr = 1;

}  // namespace

const TmyParmRec& EditorDocument::CurrentFile() const {
  return model_.files[static_cast<size_t>(current_file_nr_)];
}

bool EditorDocument::IsMasterFile(int32_t fileNr) const {
  const TmyParmRec* file = model_.Definition(fileNr);
  return file != nullptr && (file->FieldCount == 0 || file->Fields[1].FileNr == 0);
}

void EditorDocument::LoadTabsinTabControl() {
  tab_map_.clear();
  for (int32_t f = 1; f <= model_.MaxFileNr(); ++f) {
    const TmyParmRec& file = model_.files[static_cast<size_t>(f)];
    if (file.TabName.empty()) continue;
    if (file.DependsOnFileNr != 0 &&
        FindRecordByKey(model_, file.DependsOnFileNr, file.DependsonCode) < 0) {
      continue;
    }
    tab_map_.push_back(f);
  }
}

void EditorDocument::ShowCatalogueCounts() {
  TmyParmRec& catalogue = model_.files[kCatalogueFileNr];
  for (int32_t j = 1; j <= catalogue.RecCount; ++j) {
    TmyDataRec& record = model_.Record(catalogue.KeyList.Item(j).Number);
    const int32_t n = IntOr(record.Value(1), 0);
    const TmyParmRec* file = model_.Definition(n);
    if (n != 0 && file != nullptr && record.Values.size() > 4) {
      record.Values[4] = FormatGrouped(file->RecCount, 0);
    }
  }
}

void EditorDocument::TabControl1Change(int tab_index) {
  if (tab_index < 0 || tab_index >= static_cast<int>(tab_map_.size())) return;
  if (current_tab_ >= 0 && IsMasterFile(current_file_nr_) && selection_.row != 0) {
    saved_key_value_ = model_.Record(SelectedRecord()).Value(1);
    saved_file_nr_ = current_file_nr_;
    saved_selection_ = selection_;
  }
  current_tab_ = tab_index;
  current_file_nr_ = tab_map_[static_cast<size_t>(tab_index)];
  const bool master = IsMasterFile(current_file_nr_);
  find_column_ = 0;
  selection_ = GridSelection{CurrentFile().RecCount > 0 ? 1 : 0, 1};
  if (current_file_nr_ == kCatalogueFileNr) ShowCatalogueCounts();
  const TmyParmRec& file = CurrentFile();
  if (!master && file.FieldCount > 0 && file.Fields[1].FileNr == saved_file_nr_ &&
      saved_file_nr_ != 0) {
    FindFirst(saved_key_value_, "");
  }
  if (master && current_file_nr_ == saved_file_nr_) selection_ = saved_selection_;
}

std::string EditorDocument::TitleLine() const { return GetFileTitle(model_, current_file_nr_); }

std::set<Operation> EditorDocument::RefreshCRUDButtons() const {
  const TmyParmRec& file = CurrentFile();
  std::set<Operation> enabled;
  const std::pair<char, Operation> letters[] = {{'A', Operation::kAdd},
                                                {'C', Operation::kCopy},
                                                {'M', Operation::kModify},
                                                {'D', Operation::kDelete},
                                                {'Q', Operation::kQuery}};
  for (const auto& [letter, operation] : letters) {
    if (file.EditValue.find(letter) == std::string::npos) continue;
    if (file.RecCount > 0 || operation == Operation::kAdd) enabled.insert(operation);
  }
  if (file.RecCount > 0) enabled.insert(Operation::kFind);
  return enabled;
}

std::string EditorDocument::CellText(int32_t column, int32_t row) const {
  const TmyParmRec& file = CurrentFile();
  if (row == 0) {
    return column > 0 && column <= file.FieldCount
               ? GetFieldTitle(model_, file.Fields[static_cast<size_t>(column)])
               : std::string();
  }
  if (row > file.RecCount) return {};
  if (column == 0) return std::to_string(row);
  const TmyDataRec& record = model_.RecordAt(file, row);
  const std::string& value = record.Value(column);
  if (current_file_nr_ == kCatalogueFileNr && value == "@") {
    return GetFileTitle(model_, IntOr(record.Value(1), 0));
  }
  return value;
}

int32_t EditorDocument::SelectedRecord() const {
  const TmyParmRec& file = CurrentFile();
  if (selection_.row < 1 || selection_.row > file.RecCount) return 0;
  return file.KeyList.Item(selection_.row).Number;
}

void EditorDocument::FindFirst(const std::string& code_text, const std::string& description_text) {
  const int column =
      korav::FindFirst(model_, current_file_nr_, code_text, description_text, selection_);
  if (column != 0) find_column_ = column;
}

void EditorDocument::FindNext(const std::string& code_text, const std::string& description_text) {
  const int column =
      korav::FindNext(model_, current_file_nr_, code_text, description_text, selection_);
  if (column != 0) find_column_ = column;
}

bool EditorDocument::HasDataSpace(std::string& message) const {
  if (model_.RecordTotal() < model_.RecordCapacity) return true;
  message = kNoDataSpace;
  return false;
}

void EditorDocument::RefreshAfterStructureChange() {
  if (!CurrentFile().ReferencedByFile) return;
  const int32_t file_nr = current_file_nr_;
  const GridSelection selection = selection_;
  LoadTabsinTabControl();
  for (size_t t = 0; t < tab_map_.size(); ++t) {
    if (tab_map_[t] == file_nr) {
      current_tab_ = -1;  // the tab is redone, not left
      TabControl1Change(static_cast<int>(t));
      selection_ = selection;
      return;
    }
  }
}

void EditorDocument::RecordAdded(int32_t recordNr) {
  AddToKeyList(model_, recordNr, current_file_nr_);
  SortKeyList(model_, current_file_nr_);
  ApplyDimensionRule(model_);
  data_changed_ = true;
  RefreshAfterStructureChange();
  const TmyParmRec& file = CurrentFile();
  if (!file.KeyDef.empty()) {
    FindFirst(model_.Record(recordNr).Value(1), "");
  } else {
    selection_.top_row = file.RecCount;
  }
}

std::string EditorDocument::Save() {
  SaveDataFiles(model_);
  data_changed_ = false;
  return kAllFilesWritten;
}

std::string EditorDocument::SaveAs(const std::string& folder) {
  model_.DataFolder = folder;
  if (!model_.DataFolder.empty() && model_.DataFolder.back() != '/') model_.DataFolder += '/';
  return Save();
}

void EditorDocument::RecordModified() {
  RebuildKeyList(model_, current_file_nr_);
  data_changed_ = true;
}

bool EditorDocument::DeleteRec() {
  const int32_t record = SelectedRecord();
  if (record == 0) return false;
  if (record == model_.RecordTotal()) {
    model_.records.pop_back();
  } else {
    model_.Record(record).FileNr = 0;
  }
  RebuildKeyList(model_, current_file_nr_);
  data_changed_ = true;
  RefreshAfterStructureChange();
  const int32_t count = CurrentFile().RecCount;
  if (selection_.row > count) selection_.row = count;
  return true;
}

}  // namespace korav
