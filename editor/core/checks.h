// "Check Data" and "Check Parms": the two checks that write their findings
// into report files of the data folder, meant to be opened as spreadsheets.
// Each offending record (or file definition) is echoed on a line of its own
// starting ">,,,", followed by one line per message that ends in a "^^"
// marker under the column the message is about.
#ifndef KORAV_EDITOR_CORE_CHECKS_H_
#define KORAV_EDITOR_CORE_CHECKS_H_

#include <cstdint>
#include <string>

#include "editor/core/editor_host.h"
#include "editor/core/editor_model.h"
#include "editor/core/field_validator.h"
#include "editor/core/file_access.h"

namespace korav {

inline constexpr const char* kCheckDataFileName = "KORAVECheckData.csv";
inline constexpr const char* kCheckParmsFileName = "KORAVECheckParms.csv";

// The outcome of a check: how many messages were written, and the text to show.
struct CheckResult {
  int32_t MessageCount = 0;
  std::string Summary;
};

// The two message writers the checks share, with the message counter and the
// number of the record or file echoed last.
class CheckWriter {
 public:
  CheckWriter(const EditorModel& model, ReportFile& out) : model_(model), out_(out) {}

  // Writes `message` about column `n` of record `recordNr` of file `fileNr`,
  // echoing the record first unless it was the one echoed last.
  void WriteRecordMessage(const std::string& message, int32_t fileNr, int32_t recordNr, int n);
  // The same for a file definition.
  void WriteFileMessage(const std::string& message, int32_t fileNr, int n);

  int32_t MessageCount() const { return message_count_; }

 private:
  void WriteMessage(const std::string& message, int n);

  const EditorModel& model_;
  ReportFile& out_;
  int32_t message_count_ = 0;
  int32_t last_echoed_ = 0;
};

// Validates every record of every tab-bearing file from 2 on with `validator`
// (whose context is not reset) and reports duplicate keys of "K" files, into
// KORAVECheckData.csv. Throws EditorFailure when the file cannot be written.
CheckResult CheckData(const EditorModel& model, FieldValidator& validator, EditorHost& host);

// Checks the loaded parameter file into KORAVECheckParms.csv, and marks the
// files that fields look up as ReferencedByField.
CheckResult CheckParms(EditorModel& model, EditorHost& host);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_CHECKS_H_
