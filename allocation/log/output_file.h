// A text file that the run writes: a log, a report or the transaction dump.
// Every line ends in CR LF so that the files open alike in any spreadsheet.
#ifndef KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_
#define KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "allocation/log/run_host.h"
#include "common/paths.h"

namespace korav {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path` empty, replacing an older file. While it cannot be created
  // the host is asked, with "Output File " + path + " is open, please close",
  // whether to try again; when it declines, throws RunAborted with that text.
  void Create(const std::string& path, RunHost& host);

  // Writes `line` and CR LF. Does nothing when no file is open.
  void WriteLine(std::string_view line);

  // Closes the file; throws RunAborted when what was written could not all be
  // stored (a full disk), so that a short file is never taken for a whole one.
  void Close();

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  // The identity of the open file; none while nothing is open.
  const std::optional<FileIdentity>& identity() const { return identity_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::optional<FileIdentity> identity_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_OUTPUT_FILE_H_
