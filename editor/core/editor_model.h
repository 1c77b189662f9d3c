// The editor's in-memory model: the file definitions read from the parameter
// file and the one record store shared by all data files.
//
// File numbers run from 1 to MaxFileNr(); a number without a definition line
// is left undefined, and every lookup through Definition() of a number that is
// not defined finds nothing, so a parameter file that lacks a file the rules
// name can never make the editor read outside its definitions.
#ifndef KORAV_EDITOR_CORE_EDITOR_MODEL_H_
#define KORAV_EDITOR_CORE_EDITOR_MODEL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/field_table.h"
#include "common/sorted_list.h"

namespace korav {

// The lookup file number that means "no lookup, and exempt from the parameter check".
inline constexpr int32_t kNoLookupFile = 9999;

// One field definition, from a parameter column "x/name/flags/FileNr".
struct TmyField {
  std::string Name;
  std::string Flags = "    ";  // size, mandatory, transformation, special
  int32_t FileNr = 0;

  char Size() const { return Flags[0]; }
  char Mandatory() const { return Flags[1]; }
  char Transformation() const { return Flags[2]; }
  char Special() const { return Flags[3]; }
  bool HasLookup() const { return FileNr != 0 && FileNr != kNoLookupFile; }
};

// One file definition.
struct TmyParmRec {
  bool Defined = false;
  std::string TabName;  // empty for an internal file
  std::string Title;    // "@": the description of the record this file depends on
  std::string EditValue;
  std::string FileName;
  std::string FilenameParm = "  ";
  std::string RecordCode;
  int32_t HelpContext = 0;
  int32_t DependsOnFileNr = 0;
  std::string DependsonCode;
  bool ReferencedByFile = false;
  bool ReferencedByField = false;
  std::string KeyDef;
  int32_t KeyNumber1 = 0;  // field numbers of the key, read from KeyDef
  int32_t KeyNumber2 = 0;
  int32_t FieldCount = 0;
  std::vector<TmyField> Fields{1};  // 1..FieldCount; 0 holds nothing
  int32_t RecCount = 0;
  stTsortObj KeyList{stTsortObj::Growth::kGrowing};

  bool IsInternal() const { return TabName.empty(); }
  // Every line of the data file begins with the record code column.
  bool LinesCarryRecordCode() const { return FilenameParm[0] == 'I'; }
  bool HasUniqueKey() const { return !KeyDef.empty() && KeyDef[0] == 'K'; }
  bool HasSortedKey() const { return !KeyDef.empty() && (KeyDef[0] == 'K' || KeyDef[0] == 'S'); }
};

// One record of the store; FileNr 0 marks a deleted record.
struct TmyDataRec {
  int32_t RecNo = 0;
  int32_t FileNr = 0;
  std::vector<std::string> Values{1};  // 1..; 0 holds nothing

  // Value `j`, or "" when the record has no such value.
  const std::string& Value(int32_t j) const;
};

struct EditorModel {
  // Every definition, indexed 0..MaxFileNr.
  std::vector<TmyParmRec> files{1};
  // The record store, indexed 1..RecordTotal(); slot 0 holds nothing.
  std::vector<TmyDataRec> records{1};
  int32_t RecordCapacity = 0;
  // Number of definitions with a tab name, as the parameter file's first pass counted them.
  int32_t TabBearingCount = 0;
  // The folder of the run file, ending in "/"; data and check files live here.
  std::string DataFolder;
  FieldTable csv{kEditorCsvSlots};
  FieldTable slash{kEditorSlashSlots};

  int32_t MaxFileNr() const { return static_cast<int32_t>(files.size()) - 1; }
  int32_t RecordTotal() const { return static_cast<int32_t>(records.size()) - 1; }

  // The definition of file `fileNr`, or nullptr when the number is outside
  // 1..MaxFileNr or has no definition line.
  const TmyParmRec* Definition(int32_t fileNr) const;
  TmyParmRec* Definition(int32_t fileNr);

  TmyDataRec& Record(int32_t recordNr) { return records[static_cast<size_t>(recordNr)]; }
  const TmyDataRec& Record(int32_t recordNr) const {
    return records[static_cast<size_t>(recordNr)];
  }
  // The record at key-list position `position` (1..RecCount) of `file`.
  const TmyDataRec& RecordAt(const TmyParmRec& file, int32_t position) const {
    return Record(file.KeyList.Item(position).Number);
  }
};

// The key of record `recordNr` under file `fileNr`'s KeyDef: value KeyNumber1,
// then a TAB and value KeyNumber2 when that is not 0; empty when both are 0.
std::string BuildKey(const EditorModel& model, int32_t fileNr, int32_t recordNr);

// The record of `fileNr` whose key is `key`, or -1 (also for an undefined file).
int32_t FindRecordByKey(const EditorModel& model, int32_t fileNr, std::string_view key);

// The file's Title; for "@" the description (value 2) of the record it depends
// on, empty when that record is missing or its file has fewer than 2 fields.
std::string GetFileTitle(const EditorModel& model, int32_t fileNr);

// The field's Name; for "@" with a lookup file, that file's dependent title as
// GetFileTitle finds it; "@" itself when the field has no lookup file.
std::string GetFieldTitle(const EditorModel& model, const TmyField& field);

// Value 2 of the record that file `fileNr` depends on, or `missing` when that
// record cannot be found.
std::string DependentTitle(const EditorModel& model, int32_t fileNr, const std::string& missing);

// Appends a record of file `fileNr` built from the last SplitCsv of
// model.csv: value j is column j + first_column - 1. Raises RecCount.
void AddRecordFromLine(EditorModel& model, int32_t fileNr, int first_column);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_EDITOR_MODEL_H_
