// The files of a run that its outputs must leave alone: every file it reads
// (the start file, the run file, each "$FILE"), known by identity and by
// folder and name, so that an output under any spelling of an input's name,
// or one created where a later record will read, is told apart; and the
// outputs it has finished writing, which it never reads back.
#ifndef KORAV_ALLOCATION_LOG_RUN_FILES_H_
#define KORAV_ALLOCATION_LOG_RUN_FILES_H_

#include <optional>
#include <string>
#include <vector>

#include "allocation/log/output_folder.h"
#include "common/paths.h"

namespace korav {

class RunFiles {
 public:
  void Clear();

  // Notes the file at `path` as one the run reads, whether it exists yet or
  // not.
  void AddInput(const std::string& path);
  // Notes an output that the run has finished writing.
  void AddWritten(const FileIdentity& file) { written_.push_back(file); }

  // True when a file created at `place` would replace an input or be read
  // as one.
  bool IsInput(const OutputPlace& place) const;
  // True when `file` is an output that the run has written.
  bool IsWritten(const std::optional<FileIdentity>& file) const;

 private:
  std::vector<FileIdentity> inputs_;
  std::vector<FilePlace> input_places_;
  std::vector<FileIdentity> written_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_RUN_FILES_H_
