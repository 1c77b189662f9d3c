// The time each phase of a run takes, measured on a steady clock from the
// milestones the run logs, for `korava --timings`: model (both reading
// passes and the model's completion), transactions, allocation and reports.
// The log's own time stamps have whole seconds only.
#ifndef KORAV_ALLOCATION_APP_PHASE_TIMINGS_H_
#define KORAV_ALLOCATION_APP_PHASE_TIMINGS_H_

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

class PhaseTimings {
 public:
  PhaseTimings() : start_(Clock::now()) {}

  // Notes the time of milestone `milestone` (without its class letter);
  // milestones that begin or end no phase are ignored.
  void Milestone(std::string_view milestone);

  // "timings model=0.052 transactions=0.987 allocation=0.612 reports=0.010
  // total=1.663 lines=4000000": seconds with three decimals; a phase the run
  // did not reach reads 0.000. Total runs from this object's creation.
  std::string Report(int64_t lines) const;

 private:
  using Clock = std::chrono::steady_clock;
  enum Mark { kModel, kTransactions, kAllocation, kReports, kEnd, kMarks };

  Clock::time_point start_;
  std::array<Clock::time_point, kMarks> marks_{};
  std::array<bool, kMarks> seen_{};
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_PHASE_TIMINGS_H_
