#include "allocation/log/run_host.h"

#include "common/clock.h"

namespace korav {

std::string RunHost::TimeOfDay() { return TimeOfDayText(); }
std::string RunHost::DateTime() { return DateTimeText(); }
int64_t RunHost::HeapBytes() { return HeapBytesInUse(); }

}  // namespace korav
