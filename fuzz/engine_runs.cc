#include "fuzz/engine_runs.h"

#include "allocation/run/run_driver.h"
#include "allocation/run/run_file.h"

namespace korav::fuzz {

bool FuzzRunHost::RetryOutputFile(const std::string& message) {
  constexpr std::string_view kBefore = "Output File ";
  constexpr std::string_view kAfter = " is open, please close";
  if (message.starts_with(kBefore) && message.ends_with(kAfter)) {
    const std::string path =
        message.substr(kBefore.size(), message.size() - kBefore.size() - kAfter.size());
    if (!IsInside(path, output_folder)) Finding("output file outside the output folder: " + path);
  }
  return false;
}

bool RunEngine(const Sandbox& sandbox, const std::string& run_file) {
  FuzzRunHost host;
  RunPaths paths;
  paths.program_path = "/korav/bin/korava";
  paths.program_directory = "/korav/bin/";
  paths.user_name = "fuzz";
  paths.run_file = run_file;
  {
    Engine probe(host, paths);
    try {
      FindOutputDirectory(probe);
    } catch (const RunAborted&) {
      return false;
    }
    if (!IsInside(probe.paths.output_directory, sandbox.dir())) return false;
    host.output_folder = probe.paths.output_directory;
  }
  Engine engine(host, paths);
  try {
    RunModel(engine);
  } catch (const RunAborted&) {
  }
  for (const std::string& stray : sandbox.Strays(host.output_folder)) {
    Finding("file outside the output folder " + host.output_folder + ": " + stray);
  }
  return true;
}

}  // namespace korav::fuzz
