#include "editor/core/parameter_file.h"

#include <cstdio>

#include "common/line_reader.h"
#include "common/numbers.h"
#include "editor/core/file_access.h"

namespace korav {
namespace {

constexpr int32_t kCatalogueFileNr = 1;
constexpr int32_t kInternalRecordBase = 1000;
constexpr int kFirstFieldColumn = 9;
constexpr int32_t kMaxFields = 22;

// What the first pass learns: how big the definitions and the store must be.
struct ParmCounts {
  bool catalogue_wanted = false;
  int32_t max_file_nr = 0;
  int32_t records = 0;
  int32_t tab_bearing = 0;
};

// `text` cut or padded with blanks to `width` characters.
std::string Padded(std::string_view text, size_t width) {
  std::string result(text.substr(0, width));
  result.resize(width, ' ');
  return result;
}

ParmCounts CountParameterLines(EditorModel& model, LineReader& reader, const std::string& path) {
  ParmCounts counts;
  const std::string name = "Parameter file " + path;
  std::string_view line;
  while (NextLine(reader, line, name)) {
    model.csv.SplitCsv(line);
    const int32_t v = LeadingInt(model.csv[1]);
    if (v == kCatalogueFileNr) counts.catalogue_wanted = true;
    if (v >= kInternalRecordBase) {
      ++counts.records;
    } else {
      if (v > counts.max_file_nr) counts.max_file_nr = v;
      if (!model.csv[2].empty()) ++counts.tab_bearing;
    }
  }
  return counts;
}

// Parts 1 and 2 of KeyDef as the key's field numbers.
void ReadKeyDef(EditorModel& model, TmyParmRec& file) {
  file.KeyDef.assign(model.csv[8]);
  model.slash.SplitSlash(file.KeyDef);
  file.KeyNumber1 = IntOr(model.slash[2], 0);
  file.KeyNumber2 = IntOr(model.slash[3], 0);
}

void ReadFields(EditorModel& model, TmyParmRec& file) {
  file.Fields.assign(1, TmyField{});
  for (int column = kFirstFieldColumn;
       column < kFirstFieldColumn + kMaxFields && !model.csv[column].empty(); ++column) {
    model.slash.SplitSlash(model.csv[column]);
    TmyField field;
    field.Name.assign(model.slash[2]);
    field.Flags = Padded(model.slash[3], 4);
    field.FileNr = model.slash[4].empty() ? 0 : IntOr(model.slash[4], 0);
    file.Fields.push_back(std::move(field));
  }
  file.FieldCount = static_cast<int32_t>(file.Fields.size()) - 1;
}

// Reads column 7; returns false when its file number is not an integer, which
// leaves the rest of the definition unread.
bool ReadDependency(EditorModel& model, TmyParmRec& file) {
  if (model.csv[7].empty()) return true;
  model.slash.SplitSlash(model.csv[7]);
  int32_t owner = 0;
  if (!model.slash[1].empty() && !ParseInt(model.slash[1], owner)) return false;
  file.DependsOnFileNr = owner;
  file.DependsonCode.assign(model.slash[2]);
  if (owner >= 0 && owner <= model.MaxFileNr()) {
    model.files[static_cast<size_t>(owner)].ReferencedByFile = true;
  }
  return true;
}

void ReadDefinition(EditorModel& model, int32_t fileNr) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  file.Defined = true;
  file.TabName.assign(model.csv[2]);
  file.RecCount = 0;
  file.Title.assign(model.csv[3]);
  file.EditValue.assign(model.csv[4]);
  model.slash.SplitSlash(model.csv[5]);
  file.FileName.assign(model.slash[1]);
  file.FilenameParm = Padded(model.slash[2], 2);
  file.RecordCode.assign(model.slash[3]);
  file.HelpContext = LeadingInt(model.csv[6]);
  file.DependsOnFileNr = 0;
  file.DependsonCode.clear();
  file.ReferencedByFile = false;
  if (!ReadDependency(model, file)) return;
  ReadKeyDef(model, file);
  ReadFields(model, file);
}

void AddCatalogueRecord(EditorModel& model, int32_t fileNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  char number[16];
  std::snprintf(number, sizeof number, "%3d", fileNr);
  TmyDataRec record;
  record.RecNo = model.RecordTotal() + 1;
  record.FileNr = kCatalogueFileNr;
  record.Values = {"", number, file.TabName, file.Title, "", file.EditValue, file.FileName};
  model.records.push_back(std::move(record));
  ++model.files[kCatalogueFileNr].RecCount;
}

// A record line "1000 + f,..." of internal file f. Its values start after the
// number, as the lines of a data file start after their record code, unless f
// names a record code of its own without the "I" flag: then, as in a data
// file of such a definition, they start at column 1.
void AddInternalRecord(EditorModel& model, int32_t fileNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  const bool after_number = file.LinesCarryRecordCode() || file.RecordCode.empty();
  AddRecordFromLine(model, fileNr, after_number ? 2 : 1);
}

void FillFromParameterLines(EditorModel& model, LineReader& reader, const std::string& path,
                            bool catalogue_wanted) {
  const std::string name = "Parameter file " + path;
  std::string_view line;
  while (NextLine(reader, line, name)) {
    model.csv.SplitCsv(line);
    int32_t v = 0;
    if (!ParseInt(model.csv[1], v) || v < 0 || v == kInternalRecordBase) continue;
    if (v < kInternalRecordBase) {
      ReadDefinition(model, v);
      if (catalogue_wanted && v != kCatalogueFileNr && !model.csv[2].empty()) {
        AddCatalogueRecord(model, v);
      }
    } else if (v - kInternalRecordBase <= model.MaxFileNr()) {
      AddInternalRecord(model, v - kInternalRecordBase);
    }
  }
}

}  // namespace

void LoadKORAVEParms(EditorModel& model, const std::string& path, EditorHost& host) {
  LineReader reader;
  OpenWithRetry(reader, path, "KORAVEParms.csv file is open in another program, please close",
                host);
  model.files.assign(1, TmyParmRec{});
  model.records.assign(1, TmyDataRec{});
  const ParmCounts counts = CountParameterLines(model, reader, path);
  if (reader.Failed()) throw EditorFailure("Parameter file " + path + " could not be read");
  reader.Close();

  model.files.resize(static_cast<size_t>(counts.max_file_nr) + 1);
  model.RecordCapacity = counts.records + (counts.catalogue_wanted ? counts.tab_bearing : 0);
  model.records.reserve(static_cast<size_t>(model.RecordCapacity) + 1);
  model.TabBearingCount = counts.tab_bearing;

  if (!reader.Open(path)) throw EditorFailure(WithSystemError("Parameter file " + path));
  FillFromParameterLines(model, reader, path, counts.catalogue_wanted);
  if (reader.Failed()) throw EditorFailure("Parameter file " + path + " could not be read");
}

}  // namespace korav
