#include "editor/core/data_files.h"

#include "common/line_reader.h"
#include "common/paths.h"
#include "editor/core/file_access.h"

namespace korav {
namespace {

// Room for the records the user may add after loading.
constexpr int32_t kAdditionRoom = 1000;

bool IsCommentOrEmpty(const EditorModel& model, std::string_view line) {
  return line.empty() || (!model.csv[1].empty() && model.csv[1].front() == ';');
}

bool HasDataFile(const EditorModel& model, int32_t fileNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  return file.Defined && !file.FileName.empty() && FileExists(model.DataFolder + file.FileName);
}

int32_t CountLines(const EditorModel& model, int32_t fileNr, EditorHost& host) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  LineReader reader;
  OpenWithRetry(reader, model.DataFolder + file.FileName,
                file.FileName + " is open in another program, please close", host);
  int32_t lines = 0;
  std::string_view line;
  while (NextLine(reader, line, file.FileName)) ++lines;
  return lines;
}

void LoadDataFile(EditorModel& model, int32_t fileNr) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  LineReader reader;
  if (!reader.Open(model.DataFolder + file.FileName)) {
    throw EditorFailure(WithSystemError(file.FileName + " could not be opened"));
  }
  file.RecCount = 0;
  const int first_column = file.LinesCarryRecordCode() ? 2 : 1;
  std::string_view line;
  while (NextLine(reader, line, file.FileName)) {
    model.csv.SplitCsv(line);
    if (!IsCommentOrEmpty(model, line)) AddRecordFromLine(model, fileNr, first_column);
  }
  if (reader.Failed()) throw EditorFailure(file.FileName + " could not be read to its end");
}

bool IsWritten(const TmyParmRec& file) {
  return file.Defined && !file.FileName.empty() && (file.DependsOnFileNr == 0 || file.RecCount > 0);
}

void AppendValue(std::string& text, const std::string& value) {
  if (value.find(',') != std::string::npos) {
    text.append("\"").append(value).append("\"");
  } else {
    text.append(value);
  }
  text.push_back(',');
}

}  // namespace

std::string UnwritableReason(std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return "must not hold a line end";
  if (!value.empty() && value.front() == '"') return "must not begin with a double quote";
  if (value.find('"') != std::string_view::npos && value.find(',') != std::string_view::npos) {
    return "must not hold both a double quote and a comma";
  }
  if (!value.empty() && value.back() == ' ') return "must not end in a blank";
  return {};
}

void LoadKORAVEData(EditorModel& model, EditorHost& host) {
  int32_t lines = 0;
  for (int32_t f = 1; f <= model.MaxFileNr(); ++f) {
    if (HasDataFile(model, f)) lines += CountLines(model, f, host);
  }
  model.RecordCapacity = model.RecordTotal() + lines + kAdditionRoom;
  model.records.reserve(static_cast<size_t>(model.RecordCapacity) + 1);
  for (int32_t f = 1; f <= model.MaxFileNr(); ++f) {
    if (HasDataFile(model, f)) LoadDataFile(model, f);
  }
}

std::string DataFileText(const EditorModel& model, int32_t fileNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  std::string text;
  for (int32_t j = 1; j <= file.RecCount; ++j) {
    const TmyDataRec& record = model.RecordAt(file, j);
    if (file.LinesCarryRecordCode()) text.append(file.RecordCode).push_back(',');
    for (int32_t i = 1; i <= file.FieldCount; ++i) AppendValue(text, record.Value(i));
    text.append("\r\n");
  }
  return text;
}

void SaveDataFiles(const EditorModel& model) {
  for (int32_t f = 2; f <= model.MaxFileNr(); ++f) {
    const TmyParmRec& file = model.files[static_cast<size_t>(f)];
    if (IsWritten(file)) {
      ReplaceFile(model.DataFolder + file.FileName, DataFileText(model, f), file.FileName);
    }
  }
}

}  // namespace korav
