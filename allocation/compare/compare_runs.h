// Comparing two finished runs, for `korava --compare RUN_A RUN_B [OUTDIR]`
// and the window's "Compare with...": reads both output folders
// (finished_run.h), matches them (comparison.h) and writes compare.csv,
// compare-effects.csv and compare.html (compare_files.h) into OUTDIR, each
// through the output folder's safe placement: under a temporary name,
// renamed into place when whole, never through a link or over a file with
// other hard links.
#ifndef KORAV_ALLOCATION_COMPARE_COMPARE_RUNS_H_
#define KORAV_ALLOCATION_COMPARE_COMPARE_RUNS_H_

#include <string>
#include <vector>

namespace korav {

struct CompareRequest {
  std::string run_a;
  std::string run_b;
  std::string output_folder;  // empty: DefaultCompareFolder(run_b)
};

struct CompareOutcome {
  std::string output_folder;  // ending in "/"
  std::string page;           // compare.html's path
  // One line for the user: the runs, how many pools changed, where the files are.
  std::string summary;
  // What the user must know besides: each run's notes (allocation not
  // performed, not reconciled, errors logged) and what only one run shows.
  std::vector<std::string> notes;
};

// The folder "compare" beside the folder `run_b`, ending in "/".
std::string DefaultCompareFolder(const std::string& run_b);

// Compares the runs and writes the files, creating the output folder when
// it is missing (its parent must exist). Throws RunAborted, with a text that
// names the folder or file, the cause and the fix, when a folder is no
// finished run of korava, the runs share no cost pool, the output folder is
// one of the runs' own, or a file cannot be written.
CompareOutcome CompareRuns(const CompareRequest& request);

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_COMPARE_RUNS_H_
