// korava: the allocation engine's program. Given a run file it runs the model
// without a window and ends with exit code 0 (clean run), 4 (errors were
// logged), 2 (the run could not be performed) or 128 + the signal that
// interrupted it (see run_outcome.h); without one it opens the main window.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/app/command_line_host.h"
#include "allocation/app/phase_timings.h"
#include "allocation/app/run_progress.h"
#include "allocation/app/terminal_status.h"
#include "allocation/app/window_program.h"
#include "allocation/compare/compare_runs.h"
#include "allocation/run/run_driver.h"
#include "allocation/run/run_file.h"
#include "allocation/run/run_outcome.h"
#include "allocation/state/engine.h"
#include "common/about.h"
#include "common/environment.h"
#include "common/paths.h"

namespace korav {
namespace {

constexpr std::string_view kUsage =
    "Usage: korava [--timings] [--quiet] [RUNFILE]\n"
    "       korava --compare RUN_A RUN_B [OUTDIR]\n"
    "       korava --help | --version\n"
    "\n"
    "Runs the cost allocation model that RUNFILE describes: reads its model,\n"
    "dimension and transaction files, allocates the cost pools and writes the\n"
    "reports and the job-and-trace logs into the run file's $ODIR folder.\n"
    "Without RUNFILE, korava opens its window, which offers the run file that\n"
    "the first line of Start.txt beside the program names, and after the run\n"
    "lets you run further reports against the model in memory.\n"
    "\n"
    "The logs are .JobandTrace.csv (everything, with traces) and .Job.csv\n"
    "(everything but traces); their names begin with a dot. .Run.json, written\n"
    "last, records the run for programs: how it ended and its exit code, every\n"
    "file read and report written with its SHA-256, the options and messages.\n"
    "\n"
    "On a terminal, a status line on standard error shows the phase of the\n"
    "run and, while transactions are read, the lines read, lines per second\n"
    "and how much of the file is done; --quiet leaves it out.\n"
    "--timings writes, after a run, one line to standard error with the\n"
    "seconds each phase took (model, transactions, allocation, reports), the\n"
    "whole run's and the number of transaction lines read.\n"
    "\n"
    "--compare compares two finished runs, each given by its output folder,\n"
    "which must hold its .Run.json and both Results Exports (REP,36 and\n"
    "REP,36,<name>,,,,F). It writes into OUTDIR (default: compare/ beside\n"
    "RUN_B's folder, created when missing) compare.csv, each pool's value in A\n"
    "and B and the change; compare-effects.csv, for each final pool (one that\n"
    "receives cost and sends none) the cost and share effect of each sender\n"
    "and the change of its own transactions, adding up to the pool's change to\n"
    "the cent; and compare.html, the same as a page with charts. What only one\n"
    "run shows is listed on standard error. It ends with exit code 0, or 2 when\n"
    "a folder is no finished run, its files changed since, the runs share no\n"
    "cost pool or OUTDIR is one of the runs' folders (the message says which).\n"
    "\n"
    "Exit codes: 0 the run ended without errors, 4 errors were logged (see the\n"
    "logs), 2 the run could not be performed (the message says why), 130 or\n"
    "143 the run was interrupted by SIGINT (Ctrl+C) or SIGTERM: it stops at\n"
    "the next line, the logs end with \"Run interrupted\" and reports that\n"
    "were not complete are removed. A second signal ends korava at once.\n";

// The stop request that the signal handlers set. A handler can reach the
// run only through a variable of the program's own; it is set once, before
// the handlers are installed, and only read after.
StopRequest* signal_stop = nullptr;

extern "C" void RequestStop(int signal) { signal_stop->Request(signal); }

// SIGINT and SIGTERM ask the run to stop at its next line, record or cell
// boundary, leaving complete files only; the handler is reset by its first
// call, so a second signal ends the program at once. A file size limit
// makes writes fail (and the run say so) rather than end the program.
void InstallStopHandlers(StopRequest& stop) {
  signal_stop = &stop;
  struct sigaction action {};
  action.sa_handler = RequestStop;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGXFSZ, SIG_IGN);
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "korava: %s\n", message.c_str());
}

void PrintSummary(const Engine& engine) {
  const std::string summary = RunSummary(engine.log.own().errors, engine.log.own().warnings, "",
                                         engine.paths.output_directory);
  std::fprintf(stderr, "korava: %s\n", summary.c_str());
}

// The command line's host: the status line on a terminal, and with
// --timings the times of the run's phases.
class ProgramHost : public CommandLineHost {
 public:
  ProgramHost(bool status, bool timings) : status_(status), timings_(timings) {}
  void Progress(std::string_view milestone) override {
    status_.Milestone(milestone);
    if (timings_) phases_.Milestone(milestone);
  }
  void ReadingProgress(int64_t lines, uint64_t bytes, uint64_t file_bytes) override {
    status_.Reading(lines, bytes, file_bytes);
  }
  // Erases the status line before anything else is printed.
  void EndStatus() { status_.Erase(); }
  void PrintTimings(int64_t lines) const {
    if (timings_) std::fprintf(stderr, "korava: %s\n", phases_.Report(lines).c_str());
  }

 private:
  TerminalStatus status_;
  bool timings_;
  PhaseTimings phases_;
};

RunPaths ProgramPaths() {
  RunPaths paths;
  paths.program_path = ProgramPath();
  paths.program_directory = ProgramDirectory();
  paths.user_name = UserName();
  return paths;
}

struct CommandLine {
  std::optional<std::string> run_file;
  bool timings = false;
  bool quiet = false;
  // The arguments after --compare, which compares two runs instead.
  std::optional<std::vector<std::string>> compare;
};

int RunWithoutWindow(const CommandLine& command) {
  RunPaths paths = ProgramPaths();
  ProgramHost host(!command.quiet && isatty(STDERR_FILENO) == 1, command.timings);
  InstallStopHandlers(host.stop);
  try {
    paths.run_file = FindRunFile(*command.run_file, paths);
    Engine engine(host, paths);
    try {
      RunModel(engine);
    } catch (const RunInterrupted&) {
      host.EndStatus();
      PrintError("run interrupted by " + host.stop.SignalName() + " during " +
                 std::string(engine.state.phase) + "; reports not complete were removed; see " +
                 engine.paths.output_directory + ".Job.csv");
      return ExitCode(RunEnd::kInterrupted, engine.log.own().errors, host.stop.Signal());
    } catch (const RunAborted& aborted) {
      host.EndStatus();
      PrintError(aborted.what());
      if (!engine.paths.output_directory.empty() && engine.log.own().errors > 0) {
        PrintSummary(engine);
      }
      return ExitCode(RunEnd::kFailed, engine.log.own().errors, 0);
    }
    host.EndStatus();
    PrintSummary(engine);
    host.PrintTimings(engine.transaction_count);
    return ExitCode(RunEnd::kComplete, engine.log.own().errors, 0);
  } catch (const RunAborted& aborted) {
    PrintError(aborted.what());
    return kExitCouldNotRun;
  }
}

// `korava --compare RUN_A RUN_B [OUTDIR]`, given what follows --compare.
int CompareFromCommandLine(const std::vector<std::string>& folders) {
  if (folders.size() < 2 || folders.size() > 3) {
    PrintError(
        "--compare takes the output folders of two runs, then an output folder if wanted: "
        "korava --compare RUN_A RUN_B [OUTDIR]; see korava --help");
    return kExitCouldNotRun;
  }
  try {
    const CompareOutcome outcome =
        CompareRuns(CompareRequest{folders[0], folders[1], folders.size() == 3 ? folders[2] : ""});
    for (const std::string& note : outcome.notes) PrintError(note);
    PrintError(outcome.summary);
    return kExitClean;
  } catch (const RunAborted& aborted) {
    PrintError(aborted.what());
    return kExitCouldNotRun;
  }
}

int Main(int argc, char** argv) {
  CommandLine command;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage.data(), stdout);
      return kExitClean;
    }
    if (argument == "--version") {
      std::printf("KORAVA - KORAV Cost Allocation, Version %s\n", kVersion);
      return kExitClean;
    }
    if (argument == "--compare" && !command.run_file) {
      command.compare.emplace(argv + i + 1, argv + argc);
      break;
    }
    if (argument == "--timings" || argument == "--quiet") {
      (argument == "--timings" ? command.timings : command.quiet) = true;
      continue;
    }
    if ((argument.size() > 1 && argument.front() == '-') || command.run_file) {
      PrintError("unexpected argument '" + std::string(argument) + "'; see korava --help");
      return kExitCouldNotRun;
    }
    command.run_file = std::string(argument);
  }
  try {
    if (command.compare) return CompareFromCommandLine(*command.compare);
    // Only a run without arguments opens the window: a run file given on the
    // command line runs without any display.
    if (!command.run_file) return RunWindowProgram(argc, argv, ProgramPaths());
    return RunWithoutWindow(command);
  } catch (const std::exception& failure) {
    PrintError(std::string("internal failure: ") + failure.what());
    return kExitCouldNotRun;
  }
}

}  // namespace
}  // namespace korav

int main(int argc, char** argv) { return korav::Main(argc, argv); }
