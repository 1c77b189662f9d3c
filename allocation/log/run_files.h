// The files of a run that its outputs must leave alone: every file it reads
// (the start file, the run file, each "$FILE"), known by identity and by
// folder and name, so that an output under any spelling of an input's name,
// or one created where a later record will read, is told apart; and the
// outputs it has finished writing, which it never reads back. Beside them,
// what the run manifest says of each: the inputs as read, the reports and
// the dump as written.
#ifndef KORAV_ALLOCATION_LOG_RUN_FILES_H_
#define KORAV_ALLOCATION_LOG_RUN_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "allocation/log/output_file.h"
#include "allocation/log/output_folder.h"
#include "common/paths.h"

namespace korav {

// The run manifest's name in the output folder: the record of the run that
// it writes last (see allocation/run/run_manifest.h).
inline constexpr char kManifestName[] = ".Run.json";

// A file the run read.
struct InputFile {
  std::string kind;  // "START", "RUN", or the "$FILE" kind: "MODEL", "DIM1", "TX", ...
  std::string path;  // as the command line, Start.txt or the run file gives it
  std::string absolute_path;
  uint64_t size = 0;  // the bytes read
  int64_t lines = 0;  // the lines read
  // The SHA-256 of those bytes; empty when the file was not read to its end
  // (the run stopped, or a read failed), as they are then not the file's.
  std::string sha256;
};

// A report, or the transaction dump, as the run wrote it.
struct WrittenFile {
  int report = 0;  // its number; the dump's is 35
  ClosedFile file;
};

class RunFiles {
 public:
  void Clear();

  // Notes the file at `path` as one the run reads, whether it exists yet or
  // not.
  void AddInput(const std::string& path);
  // Notes an output that the run has finished writing, `file` of report
  // `report`; it replaces a record of the same path.
  void AddWritten(const FileIdentity& identity, int report, ClosedFile file);
  // Notes a file that the run read, as far as it read it; it replaces a
  // record of the same absolute path, since the second pass reads again
  // what the first did.
  void AddRead(InputFile file);

  const std::vector<InputFile>& read() const { return read_; }
  const std::vector<WrittenFile>& reports() const { return reports_; }

  // True when a file created at `place` would replace an input or be read
  // as one.
  bool IsInput(const OutputPlace& place) const;
  // True when `file` is an output that the run has written.
  bool IsWritten(const std::optional<FileIdentity>& file) const;

 private:
  std::vector<FileIdentity> inputs_;
  std::vector<FilePlace> input_places_;
  std::vector<FileIdentity> written_;
  std::vector<InputFile> read_;
  std::vector<WrittenFile> reports_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_RUN_FILES_H_
