// The headless main window of the editor: which files have tabs, which file
// is shown, which record operations are enabled, the selection and find of
// its grid, the record counts of the catalogue, deleting records and the
// steps after a record was added, and whether data changed since the last save.
// The window draws what this holds and forwards the user's actions here.
#ifndef KORAV_EDITOR_CORE_EDITOR_DOCUMENT_H_
#define KORAV_EDITOR_CORE_EDITOR_DOCUMENT_H_

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "editor/core/editor_model.h"
#include "editor/core/record_finder.h"

namespace korav {

enum class Operation { kAdd, kCopy, kModify, kDelete, kQuery, kFind };

inline constexpr const char* kNoDataSpace = "Error, No more Data space. Exit Program and Rerun";

class EditorDocument {
 public:
  explicit EditorDocument(EditorModel& model) : model_(model) {}

  // Rebuilds the tabs: one per file with a tab name, a dependent file only
  // while the record it belongs to exists.
  void LoadTabsinTabControl();
  // Shows the file of tab `tab_index` (from 0), moving from a master file to
  // a detail file keyed by it onto the details of the master record selected.
  void TabControl1Change(int tab_index);

  const std::vector<int32_t>& TabMap() const { return tab_map_; }
  int CurrentTab() const { return current_tab_; }
  int32_t CurrentFileNr() const { return current_file_nr_; }
  std::string TitleLine() const;
  // The button panel is hidden for the catalogue titled "File Summary".
  bool PanelVisible() const { return TitleLine() != "File Summary"; }
  // The operations the current file allows.
  std::set<Operation> RefreshCRUDButtons() const;

  GridSelection& Selection() { return selection_; }
  const GridSelection& Selection() const { return selection_; }
  // The text of grid cell (column, row) of the current file.
  std::string CellText(int32_t column, int32_t row) const;
  // The record in the selected row, or 0.
  int32_t SelectedRecord() const;

  // The code of the master record selected when the user last left a master
  // file; a tab change onto a detail file keyed by it searches for it, and
  // the window shows it in the code search box.
  const std::string& SavedKeyValue() const { return saved_key_value_; }

  void FindFirst(const std::string& code_text, const std::string& description_text);
  void FindNext(const std::string& code_text, const std::string& description_text);
  int FindColumn() const { return find_column_; }

  // An add or copy needs a free slot of the store: false, with the
  // data-space message, when the store is full.
  bool HasDataSpace(std::string& message) const;
  // After the record dialog added record `recordNr` to the current file.
  void RecordAdded(int32_t recordNr);
  // After the record dialog modified a record of the current file; its key
  // may have changed, so the file's key list is rebuilt.
  void RecordModified();
  // Deletes the selected record (the window has asked "Delete Current
  // Record"); false when no record is selected.
  bool DeleteRec();

  bool DataChanged() const { return data_changed_; }
  void DataSaved() { data_changed_ = false; }

  // "&Save Data Files": writes every data file into the data folder, clears
  // DataChanged and returns "All Files written". Throws EditorFailure when a
  // file cannot be written; DataChanged then stays set.
  std::string Save();
  // "Save &As": makes `folder` (with a "/" added when missing) the data
  // folder, then saves there; the window shows EditorCaption of it.
  std::string SaveAs(const std::string& folder);

 private:
  const TmyParmRec& CurrentFile() const;
  bool IsMasterFile(int32_t fileNr) const;
  void ShowCatalogueCounts();
  void RefreshAfterStructureChange();

  EditorModel& model_;
  std::vector<int32_t> tab_map_;
  int current_tab_ = -1;
  int32_t current_file_nr_ = 1;
  int find_column_ = 0;
  GridSelection selection_;
  bool data_changed_ = false;
  // The master record selected when the user last left a master file.
  int32_t saved_file_nr_ = 0;
  std::string saved_key_value_;
  GridSelection saved_selection_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_EDITOR_DOCUMENT_H_
