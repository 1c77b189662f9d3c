// korava-gen: writes test transactions for a model. It loads the model that a
// run file names and writes N lines, each a random amount (a whole number of
// cents from 0 to 49999.99) and the codes of randomly chosen values of
// dimensions 1 to 5: one of the first 33 values of dimension 1, 16 of
// dimension 2 and 11 of dimensions 3, 4 and 5. The same seed gives the same
// file, so benchmarks and tests can be repeated.
#include <array>
#include <cstdio>
#include <exception>
#include <random>
#include <string>
#include <string_view>

#include "allocation/app/command_line_host.h"
#include "allocation/loading/model_loading.h"
#include "allocation/log/output_file.h"
#include "allocation/run/run_file.h"
#include "allocation/state/engine.h"
#include "common/environment.h"
#include "common/numbers.h"
#include "common/paths.h"

namespace korav {
namespace {

constexpr std::string_view kUsage =
    "Usage: korava-gen RUNFILE COUNT OUTPUT [SEED]\n"
    "\n"
    "Loads the model that RUNFILE names and writes COUNT random transaction\n"
    "lines to OUTPUT: an amount and the codes of dimensions 1 to 5 (one of the\n"
    "first 33, 16, 11, 11 and 11 values). SEED (default 1) makes the output\n"
    "reproducible.\n";

constexpr std::array<int32_t, 6> kValuesUsed{0, 33, 16, 11, 11, 11};

int Fail(const std::string& message) {
  std::fprintf(stderr, "korava-gen: %s\n", message.c_str());
  return 2;
}

void WriteTransactions(const Engine& engine, int64_t count, uint64_t seed, OutputFile& output) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> cents(0, 4999999);
  std::array<std::uniform_int_distribution<int32_t>, 6> choice;
  const int dimensions = std::min<int>(engine.model.dimension_count, 5);
  for (int d = 1; d <= dimensions; ++d) {
    const int32_t values = std::min(kValuesUsed[static_cast<size_t>(d)],
                                    engine.model.dimensions[static_cast<size_t>(d)].Values.count());
    choice[static_cast<size_t>(d)] = std::uniform_int_distribution<int32_t>(1, std::max(values, 1));
  }
  std::string line;
  for (int64_t n = 0; n < count; ++n) {
    line = FormatFixed2(static_cast<double>(cents(random)) / 100);
    for (int d = 1; d <= dimensions; ++d) {
      const ModelTable<TmyDIM>& values = engine.model.dimensions[static_cast<size_t>(d)].Values;
      line += ',';
      if (values.count() > 0) line += values[choice[static_cast<size_t>(d)](random)].Code;
    }
    output.WriteLine(line);
  }
}

int Main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(kUsage.data(), stdout);
    return 0;
  }
  if (argc < 4 || argc > 5) return Fail("expected RUNFILE COUNT OUTPUT [SEED]; see --help");
  int32_t count = 0;
  if (!ParseInt(argv[2], count) || count < 0) return Fail("COUNT must be a whole number");
  int32_t seed = 1;
  if (argc == 5 && !ParseInt(argv[4], seed)) return Fail("SEED must be a whole number");

  CommandLineHost host;
  RunPaths paths;
  paths.user_name = UserName();
  paths.run_file = argv[1];
  if (!FileExists(paths.run_file)) return Fail("Error, RUN file " + paths.run_file + " not found");
  Engine engine(host, paths);
  try {
    ReadPass1(engine);
    SizeModelTables(engine);
    ReadPass2(engine, PhaseSteps::kSkip);
    if (engine.log.errors() > 0) {
      std::fprintf(stderr, "korava-gen: the model has %d errors; run korava on it to see them\n",
                   engine.log.errors());
    }
    OutputFile output;
    output.Create(argv[3], host);
    WriteTransactions(engine, count, static_cast<uint64_t>(seed), output);
    output.Close();
  } catch (const RunAborted& aborted) {
    return Fail(aborted.what());
  }
  return 0;
}

}  // namespace
}  // namespace korav

int main(int argc, char** argv) {
  try {
    return korav::Main(argc, argv);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "korava-gen: internal failure: %s\n", failure.what());
    return 2;
  }
}
