// The texts that tell a user how a run is going and how it ended, shared by
// the window's status line and the command line's summary.
#ifndef KORAV_ALLOCATION_APP_RUN_PROGRESS_H_
#define KORAV_ALLOCATION_APP_RUN_PROGRESS_H_

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korav {

// The status line for a milestone of the run ("Count 200000" becomes
// "Transactions read: 200000"; the phase milestones stand as they are).
std::string ProgressText(std::string_view milestone);

// The status line while a transaction file is read, at most four times a
// second: "Transactions read: 1200000, 2400000 a second, 31% of the file".
class ReadingMeter {
 public:
  using Clock = std::chrono::steady_clock;

  // The status text for `lines` read, taking `bytes` of the file's
  // `file_bytes` (no percentage when that is 0), at time `now`; nothing when
  // the last text was given less than a quarter of a second before. A file
  // whose lines count from the start again restarts the rate.
  std::optional<std::string> Update(int64_t lines, uint64_t bytes, uint64_t file_bytes,
                                    Clock::time_point now);

 private:
  bool started_ = false;
  int64_t last_lines_ = 0;
  int64_t first_lines_ = 0;
  Clock::time_point first_time_;
  Clock::time_point last_shown_;
};

// The counts of a finished run or report and where its logs are, e.g.
// "0 errors, 1 warning; logs .JobandTrace.csv and .Job.csv in /m/out/".
std::string RunSummary(int32_t errors, int32_t warnings, std::string_view log_suffix,
                       std::string_view output_directory);

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_RUN_PROGRESS_H_
