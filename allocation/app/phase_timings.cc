#include "allocation/app/phase_timings.h"

#include <cstdio>

namespace korav {

void PhaseTimings::Milestone(std::string_view milestone) {
  // The milestones that begin each phase; "End of Run" ends the last.
  static constexpr std::array<std::string_view, kMarks> kBegins{
      "Start Read Pass 1", "Finished Reading Model; Start of Read Transactions",
      "End of Transactions; Start Allocate", "End of Allocate; Start of Reports", "End of Run"};
  for (size_t mark = 0; mark < kBegins.size(); ++mark) {
    if (milestone != kBegins[mark]) continue;
    marks_[mark] = Clock::now();
    seen_[mark] = true;
  }
}

std::string PhaseTimings::Report(int64_t lines) const {
  static constexpr std::array<std::string_view, kEnd> kNames{"model", "transactions", "allocation",
                                                             "reports"};
  const auto seconds = [](Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
  };
  std::string report = "timings";
  char figure[64];
  for (size_t phase = 0; phase < kNames.size(); ++phase) {
    // A phase ends where the next phase the run reached begins.
    double taken = 0;
    if (seen_[phase]) {
      for (size_t next = phase + 1; next < kMarks; ++next) {
        if (!seen_[next]) continue;
        taken = seconds(marks_[next] - marks_[phase]);
        break;
      }
    }
    std::snprintf(figure, sizeof figure, " %s=%.3f", kNames[phase].data(), taken);
    report += figure;
  }
  std::snprintf(figure, sizeof figure, " total=%.3f lines=%lld", seconds(Clock::now() - start_),
                static_cast<long long>(lines));
  report += figure;
  return report;
}

}  // namespace korav
