// A text file that the run writes: a log, a report or the transaction dump.
// Every line ends in CR LF so that the files open alike in any spreadsheet.
//
// A file is created within the output folder (see OutputFolder::Place) and
// never through a symbolic link or over a file with other hard links. A log
// is written under its own name as it goes, so that whatever a run did is
// there even when it dies. A report is written under a temporary name
// beside its own and renamed into place by Close() only once all of it is
// stored: a report under its name is always whole, and a failed or
// interrupted one leaves no file behind.
#ifndef KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_
#define KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "allocation/host/run_host.h"
#include "allocation/log/output_folder.h"
#include "common/paths.h"
#include "common/sha256.h"

namespace korav {

// A file as it was closed: its path, size and, for a report or the dump, the
// SHA-256 of the bytes written (empty for a log).
struct ClosedFile {
  std::string path;
  uint64_t size = 0;
  std::string sha256;
};

class OutputFile {
 public:
  enum class Mode {
    kInPlace,       // written under its name line by line: the logs
    kWhenComplete,  // renamed into place by Close(): reports and the dump
  };

  OutputFile() = default;
  // Closes a log; removes the temporary file of a report not closed.
  ~OutputFile() { Discard(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `name` within `folder`, replacing an older file, and returns an
  // empty text; a file still open is discarded first. When the name cannot
  // be used, returns why ("it is a symbolic link", "it is a folder", ...)
  // with nothing open. Unless the name itself is at fault, the host is first
  // asked, with "Output File <path> cannot be written: <why>", whether to
  // try again, as often as it says yes.
  std::string Create(const OutputFolder& folder, std::string_view name, Mode mode, RunHost& host);

  // Creates the file at `path` in place, in the folder that `path` names;
  // throws RunAborted when it cannot. For tools that write one file.
  void Create(const std::string& path, RunHost& host);

  // While `stop` is set, each WriteLine first throws RunInterrupted when a
  // stop has been requested: a long report ends at a line's boundary.
  void WatchStop(const StopRequest* stop) { stop_ = stop; }

  // Writes `line` and CR LF. Does nothing when no file is open. A failure to
  // store it (a full disk, a size limit) is kept and reported by Failed()
  // and Close(); the lines after it are not written.
  void WriteLine(std::string_view line);

  // Hands what was written so far to the system; a failure is kept as for
  // WriteLine.
  void Flush();

  // Flushes and closes the file; a report is then renamed into place.
  // Throws RunAborted, naming the file and the cause, when what was written
  // could not all be stored; a report's temporary file is then removed, so
  // that a short file is never taken for a whole one. Returns what the file
  // holds; nothing was open when its path is empty.
  ClosedFile Close();
  // Closes the file without keeping a report that is not complete: its
  // temporary file is removed. A log stays as far as it was written. Never
  // throws.
  void Discard();

  bool IsOpen() const { return file_ != nullptr; }
  // The lines written since Create that carry a figure that is not finite
  // (kNotFiniteText), which a report's closing reports as an error.
  int64_t not_finite_lines() const { return not_finite_lines_; }
  // True once a write failed; FailureText() then says what and why.
  bool Failed() const { return error_ != 0; }
  std::string FailureText() const;
  // The file's full path under its own name; empty when the last Create
  // failed.
  const std::string& path() const { return path_; }
  // The identity of the file being written (for a report, of its temporary
  // file, which becomes the report); none while nothing is open.
  const std::optional<FileIdentity>& identity() const { return identity_; }

 private:
  // One attempt at Create; the reason it failed, or empty.
  std::string TryCreate(OutputPlace& place, Mode mode);
  void Reset();

  std::FILE* file_ = nullptr;
  Mode mode_ = Mode::kInPlace;
  FileDescriptor folder_;  // the folder that holds the file
  std::string leaf_;       // its name there
  std::string temporary_;  // the temporary name of a report, or empty
  std::string path_;
  std::optional<FileIdentity> identity_;
  int error_ = 0;  // errno of the first write that failed
  int64_t not_finite_lines_ = 0;
  uint64_t size_ = 0;  // bytes written
  // Of a report, every byte as written: its digest needs no second reading.
  Sha256 digest_;
  const StopRequest* stop_ = nullptr;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_
