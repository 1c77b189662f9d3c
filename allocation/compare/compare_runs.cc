#include "allocation/compare/compare_runs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "allocation/compare/compare_files.h"
#include "allocation/compare/comparison.h"
#include "allocation/compare/finished_run.h"
#include "allocation/host/run_host.h"
#include "allocation/log/output_file.h"
#include "allocation/log/output_folder.h"
#include "common/paths.h"

namespace korav {
namespace {

// The most names a note lists of what one run only shows.
constexpr size_t kMostNamesNoted = 10;

// Nobody to ask whether to try a file again: a file that cannot be written
// ends the comparison, whose message says what blocks it.
class NoRetryHost : public RunHost {
 public:
  bool RetryOutputFile(const std::string& /*message*/) override { return false; }
};

[[noreturn]] void Refuse(const std::string& text) { throw RunAborted(text); }

// The output folder, created when missing; never one of the runs' folders,
// whose files it would mix with theirs.
std::string PrepareOutputFolder(const std::string& path, const CompareRequest& request) {
  const std::optional<FileIdentity> identity = IdentityOf(path);
  for (const auto& [name, run] :
       {std::pair{"RUN_A", &request.run_a}, std::pair{"RUN_B", &request.run_b}}) {
    if (identity && identity == IdentityOf(*run)) {
      Refuse("the output folder " + path + " is " + name +
             " itself; the comparison's files go into a folder of their own: give another "
             "OUTDIR, or none for compare/ beside RUN_B");
    }
  }
  const PathKind kind = KindOf(path);
  if (kind == PathKind::kNothing) {
    if (::mkdir(WithoutTrailingSeparators(path).c_str(), 0777) != 0) {
      Refuse("the output folder " + path + " cannot be created (" + std::strerror(errno) +
             "); give an OUTDIR whose parent folder exists and may be written");
    }
  } else if (kind != PathKind::kFolder) {
    Refuse("the output folder " + path + " is a " + std::string(KindName(kind)) +
           ", not a folder; give another OUTDIR");
  }
  return WithTrailingSeparator(path);
}

void WriteFile(const OutputFolder& folder, const char* name, const Comparison& comparison,
               void (*write)(const Comparison&, OutputFile&)) {
  NoRetryHost host;
  OutputFile file;
  const std::string refusal = file.Create(folder, name, OutputFile::Mode::kWhenComplete, host);
  if (!refusal.empty()) {
    Refuse("Output File " + folder.path() + name + " cannot be written: " + refusal +
           "; remove what stands there, or give another OUTDIR");
  }
  write(comparison, file);
  file.Close();
}

std::string Summary(const Comparison& comparison, const std::string& folder) {
  size_t changed = 0;
  for (const PoolChange& pool : comparison.pools) {
    const std::optional<Cents> change = pool.Change();
    if (change && *change != 0) ++changed;
  }
  return "compared A (" + comparison.a.label + ") with B (" + comparison.b.label +
         "): " + std::to_string(comparison.pools.size()) + " pools, " + std::to_string(changed) +
         " changed, " + std::to_string(comparison.finals.size()) + " final pools explained; " +
         kCompareTableName + ", " + kCompareEffectsName + " and " + kComparePageName + " in " +
         folder;
}

}  // namespace

std::string DefaultCompareFolder(const std::string& run_b) {
  const std::string absolute = WithoutTrailingSeparators(AbsolutePath(run_b));
  return absolute.substr(0, absolute.find_last_of('/') + 1) + "compare/";
}

CompareOutcome CompareRuns(const CompareRequest& request) {
  const FinishedRun a = ReadFinishedRun(request.run_a);
  const FinishedRun b = ReadFinishedRun(request.run_b);
  const Comparison comparison = CompareFinishedRuns(a, b);
  CompareOutcome outcome;
  outcome.output_folder = PrepareOutputFolder(
      request.output_folder.empty() ? DefaultCompareFolder(request.run_b) : request.output_folder,
      request);
  OutputFolder folder;
  if (!folder.Open(outcome.output_folder)) {
    Refuse("the output folder " + outcome.output_folder + " cannot be opened; give another OUTDIR");
  }
  WriteFile(folder, kCompareTableName, comparison, WriteChangeTable);
  WriteFile(folder, kCompareEffectsName, comparison, WriteEffectsTable);
  WriteFile(folder, kComparePageName, comparison, WriteComparePage);
  outcome.page = outcome.output_folder + kComparePageName;
  outcome.summary = Summary(comparison, outcome.output_folder);
  for (const auto& [name, side] : {std::pair{"A", &comparison.a}, std::pair{"B", &comparison.b}}) {
    for (const std::string& note : side->notes) {
      outcome.notes.push_back(std::string(name) + " (" + side->label + "): " + note);
    }
  }
  for (const OneSided& one_sided : comparison.one_sided) {
    outcome.notes.push_back(OneSidedLine(comparison, one_sided, kMostNamesNoted));
  }
  return outcome;
}

}  // namespace korav
