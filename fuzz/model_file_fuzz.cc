// Fuzz target: a whole model file through the record parsers, the completion
// of the model and the allocation.
//
// The input is one model file, run with the demo model's two dimension files
// and a report record that begins the allocation (its number names no report,
// so no report is written).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/engine_runs.h"

namespace {

using korav::fuzz::Sandbox;
using korav::fuzz::SourceFile;

constexpr std::string_view kRunFile =
    "$ODIR,,./out\n"
    "$IDIR,,.\n"
    "$FILE,MODEL,model.csv\n"
    "$FILE,DIM1,DIM1.csv\n"
    "$FILE,DIM2,DIM2.csv\n"
    "$FILE,MODEL,end.csv\n";

struct Fixture {
  Sandbox sandbox{"model_file"};
  std::string dim1 = SourceFile("examples/demo/DIM1.csv");
  std::string dim2 = SourceFile("examples/demo/DIM2.csv");
};
std::optional<Fixture> fixture;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  return korav::fuzz::StartFixture(fixture, *argc, *argv);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sandbox& sandbox = fixture->sandbox;
  sandbox.Clear();
  sandbox.MakeFolder("out");
  sandbox.WriteInput("run.csv", kRunFile);
  sandbox.WriteInput("model.csv", korav::fuzz::InputText(data, size));
  sandbox.WriteInput("DIM1.csv", fixture->dim1);
  sandbox.WriteInput("DIM2.csv", fixture->dim2);
  sandbox.WriteInput("end.csv", "REP,99\n");
  korav::fuzz::RunEngine(sandbox, sandbox.path("run.csv"));
  return 0;
}
