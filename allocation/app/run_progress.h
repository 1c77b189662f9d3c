// The texts that tell a user how a run is going and how it ended, shared by
// the window's status line and the command line's summary.
#ifndef KORAV_ALLOCATION_APP_RUN_PROGRESS_H_
#define KORAV_ALLOCATION_APP_RUN_PROGRESS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

// The status line for a milestone of the run ("Count 200000" becomes
// "Transactions read: 200000"; the phase milestones stand as they are).
std::string ProgressText(std::string_view milestone);

// The counts of a finished run or report and where its logs are, e.g.
// "0 errors, 1 warnings; logs .JobandTrace.csv and .Job.csv in /m/out/".
std::string RunSummary(int32_t errors, int32_t warnings, std::string_view log_suffix,
                       std::string_view output_directory);

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_RUN_PROGRESS_H_
