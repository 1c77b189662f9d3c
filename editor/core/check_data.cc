#include "editor/core/checks.h"

namespace korav {
namespace {

void CheckFileRecords(const EditorModel& model, int32_t fileNr, FieldValidator& validator,
                      CheckWriter& writer) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  std::string value;
  std::string message;
  std::string description;
  for (int32_t j = 1; j <= file.RecCount; ++j) {
    const stTsortRec& entry = file.KeyList.Item(j);
    if (!entry.Key.empty() && j > 1 && file.HasUniqueKey() &&
        entry.Key == file.KeyList.Item(j - 1).Key) {
      writer.WriteRecordMessage("Error, Duplicate Key", fileNr, entry.Number, 0);
    }
    for (int32_t i = 1; i <= file.FieldCount; ++i) {
      value = model.Record(entry.Number).Value(i);
      validator.ValidateField(fileNr, i, value, message, description);
      if (!message.empty()) writer.WriteRecordMessage(message, fileNr, entry.Number, i);
    }
  }
}

}  // namespace

CheckResult CheckData(const EditorModel& model, FieldValidator& validator, EditorHost& host) {
  ReportFile out(model.DataFolder + kCheckDataFileName,
                 std::string(kCheckDataFileName) + " file is open in another program, please close",
                 host);
  CheckWriter writer(model, out);
  for (int32_t f = 2; f <= model.MaxFileNr(); ++f) {
    if (!model.files[static_cast<size_t>(f)].TabName.empty()) {
      CheckFileRecords(model, f, validator, writer);
    }
  }
  out.Close();
  CheckResult result;
  result.MessageCount = writer.MessageCount();
  result.Summary = result.MessageCount == 0 ? "No Errors"
                                            : std::to_string(result.MessageCount) +
                                                  " Errors written to file " + kCheckDataFileName;
  return result;
}

}  // namespace korav
