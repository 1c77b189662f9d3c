#include "allocation/app/terminal_status.h"

#include <cstdio>
#include <optional>

namespace korav {
namespace {

// Longer lines would wrap on a narrow terminal and could not be rewritten.
constexpr size_t kMaxWidth = 79;

}  // namespace

void TerminalStatus::Milestone(std::string_view milestone) {
  if (!enabled_ || milestone.substr(0, 6) == "Count ") return;
  Show(ProgressText(milestone));
}

void TerminalStatus::Reading(int64_t lines, uint64_t bytes, uint64_t file_bytes) {
  if (!enabled_) return;
  const std::optional<std::string> text =
      meter_.Update(lines, bytes, file_bytes, ReadingMeter::Clock::now());
  if (text) Show(*text);
}

void TerminalStatus::Show(const std::string& text) {
  const std::string line = ("korava: " + text).substr(0, kMaxWidth);
  // Carriage return, the text, then erase what an older, longer text left.
  std::fprintf(stderr, "\r%s\033[K", line.c_str());
  std::fflush(stderr);
  shown_ = true;
}

void TerminalStatus::Erase() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace korav
