// How a run ended and the exit code korava ends with after it. The command
// line and the run manifest both take the code from here, so that the
// manifest always carries the code the program exits with.
#ifndef KORAV_ALLOCATION_RUN_RUN_OUTCOME_H_
#define KORAV_ALLOCATION_RUN_RUN_OUTCOME_H_

#include <cstdint>

namespace korav {

inline constexpr int kExitClean = 0;
inline constexpr int kExitCouldNotRun = 2;
inline constexpr int kExitErrorsLogged = 4;

enum class RunEnd {
  kComplete,     // every record was read
  kInterrupted,  // a signal asked the run to stop (StopRequest)
  kFailed,       // the run could not go on (RunAborted)
};

// 0 for a complete run that logged no errors, 4 for one that logged
// `errors`, 128 + `signal` for an interrupted one and 2 for a failed one.
inline int ExitCode(RunEnd end, int32_t errors, int signal) {
  switch (end) {
    case RunEnd::kComplete:
      return errors > 0 ? kExitErrorsLogged : kExitClean;
    case RunEnd::kInterrupted:
      return 128 + signal;
    case RunEnd::kFailed:
      break;
  }
  return kExitCouldNotRun;
}

}  // namespace korav

#endif  // KORAV_ALLOCATION_RUN_RUN_OUTCOME_H_
