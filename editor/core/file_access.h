// Opening and writing the editor's files.
//
// Every file the editor writes ends its lines with CR LF. Data files are
// replaced atomically: the new content goes to a temporary file in the same
// folder, which is then renamed over the old one, so a failure part-way leaves
// the old file as it was.
#ifndef KORAV_EDITOR_CORE_FILE_ACCESS_H_
#define KORAV_EDITOR_CORE_FILE_ACCESS_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "common/line_reader.h"
#include "editor/core/editor_host.h"

namespace korav {

// Opens `path` into `reader`, asking `host` with `busy_message` after each
// failed attempt. Throws EditorFailure(busy_message) when the host gives up.
void OpenWithRetry(LineReader& reader, const std::string& path, const std::string& busy_message,
                   EditorHost& host);

// Gives the next line of `reader` as LineReader::Next() does. A line too
// long to be read throws EditorFailure naming `name` and the line: the
// editor cannot show such a line, and loading the others would lose it when
// the file is saved.
bool NextLine(LineReader& reader, std::string_view& line, const std::string& name);

// `text` followed by ": " and the system's description of the last error.
std::string WithSystemError(const std::string& text);

// Writes `content` to `path` through a temporary file renamed over it.
// Throws EditorFailure naming `name` when the file cannot be written.
void ReplaceFile(const std::string& path, std::string_view content, const std::string& name);

// A report file written line by line (the check files).
class ReportFile {
 public:
  // Creates `path`, asking `host` with `busy_message` after each failure;
  // throws EditorFailure(busy_message) when the host gives up.
  ReportFile(const std::string& path, const std::string& busy_message, EditorHost& host);
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Writes `line` and CR LF.
  void WriteLine(std::string_view line);
  // Closes the file; throws EditorFailure when anything could not be written.
  void Close();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_FILE_ACCESS_H_
