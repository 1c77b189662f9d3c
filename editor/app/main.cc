// korave: the model data editor's program. Without a check it opens the
// editor's window on a model; from the command line it checks a model's data
// or its parameter file, writing the check file into the model's folder, and
// exits 0 when there is nothing to report, 1 when messages were written, 2
// when the check could not run.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/about.h"
#include "common/environment.h"
#include "common/paths.h"
#include "editor/app/window_program.h"
#include "editor/core/checks.h"
#include "editor/core/editor_host.h"
#include "editor/core/field_validator.h"
#include "editor/core/process_open.h"
#include "editor/core/start_up.h"

namespace korav {
namespace {

constexpr int kExitClean = 0;
constexpr int kExitMessages = 1;
constexpr int kExitCouldNotRun = 2;

constexpr std::string_view kUsage =
    "Usage: korave [RUNFILE [PARMFILE]]\n"
    "       korave --check-data RUNFILE [PARMFILE]\n"
    "       korave --check-parms RUNFILE [PARMFILE]\n"
    "       korave --help | --version\n"
    "\n"
    "Without a check, opens the editor's window on the data files in the folder\n"
    "of RUNFILE (default: the first line of Start.txt beside the program),\n"
    "described by the parameter file PARMFILE (default: KORAVEParms.csv beside\n"
    "the program; \"*\" also means the default).\n"
    "\n"
    "With a check, checks that model as the window's Check Data and Check Parms\n"
    "do:\n"
    "\n"
    "  --check-data   validates every record of the data files in the run file's\n"
    "                 folder into KORAVECheckData.csv there\n"
    "  --check-parms  checks the parameter file into KORAVECheckParms.csv in the\n"
    "                 run file's folder\n"
    "\n"
    "A check prints its summary on standard output and exits with 0 (no\n"
    "messages), 1 (messages were written, see the check file) or 2 (the check\n"
    "could not run). The window exits with 0, or 2 when it could not open the\n"
    "model.\n";

// Nobody can close a file that another program holds open, so the command
// line never retries.
class CommandLineHost : public EditorHost {
 public:
  bool RetryOpen(const std::string&) override { return false; }
};

enum class Check { kData, kParms };

void PrintError(const std::string& message) {
  std::fprintf(stderr, "korave: %s\n", message.c_str());
}

EditorPaths ProgramPaths() {
  EditorPaths paths;
  paths.program_folder = ProgramDirectory();
  paths.user_name = UserName();
  return paths;
}

int RunCheck(Check check, const std::vector<std::string>& names) {
  EditorPaths paths = ProgramPaths();
  const std::optional<std::string> parameter_file =
      names.size() > 1 ? std::optional<std::string>(names[1]) : std::nullopt;
  CommandLineHost host;
  try {
    FindEditorPaths(names[0], parameter_file, paths);
    EditorModel model;
    ProcessOpen(model, paths.parameter_file, paths.data_folder, host);
    FieldValidator validator(model);
    const CheckResult result =
        check == Check::kData ? CheckData(model, validator, host) : CheckParms(model, host);
    std::puts(result.Summary.c_str());
    return result.MessageCount == 0 ? kExitClean : kExitMessages;
  } catch (const EditorFailure& failure) {
    PrintError(failure.what());
    return kExitCouldNotRun;
  }
}

int Main(int argc, char** argv) {
  std::optional<Check> check;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage.data(), stdout);
      return kExitClean;
    }
    if (argument == "--version") {
      std::printf("KORAVE - KORAV Editor, Version %s\n", kVersion);
      return kExitClean;
    }
    if ((argument == "--check-data" || argument == "--check-parms") && !check) {
      check = argument == "--check-data" ? Check::kData : Check::kParms;
    } else if ((argument.size() > 1 && argument.front() == '-') || names.size() == 2) {
      PrintError("unexpected argument '" + std::string(argument) + "'; see korave --help");
      return kExitCouldNotRun;
    } else {
      names.emplace_back(argument);
    }
  }
  if (!check) {
    const auto argument = [&names](size_t i) {
      return names.size() > i ? std::optional<std::string>(names[i]) : std::nullopt;
    };
    return RunEditorWindow(argc, argv, ProgramPaths(), argument(0), argument(1));
  }
  if (names.empty()) {
    PrintError("a check needs the RUNFILE; see korave --help");
    return kExitCouldNotRun;
  }
  try {
    return RunCheck(*check, names);
  } catch (const std::exception& failure) {
    PrintError(std::string("internal failure: ") + failure.what());
    return kExitCouldNotRun;
  }
}

}  // namespace
}  // namespace korav

int main(int argc, char** argv) { return korav::Main(argc, argv); }
