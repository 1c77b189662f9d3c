// The job-and-trace log: the one place where a run reports what it did.
//
// Every line's first character is its class letter. The trace log
// (".JobandTrace<suffix>.csv") receives every line; the job log
// (".Job<suffix>.csv") every line but traces (class "t" or "T"). Lines of
// class e/E/f/F count as errors, w/W as warnings; the counts last for the
// whole program, across runs and reports. Milestone lines (class M/m) are
// flushed to disk as they are written, so a log followed during a run is
// never behind its last milestone.
#ifndef KORAV_ALLOCATION_LOG_JOB_LOG_H_
#define KORAV_ALLOCATION_LOG_JOB_LOG_H_

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "allocation/host/run_host.h"
#include "allocation/log/output_file.h"

namespace korav {

// The error and warning lines of one opening of the logs.
struct MessageCounts {
  int32_t errors = 0;
  int32_t warnings = 0;
  // By message: the class letter and the number that follows it ("e204",
  // "w301"); a line without a number counts under its letter alone ("w").
  std::map<std::string, int32_t> by_message;

  // Counts the line `text` when its class letter makes it an error or a
  // warning.
  void Count(std::string_view text);
};

class JobLog {
 public:
  explicit JobLog(RunHost& host) : host_(host) {}

  // The paths of the trace log and the job log in `directory` (which ends
  // in "/").
  static std::array<std::string, 2> Paths(const std::string& directory, std::string_view suffix);

  // Creates both log files in `folder`, replacing older ones, and starts
  // the counts of their own lines afresh. Throws
  // RunAborted, with neither open, when one cannot be written safely (see
  // OutputFile::Create): nothing is then written.
  void Open(const OutputFolder& folder, std::string_view suffix);
  // Closes both files; the counts stay. Throws RunAborted when a line could
  // not be stored (see OutputFile::Close).
  void Close();
  // Closes both files as far as they were written, without throwing: for a
  // run that is ending on a failure already.
  void Discard() {
    trace_.Discard();
    job_.Discard();
  }
  bool IsOpen() const { return trace_.IsOpen(); }
  // True once a line could not be stored in one of the files (a full disk);
  // FailureText() names the file and the cause.
  bool Failed() const { return trace_.Failed() || job_.Failed(); }
  std::string FailureText() const {
    return trace_.Failed() ? trace_.FailureText() : job_.FailureText();
  }
  // True when one of the open log files is the file `identity`.
  bool Writes(const FileIdentity& identity) const {
    return trace_.identity() == identity || job_.identity() == identity;
  }

  // Writes one line for `text`, whose first character is its class letter
  // and which must not be empty. `data_line` and `record_number` describe the
  // record being read; an error line names them when `data_line` is not
  // empty, quoting at most the start of a long line (see Excerpt). Lines
  // are counted even while the files are closed, but written only while
  // they are open.
  void Write(std::string_view text, std::string_view data_line, int32_t record_number);

  // The line Write() stores for `text`, without its line end. Updates the
  // memory figure of class-M lines but neither counts nor writes.
  const std::string& FormatLine(std::string_view text, std::string_view data_line,
                                int32_t record_number);

  // Writes `line` as it stands, without class letter, time stamp or count,
  // to one of the two files: the value cube's statistics and internal error
  // lines are written so.
  enum class File { kTrace, kJob };
  void WriteDirect(File file, std::string_view line) {
    (file == File::kTrace ? trace_ : job_).WriteLine(line);
  }

  // The program's totals.
  int32_t errors() const { return errors_; }
  int32_t warnings() const { return warnings_; }
  // The lines logged since the logs were last opened.
  const MessageCounts& own() const { return own_; }

 private:
  RunHost& host_;
  OutputFile trace_;
  OutputFile job_;
  int32_t errors_ = 0;
  int32_t warnings_ = 0;
  MessageCounts own_;
  int64_t last_memory_ = 0;
  std::string line_;  // reused for every line
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_JOB_LOG_H_
