#include <string_view>

#include "common/numbers.h"
#include "editor/core/checks.h"

namespace korav {
namespace {

bool OneOf(char letter, std::string_view accepted) {
  return accepted.find(letter) != std::string_view::npos;
}

// A key part names a field of the file by number (0 for none when
// `allow_none`); a field that looks its value up must do so in a defined
// file with a unique key.
bool IsValidKeyField(const EditorModel& model, const TmyParmRec& file, std::string_view part,
                     bool allow_none) {
  int32_t n = 0;
  if (!ParseInt(part, n)) return false;
  if (n == 0) return allow_none;
  if (n < 0 || n > file.FieldCount) return false;
  const TmyField& field = file.Fields[static_cast<size_t>(n)];
  if (!field.HasLookup()) return true;
  const TmyParmRec* target = model.Definition(field.FileNr);
  return target != nullptr && target->HasUniqueKey();
}

void CheckKeyDef(EditorModel& model, const TmyParmRec& file, int32_t f, CheckWriter& writer) {
  if (file.IsInternal() && !file.HasUniqueKey()) {
    writer.WriteFileMessage("Error, Internal File does not have a Key", f, 7);
  }
  if (file.KeyDef.empty()) return;
  if (!OneOf(file.KeyDef[0], "KS")) writer.WriteFileMessage("Error, Key format not valid", f, 7);
  model.slash.SplitSlash(file.KeyDef);
  const std::string part2(model.slash[2]);
  const std::string part3(model.slash[3]);
  if (part2.empty() && part3.empty()) {
    writer.WriteFileMessage("Error, Key not empty, but Key Numbers are empty", f, 7);
  }
  if (!part2.empty() && !IsValidKeyField(model, file, part2, false)) {
    writer.WriteFileMessage(
        "Error, Key Number 1 is not valid or File pointed to does not have a Key", f, 7);
  }
  if (!part3.empty() && !IsValidKeyField(model, file, part3, true)) {
    writer.WriteFileMessage(
        "Error, Key Number 2 is not valid or File pointed to does not have a Key", f, 7);
  }
}

void CheckDefinition(EditorModel& model, int32_t f, CheckWriter& writer) {
  const TmyParmRec& file = model.files[static_cast<size_t>(f)];
  if (file.IsInternal() && file.RecCount == 0) {
    writer.WriteFileMessage("Error, Internal File with no Items", f, 0);
  }
  if (file.FieldCount == 0) writer.WriteFileMessage("Error, File has no fields", f, 8);
  if (file.IsInternal() && file.FieldCount == 1) {
    writer.WriteFileMessage("Warning, Internal File has no Description field", f, 0);
  }
  for (char letter : file.EditValue) {
    if (!OneOf(letter, "ACDMQ"))
      writer.WriteFileMessage("Error, Edit value not valid in AMCDQ", f, 3);
  }
  if (!OneOf(file.FilenameParm[0], "I ")) {
    writer.WriteFileMessage("Error, Filename parm char1 valid is I or space", f, 4);
  }
  if (!OneOf(file.FilenameParm[1], "F ")) {
    writer.WriteFileMessage("Error, Filename parm char2 valid is F or space", f, 4);
  }
  if (file.DependsOnFileNr != 0 && model.Definition(file.DependsOnFileNr) == nullptr) {
    writer.WriteFileMessage("Error, DependsOnFileNr not valid", f, 6);
  }
  if (file.DependsOnFileNr != 0 && file.DependsonCode.empty()) {
    writer.WriteFileMessage("Error, DependsOnFileNr <> 0 but DependsonCode is empty", f, 6);
  }
  CheckKeyDef(model, file, f, writer);
}

void CheckFields(EditorModel& model, int32_t f, CheckWriter& writer) {
  const TmyParmRec& file = model.files[static_cast<size_t>(f)];
  for (int32_t i = 1; i <= file.FieldCount; ++i) {
    const TmyField& field = file.Fields[static_cast<size_t>(i)];
    const int n = static_cast<int>(i) + 7;
    if (!OneOf(field.Size(), "CMNSTW")) {
      writer.WriteFileMessage("Error, Field size not valid NTSCMW", f, n);
    }
    if (!OneOf(field.Mandatory(), "MNOP")) {
      writer.WriteFileMessage("Error, Field Mandatory not valid MOPN", f, n);
    }
    if (!OneOf(field.Transformation(), " 9FNU")) {
      writer.WriteFileMessage("Error, Field Uppercase/Transformation not valid U9FN", f, n);
    }
    if (!OneOf(field.Special(), " %>@ISVWirsw")) {
      writer.WriteFileMessage("Error, Field Special not valid sSwWiIr>@V%", f, n);
    }
    if (field.FileNr == kNoLookupFile || field.FileNr == 0) continue;
    if (model.Definition(field.FileNr) == nullptr) {
      writer.WriteFileMessage("Error, Field FileNr not valid", f, n);
    } else {
      model.files[static_cast<size_t>(field.FileNr)].ReferencedByField = true;
    }
  }
}

void CheckInternalDuplicates(const EditorModel& model, int32_t f, CheckWriter& writer) {
  const TmyParmRec& file = model.files[static_cast<size_t>(f)];
  if (!file.IsInternal() || !file.HasUniqueKey()) return;
  const std::string suffix = "; file " + std::to_string(f);
  for (int32_t j = 2; j <= file.RecCount; ++j) {
    if (file.KeyList.Item(j).Key != file.KeyList.Item(j - 1).Key) continue;
    writer.WriteRecordMessage("Error, Duplicate Key with rec in next     message" + suffix, f,
                              file.KeyList.Item(j - 1).Number, 0);
    writer.WriteRecordMessage("Error, Duplicate Key with rec in previous message" + suffix, f,
                              file.KeyList.Item(j).Number, 0);
  }
}

}  // namespace

CheckResult CheckParms(EditorModel& model, EditorHost& host) {
  ReportFile out(
      model.DataFolder + kCheckParmsFileName,
      std::string(kCheckParmsFileName) + " file is open in another program, please close", host);
  CheckWriter writer(model, out);
  for (int32_t f = 1; f <= model.MaxFileNr(); ++f) {
    if (!model.files[static_cast<size_t>(f)].Defined) continue;
    CheckDefinition(model, f, writer);
    CheckFields(model, f, writer);
    CheckInternalDuplicates(model, f, writer);
  }
  for (int32_t f = 1; f <= model.MaxFileNr(); ++f) {
    const TmyParmRec& file = model.files[static_cast<size_t>(f)];
    if (file.IsInternal() && !file.ReferencedByField && !file.Title.empty()) {
      writer.WriteFileMessage("Warning, Internal file not referenced by any other file", f, 0);
    }
  }
  out.Close();
  CheckResult result;
  result.MessageCount = writer.MessageCount();
  result.Summary = result.MessageCount == 0
                       ? "No Messages"
                       : std::to_string(result.MessageCount) + " Messages written to file " +
                             kCheckParmsFileName;
  return result;
}

}  // namespace korav
