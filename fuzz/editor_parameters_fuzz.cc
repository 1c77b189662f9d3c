// Fuzz target: the editor's parameter file, with the demo model's data files,
// through opening the model and both checks.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/editor_checks.h"

namespace {

using korav::fuzz::Sandbox;

struct Fixture {
  Sandbox sandbox{"editor_parameters"};
  std::vector<std::pair<std::string, std::string>> data_files;

  Fixture() {
    for (const char* name :
         {"OO.csv", "DIMH.csv", "DIM1.csv", "DIM2.csv", "STG.csv", "CPG.csv", "CPGS.csv", "CP.csv",
          "CPS.csv", "AB.csv", "ABL.csv", "NM.csv", "NMV.csv", "REP.csv"}) {
      data_files.emplace_back(name, korav::fuzz::SourceFile(std::string("examples/demo/") + name));
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
  for (const auto& [name, content] : fixture->data_files) sandbox.WriteInput(name, content);
  // The parameter file lies beside the data; its name is no data file's.
  sandbox.WriteInput("Parms.txt", korav::fuzz::InputText(data, size));
  korav::fuzz::CheckModel(sandbox, sandbox.path("Parms.txt"));
  return 0;
}
