// Fuzz target: a transaction file through the transaction reader into the
// demo model, then the allocation and the reports that print every amount.
//
// The input is the transaction file. Option 5 writes the transaction dump, and
// the reports list the value cube of every pool and extract it, so that any
// amount a transaction can carry is printed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/engine_runs.h"

namespace {

using korav::fuzz::Sandbox;
using korav::fuzz::SourceFile;

constexpr std::string_view kRunFile =
    "$ODIR,,./out\n"
    "$IDIR,,.\n"
    "$FILE,MODEL,OO.csv\n"
    "$FILE,MODEL,DIMH.csv\n"
    "$FILE,DIM1,DIM1.csv\n"
    "$FILE,DIM2,DIM2.csv\n"
    "$FILE,MODEL,STG.csv\n"
    "$FILE,MODEL,CPG.csv\n"
    "$FILE,MODEL,CPGS.csv\n"
    "$FILE,MODEL,CP.csv\n"
    "$FILE,MODEL,CPS.csv\n"
    "$FILE,MODEL,AB.csv\n"
    "$FILE,MODEL,ABL.csv\n"
    "$FILE,MODEL,NM.csv\n"
    "$FILE,MODEL,NMV.csv\n"
    "$FILE,TX,tx.csv\n"
    "$FILE,MODEL,REP.csv\n";

// Option 5 asks for the dump; the pool report lists each pool's cube, and the
// extracts write the transactions and the cube.
constexpr std::string_view kOptions = "OO,4,1\nOO,5,1\n";
constexpr std::string_view kReports =
    "REP,15"
    ",,,,,,,,"
    "+\nREP,32\nREP,33\n";

struct Fixture {
  Sandbox sandbox{"transaction_file"};
  std::vector<std::pair<std::string, std::string>> model_files;

  Fixture() {
    for (const char* name : {"DIMH.csv", "DIM1.csv", "DIM2.csv", "STG.csv", "CPG.csv", "CPGS.csv",
                             "CP.csv", "CPS.csv", "AB.csv", "ABL.csv", "NM.csv", "NMV.csv"}) {
      model_files.emplace_back(name, SourceFile(std::string("examples/demo/") + name));
    }
    model_files.emplace_back("OO.csv", kOptions);
    model_files.emplace_back("REP.csv", kReports);
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
  sandbox.MakeFolder("out");
  sandbox.WriteInput("run.csv", kRunFile);
  for (const auto& [name, content] : fixture->model_files) sandbox.WriteInput(name, content);
  sandbox.WriteInput("tx.csv", korav::fuzz::InputText(data, size));
  korav::fuzz::RunEngine(sandbox, sandbox.path("run.csv"));
  return 0;
}
