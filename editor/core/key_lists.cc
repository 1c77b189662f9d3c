#include "editor/core/key_lists.h"

#include "common/numbers.h"

namespace korav {
namespace {

constexpr int32_t kGrowBy = 100;
constexpr int32_t kFirstAddCapacity = 21;
// Room for additions in the lists of the files the user edits.
constexpr int32_t kEditRoom = 20;

int32_t KeyListCapacity(const TmyParmRec& file, int32_t fileNr) {
  return file.RecCount + (!file.IsInternal() && fileNr != 1 ? kEditRoom : 0);
}

void AppendToList(EditorModel& model, TmyParmRec& file, int32_t recordNr, int32_t fileNr) {
  file.KeyList.Add(BuildKey(model, fileNr, recordNr), recordNr);
  ++file.RecCount;
}

}  // namespace

void AddToKeyList(EditorModel& model, int32_t recordNr, int32_t fileNr) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  if (file.KeyList.Count() == 0) file.KeyList.Init(kFirstAddCapacity, kGrowBy);
  AppendToList(model, file, recordNr, fileNr);
}

void SortKeyList(EditorModel& model, int32_t fileNr) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  if (!file.KeyDef.empty()) file.KeyList.Sort();
}

void BuildKeyLists(EditorModel& model) {
  for (int32_t f = 0; f <= model.MaxFileNr(); ++f) {
    TmyParmRec& file = model.files[static_cast<size_t>(f)];
    file.KeyList.Init(KeyListCapacity(file, f), kGrowBy);
    file.RecCount = 0;
  }
  for (int32_t r = 1; r <= model.RecordTotal(); ++r) {
    const int32_t f = model.Record(r).FileNr;
    if (f != 0) AppendToList(model, model.files[static_cast<size_t>(f)], r, f);
  }
  for (int32_t f = 0; f <= model.MaxFileNr(); ++f) SortKeyList(model, f);
}

void RebuildKeyList(EditorModel& model, int32_t fileNr) {
  TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  file.KeyList.Init(KeyListCapacity(file, fileNr), kGrowBy);
  file.RecCount = 0;
  for (int32_t r = 1; r <= model.RecordTotal(); ++r) {
    if (model.Record(r).FileNr == fileNr) AppendToList(model, file, r, fileNr);
  }
  SortKeyList(model, fileNr);
}

void ApplyDimensionRule(EditorModel& model) {
  const TmyParmRec* options = model.Definition(kOptionsFileNr);
  TmyParmRec* selections = model.Definition(kTransactionSelectionFileNr);
  if (options == nullptr || selections == nullptr || selections->FieldCount < 1) return;
  TmyField& dimension_field = selections->Fields[1];
  for (int32_t j = 1; j <= options->RecCount; ++j) {
    const TmyDataRec& option = model.RecordAt(*options, j);
    if (option.Value(1) != "2") continue;
    const int32_t n = IntOr(option.Value(2), 0);
    if (n >= 1 && n <= 7 && dimension_field.Special() == '@') dimension_field.FileNr = n + 3;
  }
}

}  // namespace korav
