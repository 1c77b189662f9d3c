#include "editor/core/start_up.h"

#include "common/excerpt.h"
#include "common/line_reader.h"
#include "common/paths.h"
#include "editor/core/editor_host.h"

namespace korav {
namespace {

bool IsDefaultArgument(const std::optional<std::string>& argument) {
  return !argument || *argument == "*";
}

// A name from a command-line argument is taken as typed, relative to the
// working directory as any command expects; a name from Start.txt may begin
// with "." for the program folder, so that a program folder can move.
std::string Expanded(const std::string& name, bool from_start_file, const EditorPaths& paths) {
  std::string result = WithNativeSeparators(name);
  if (from_start_file && !result.empty() && result.front() == '.') {
    result = paths.program_folder + result;
  }
  return ReplaceAll(result, "$USERNAME", paths.user_name);
}

std::string FirstLineOfStartFile(const EditorPaths& paths) {
  const std::string start_file = paths.program_folder + "Start.txt";
  LineReader reader;
  if (!FileExists(start_file) || !reader.Open(start_file)) {
    throw EditorFailure("Error, Start file " + start_file + " not found");
  }
  std::string_view line;
  return reader.Next(line) ? std::string(line) : std::string();
}

}  // namespace

void FindEditorPaths(const std::optional<std::string>& run_argument,
                     const std::optional<std::string>& parameter_argument, EditorPaths& paths) {
  const bool run_from_start_file = IsDefaultArgument(run_argument);
  paths.run_file = Expanded(run_from_start_file ? FirstLineOfStartFile(paths) : *run_argument,
                            run_from_start_file, paths);
  if (!FileExists(paths.run_file)) {
    throw EditorFailure("Error, RUN file " + Excerpt(paths.run_file) + " not found");
  }
  paths.parameter_file = IsDefaultArgument(parameter_argument)
                             ? paths.program_folder + "KORAVEParms.csv"
                             : Expanded(*parameter_argument, false, paths);
  if (!FileExists(paths.parameter_file)) {
    throw EditorFailure("Parameter file of " + paths.parameter_file + " not found");
  }
  paths.data_folder = WithTrailingSeparator(DirectoryOf(paths.run_file));
  if (paths.data_folder.empty()) paths.data_folder = "./";
}

std::string EditorCaption(const std::string& data_folder) {
  return "KORAVE - KORAV Edit - " + data_folder;
}

}  // namespace korav
