#include "editor/core/editor_model.h"

#include <utility>

namespace korav {

const std::string& TmyDataRec::Value(int32_t j) const {
  static const std::string kEmpty;
  if (j < 1 || j >= static_cast<int32_t>(Values.size())) return kEmpty;
  return Values[static_cast<size_t>(j)];
}

const TmyParmRec* EditorModel::Definition(int32_t fileNr) const {
  if (fileNr < 1 || fileNr > MaxFileNr()) return nullptr;
  const TmyParmRec& file = files[static_cast<size_t>(fileNr)];
  return file.Defined ? &file : nullptr;
}

TmyParmRec* EditorModel::Definition(int32_t fileNr) {
  return const_cast<TmyParmRec*>(std::as_const(*this).Definition(fileNr));
}

std::string BuildKey(const EditorModel& model, int32_t fileNr, int32_t recordNr) {
  const TmyParmRec* file = model.Definition(fileNr);
  if (file == nullptr || (file->KeyNumber1 == 0 && file->KeyNumber2 == 0)) return {};
  const TmyDataRec& record = model.Record(recordNr);
  std::string key = record.Value(file->KeyNumber1);
  if (file->KeyNumber2 != 0) key.append("\t").append(record.Value(file->KeyNumber2));
  return key;
}

int32_t FindRecordByKey(const EditorModel& model, int32_t fileNr, std::string_view key) {
  const TmyParmRec* file = model.Definition(fileNr);
  return file == nullptr ? -1 : file->KeyList.Find(key);
}

std::string DependentTitle(const EditorModel& model, int32_t fileNr, const std::string& missing) {
  const TmyParmRec* file = model.Definition(fileNr);
  if (file == nullptr) return missing;
  const int32_t record = FindRecordByKey(model, file->DependsOnFileNr, file->DependsonCode);
  if (record < 0) return missing;
  const TmyParmRec* owner = model.Definition(file->DependsOnFileNr);
  return owner->FieldCount < 2 ? std::string() : model.Record(record).Value(2);
}

std::string GetFileTitle(const EditorModel& model, int32_t fileNr) {
  const TmyParmRec* file = model.Definition(fileNr);
  if (file == nullptr) return {};
  return file->Title == "@" ? DependentTitle(model, fileNr, "") : file->Title;
}

std::string GetFieldTitle(const EditorModel& model, const TmyField& field) {
  if (field.Name != "@" || field.FileNr == 0) return field.Name;
  return DependentTitle(model, field.FileNr, "");
}

void AddRecordFromLine(EditorModel& model, int32_t fileNr, int first_column) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  TmyDataRec record;
  record.RecNo = model.RecordTotal() + 1;
  record.FileNr = fileNr;
  record.Values.reserve(static_cast<size_t>(file.FieldCount) + 1);
  for (int32_t j = 1; j <= file.FieldCount; ++j) {
    record.Values.emplace_back(model.csv[j + first_column - 1]);
  }
  model.records.push_back(std::move(record));
  ++file.RecCount;
}

}  // namespace korav
