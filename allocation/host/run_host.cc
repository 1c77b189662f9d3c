#include "allocation/host/run_host.h"

#include <csignal>

#include "common/clock.h"

namespace korav {

std::string StopRequest::SignalName() const {
  const int signal = Signal();
  if (signal == SIGINT) return "SIGINT";
  if (signal == SIGTERM) return "SIGTERM";
  return "signal " + std::to_string(signal);
}

std::string RunHost::TimeOfDay() { return TimeOfDayText(); }
std::string RunHost::DateTime() { return DateTimeText(); }
std::string RunHost::Timestamp() { return TimestampText(); }
int64_t RunHost::HeapBytes() { return HeapBytesInUse(); }

}  // namespace korav
