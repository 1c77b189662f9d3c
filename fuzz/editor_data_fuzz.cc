// Fuzz target: the editor's data files under the shipped parameter file,
// through opening the model and both checks.
//
// The input is written as every data file the parameter file names, so each
// of its lines is read as a record of every file and checked by every file's
// field rules.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/core/editor_host.h"
#include "editor/core/parameter_file.h"
#include "fuzz/editor_checks.h"

namespace {

using korav::fuzz::Sandbox;

class NoRetry : public korav::EditorHost {
 public:
  bool RetryOpen(const std::string&) override { return false; }
};

struct Fixture {
  Sandbox sandbox{"editor_data"};
  std::string parameters = korav::fuzz::SourceFile("editor/KORAVEParms.csv");
  std::vector<std::string> data_file_names;

  Fixture() {
    const std::string path = std::string(KORAV_SOURCE_DIR) + "/editor/KORAVEParms.csv";
    korav::EditorModel model;
    NoRetry host;
    korav::LoadKORAVEParms(model, path, host);
    for (int32_t f = 1; f <= model.MaxFileNr(); ++f) {
      const korav::TmyParmRec* file = model.Definition(f);
      if (file != nullptr && !file->FileName.empty()) data_file_names.push_back(file->FileName);
    }
  }
};
std::optional<Fixture> fixture;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  return korav::fuzz::StartFixture(fixture, *argc, *argv);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sandbox& sandbox = fixture->sandbox;
  sandbox.Clear();
  sandbox.WriteInput("Parms.txt", fixture->parameters);
  const std::string_view input = korav::fuzz::InputText(data, size);
  for (const std::string& name : fixture->data_file_names) sandbox.WriteInput(name, input);
  korav::fuzz::CheckModel(sandbox, sandbox.path("Parms.txt"));
  return 0;
}
