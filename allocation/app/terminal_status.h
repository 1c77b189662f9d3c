// The status line of a run on a terminal: one line on standard error,
// rewritten in place, that shows the phase and, while a transaction file is
// read, the lines read, lines per second and how much of the file is done.
// Erased before anything else is printed, so the summary line stands alone.
#ifndef KORAV_ALLOCATION_APP_TERMINAL_STATUS_H_
#define KORAV_ALLOCATION_APP_TERMINAL_STATUS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "allocation/app/run_progress.h"

namespace korav {

class TerminalStatus {
 public:
  // A status line that shows nothing unless `enabled` (standard error is a
  // terminal and --quiet was not given).
  explicit TerminalStatus(bool enabled) : enabled_(enabled) {}
  ~TerminalStatus() { Erase(); }
  TerminalStatus(const TerminalStatus&) = delete;
  TerminalStatus& operator=(const TerminalStatus&) = delete;

  // A milestone of the run; the transaction counts of "Count" milestones
  // come more often through Reading().
  void Milestone(std::string_view milestone);
  void Reading(int64_t lines, uint64_t bytes, uint64_t file_bytes);
  // Removes the line, if one is shown.
  void Erase();

 private:
  void Show(const std::string& text);

  bool enabled_;
  bool shown_ = false;
  ReadingMeter meter_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_TERMINAL_STATUS_H_
