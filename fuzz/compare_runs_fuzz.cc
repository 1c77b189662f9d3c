// Fuzz target: two finished runs compared, as `korava --compare` reads them.
//
// The input holds up to four texts separated by form feeds: the cells and the
// flows export of run A, then those of run B. The harness writes each run's
// folder with a manifest that lists its two exports with their true SHA-256,
// so that every input reaches the exports' reader, the matching of the runs,
// the effects and the three files written. A comparison either succeeds or is
// refused with RunAborted; besides crashes, it checks that nothing is written
// outside the comparison's folder.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/compare/compare_runs.h"
#include "allocation/host/run_host.h"
#include "common/sha256.h"
#include "fuzz/sandbox.h"

namespace {

using korav::fuzz::Sandbox;

std::optional<Sandbox> sandbox;

std::vector<std::string_view> Parts(std::string_view text) {
  std::vector<std::string_view> parts;
  for (size_t begin = 0; parts.size() < 4;) {
    const size_t end = text.find('\f', begin);
    parts.push_back(text.substr(begin, end == std::string_view::npos ? end : end - begin));
    if (end == std::string_view::npos) break;
    begin = end + 1;
  }
  parts.resize(4);
  return parts;
}

std::string Digest(std::string_view text) {
  korav::Sha256 digest;
  digest.Add(text);
  return digest.HexDigest();
}

// A run folder `name` with its two exports and a manifest of a complete run.
void WriteRun(std::string_view name, std::string_view cells, std::string_view flows) {
  const std::string folder(name);
  sandbox->MakeFolder(folder);
  sandbox->WriteInput(folder + "/36.csv", cells);
  sandbox->WriteInput(folder + "/36-flows.csv", flows);
  sandbox->WriteInput(
      folder + "/.Run.json",
      "{\"format\": 1, \"program\": {\"name\": \"korava\", \"version\": \"0.7\"},\r\n"
      "\"run_label\": \"" +
          folder +
          "\", \"status\": \"complete\", \"exit_code\": 0,\r\n"
          "\"messages\": {\"errors\": 0, \"warnings\": 0, \"by_message\": {}},\r\n"
          "\"reconciliation\": {\"status\": \"Reconciled\", \"difference\": \"0.00\", \"reason\": "
          "\"\"},\r\n"
          "\"reports\": [{\"number\": 36, \"file\": \"36.csv\", \"sha256\": \"" +
          Digest(cells) +
          "\"},\r\n"
          "  {\"number\": 36, \"file\": \"36-flows.csv\", \"sha256\": \"" +
          Digest(flows) + "\"}]}\r\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!sandbox) sandbox.emplace("compare_runs");
  sandbox->Clear();
  const std::vector<std::string_view> parts =
      Parts(std::string_view(reinterpret_cast<const char*>(data), size));
  WriteRun("a", parts[0], parts[1]);
  WriteRun("b", parts[2], parts[3]);
  const std::string output = sandbox->path("compare");
  try {
    korav::CompareRuns({sandbox->path("a"), sandbox->path("b"), output});
  } catch (const korav::RunAborted&) {
  }
  if (!sandbox->Strays(output).empty())
    korav::fuzz::Finding("a file outside the comparison's folder");
  return 0;
}
