#include "editor/core/checks.h"

namespace korav {
namespace {

std::string NumberOrEmpty(int32_t number) {
  return number == 0 ? std::string() : std::to_string(number);
}

std::string RecordEcho(const EditorModel& model, int32_t fileNr, int32_t recordNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  const TmyDataRec& record = model.Record(recordNr);
  std::string line = ">,,," + file.TabName + ",";
  for (int32_t i = 1; i <= file.FieldCount; ++i) line.append(record.Value(i)).push_back(',');
  return line;
}

std::string FileEcho(const EditorModel& model, int32_t fileNr) {
  const TmyParmRec& file = model.files[static_cast<size_t>(fileNr)];
  std::string line = ">,,," + std::to_string(fileNr) + "," + file.TabName + "," + file.Title + "," +
                     file.EditValue + "," + file.FileName + "/" + file.FilenameParm + "/" +
                     file.RecordCode + "," + std::to_string(file.HelpContext) + "," +
                     NumberOrEmpty(file.DependsOnFileNr) + "/" + file.DependsonCode + "," +
                     file.KeyDef + ",";
  for (int32_t i = 1; i <= file.FieldCount; ++i) {
    const TmyField& field = file.Fields[static_cast<size_t>(i)];
    line.append(field.Name + "/" + field.Flags + "/" + NumberOrEmpty(field.FileNr) + ",");
  }
  return line;
}

}  // namespace

void CheckWriter::WriteMessage(const std::string& message, int n) {
  out_.WriteLine(message + "," + std::to_string(message_count_) +
                 std::string(static_cast<size_t>(n) + 1, ',') + "^^");
}

void CheckWriter::WriteRecordMessage(const std::string& message, int32_t fileNr, int32_t recordNr,
                                     int n) {
  ++message_count_;
  if (recordNr != last_echoed_ && recordNr != 0 && fileNr != 0) {
    out_.WriteLine(RecordEcho(model_, fileNr, recordNr));
    last_echoed_ = recordNr;
  }
  WriteMessage(message, n);
}

void CheckWriter::WriteFileMessage(const std::string& message, int32_t fileNr, int n) {
  ++message_count_;
  if (fileNr != last_echoed_ && fileNr != 0) {
    out_.WriteLine(FileEcho(model_, fileNr));
    last_echoed_ = fileNr;
  }
  WriteMessage(message, n);
}

}  // namespace korav
