// Runs of korava inside a sandbox, for the fuzz targets of the engine.
#ifndef KORAV_FUZZ_ENGINE_RUNS_H_
#define KORAV_FUZZ_ENGINE_RUNS_H_

#include <string>

#include "allocation/host/run_host.h"
#include "fuzz/sandbox.h"

namespace korav::fuzz {

// A fixed clock and heap figure, so that runs repeat exactly. An output file
// that cannot be created ends the run as on the command line; when it lies
// outside the run's output folder, the attempt is a finding.
class FuzzRunHost : public RunHost {
 public:
  bool RetryOutputFile(const std::string& message) override;
  std::string TimeOfDay() override { return "00:00:00"; }
  std::string DateTime() override { return "2000-01-01 00:00:00"; }
  int64_t HeapBytes() override { return 0; }

  std::string output_folder;
};

// Runs the run file `run_file` of the sandbox as "korava RUNFILE" does. A run
// whose output folder lies outside the sandbox is not performed (the run file
// is free to name any folder, but the fuzzer's runs stay in the sandbox); a
// run that cannot be performed ends quietly. Any file the run leaves in the
// sandbox outside its output folder is a finding. Returns false when the run
// was not performed.
bool RunEngine(const Sandbox& sandbox, const std::string& run_file);

}  // namespace korav::fuzz

#endif  // KORAV_FUZZ_ENGINE_RUNS_H_
