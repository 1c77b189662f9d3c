#include "allocation/app/run_progress.h"

#include <algorithm>

namespace korav {

std::string ProgressText(std::string_view milestone) {
  constexpr std::string_view kCount = "Count ";
  if (milestone.substr(0, kCount.size()) == kCount) {
    return "Transactions read: " + std::string(milestone.substr(kCount.size()));
  }
  return std::string(milestone);
}

std::optional<std::string> ReadingMeter::Update(int64_t lines, uint64_t bytes, uint64_t file_bytes,
                                                Clock::time_point now) {
  constexpr auto kInterval = std::chrono::milliseconds(250);
  if (!started_ || lines < last_lines_) {
    started_ = true;
    first_lines_ = lines;
    first_time_ = now;
    last_shown_ = now - kInterval;
  }
  last_lines_ = lines;
  if (now - last_shown_ < kInterval) return std::nullopt;
  last_shown_ = now;
  std::string text = "Transactions read: " + std::to_string(lines);
  const double seconds = std::chrono::duration<double>(now - first_time_).count();
  if (seconds > 0) {
    text +=
        ", " + std::to_string(static_cast<int64_t>((lines - first_lines_) / seconds)) + " a second";
  }
  if (file_bytes > 0) {
    text += ", " + std::to_string(std::min<uint64_t>(bytes, file_bytes) * 100 / file_bytes) +
            "% of the file";
  }
  return text;
}

namespace {

// "1 error", "0 errors", "2 errors".
std::string Counted(int32_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

}  // namespace

std::string RunSummary(int32_t errors, int32_t warnings, std::string_view log_suffix,
                       std::string_view output_directory) {
  const std::string suffix(log_suffix);
  return Counted(errors, "error") + ", " + Counted(warnings, "warning") + "; logs " +
         ".JobandTrace" + suffix + ".csv and .Job" + suffix + ".csv in " +
         std::string(output_directory);
}

}  // namespace korav
