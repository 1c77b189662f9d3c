#include "allocation/app/run_progress.h"

namespace korav {

std::string ProgressText(std::string_view milestone) {
  constexpr std::string_view kCount = "Count ";
  if (milestone.substr(0, kCount.size()) == kCount) {
    return "Transactions read: " + std::string(milestone.substr(kCount.size()));
  }
  return std::string(milestone);
}

std::string RunSummary(int32_t errors, int32_t warnings, std::string_view log_suffix,
                       std::string_view output_directory) {
  const std::string suffix(log_suffix);
  return std::to_string(errors) + " errors, " + std::to_string(warnings) + " warnings; logs " +
         ".JobandTrace" + suffix + ".csv and .Job" + suffix + ".csv in " +
         std::string(output_directory);
}

}  // namespace korav
