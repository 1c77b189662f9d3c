// Wall-clock texts and the heap figure that log lines and report titles show.
#ifndef KORAV_COMMON_CLOCK_H_
#define KORAV_COMMON_CLOCK_H_

#include <cstdint>
#include <string>

namespace korav {

// The local time of day as "HH:MM:SS".
std::string TimeOfDayText();
// The local date and time as "YYYY-MM-DD HH:MM:SS".
std::string DateTimeText();
// The local date and time in ISO 8601 with the offset from UTC, as records
// that programs read carry it: "2026-11-30T17:05:09+01:00".
std::string TimestampText();
// Bytes the program holds allocated on its heap.
int64_t HeapBytesInUse();

}  // namespace korav

#endif  // KORAV_COMMON_CLOCK_H_
