// Fuzz target: a run file through both passes and every phase of a run.
//
// The input is a run file that carries the files it names: the lines after a
// "$FILE" record, up to the next line that begins with "$", are the content of
// the file that record names. The harness writes those files into the sandbox
// and runs the input itself as the run file (its content lines are records of
// no type to the run, which only logs them). Folder and file names that would
// read outside the sandbox, or an output folder outside it, make the input
// one the fuzzer skips: a run file may name any folder, but the fuzzer's runs
// stay in the sandbox.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/run/run_file.h"
#include "common/field_table.h"
#include "common/paths.h"
#include "fuzz/engine_runs.h"

namespace {

using korav::fuzz::Sandbox;

std::optional<Sandbox> sandbox;

// The lines of `text`, cut at LF, CR LF or CR as the programs read them.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++begin;
  }
  return lines;
}

// A name the harness writes a carried file under: letters, digits, "_", "-"
// and ".", other than the run file, the output folder and "." or "..".
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name == "." || name == ".." || name == "run.csv" ||
      name == "out") {
    return false;
  }
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-' || c == '.';
    if (!plain) return false;
  }
  return true;
}

// Writes the carried files; false when a "$IDIR" or "$FILE" record would read
// outside the sandbox.
bool WriteCarriedFiles(const std::vector<std::string_view>& lines) {
  korav::fuzz::FuzzRunHost host;
  korav::RunPaths paths;
  paths.run_file = sandbox->path("run.csv");
  paths.user_name = "fuzz";
  const korav::Engine engine(host, paths);
  korav::FieldTable csv(korav::kAllocationCsvSlots);
  std::string input_directory;
  for (size_t i = 0; i < lines.size(); ++i) {
    csv.SplitCsv(lines[i]);
    if (csv[1] == "$IDIR") {
      input_directory = korav::ExpandDirectory(engine, csv[3]);
      if (!korav::fuzz::IsInside(input_directory, sandbox->dir())) return false;
    }
    if (csv[1] != "$FILE") continue;
    std::string path = korav::WithNativeSeparators(csv[3]);
    if (!korav::IsAbsoluteName(path)) path = input_directory + path;
    if (!korav::fuzz::IsInside(path, sandbox->dir())) return false;
    const std::string name(csv[3]);
    std::string content;
    for (; i + 1 < lines.size() && !lines[i + 1].starts_with("$"); ++i) {
      content.append(lines[i + 1]).append("\n");
    }
    if (!content.empty() && IsPlainName(name)) sandbox->WriteInput(name, content);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  sandbox.emplace("run_file");
  korav::fuzz::ConfineFuzzer(*sandbox, *argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = korav::fuzz::InputText(data, size);
  sandbox->Clear();
  sandbox->MakeFolder("out");
  sandbox->WriteInput("run.csv", input);
  if (!WriteCarriedFiles(Lines(input))) return -1;
  return korav::fuzz::RunEngine(*sandbox, sandbox->path("run.csv")) ? 0 : -1;
}
