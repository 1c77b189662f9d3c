#include "fuzz/editor_checks.h"

#include <filesystem>

#include "editor/core/checks.h"
#include "editor/core/field_validator.h"
#include "editor/core/process_open.h"

namespace korav::fuzz {
namespace {

// Nobody can close a file for the fuzzer, so an open is never retried.
class FuzzEditorHost : public EditorHost {
 public:
  bool RetryOpen(const std::string&) override { return false; }
};

}  // namespace

void CheckModel(const Sandbox& sandbox, const std::string& parameter_file) {
  FuzzEditorHost host;
  try {
    EditorModel model;
    ProcessOpen(model, parameter_file, sandbox.dir(), host);
    CheckParms(model, host);
    FieldValidator validator(model);
    CheckData(model, validator, host);
  } catch (const EditorFailure&) {
  }
  // The checks write only their own files; no folder is their output folder.
  for (const std::string& stray : sandbox.Strays(sandbox.path("no output folder"))) {
    const std::string name = std::filesystem::path(stray).filename().string();
    if (name != kCheckDataFileName && name != kCheckParmsFileName) {
      Finding("file written beside the check files: " + stray);
    }
  }
}

}  // namespace korav::fuzz
