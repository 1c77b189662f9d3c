#include "common/clock.h"

#include <malloc.h>

#include <ctime>

namespace korav {
namespace {

std::string FormatNow(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  const size_t length = std::strftime(text, sizeof text, format, &local);
  return std::string(text, length);
}

}  // namespace

std::string TimeOfDayText() { return FormatNow("%H:%M:%S"); }

std::string DateTimeText() { return FormatNow("%Y-%m-%d %H:%M:%S"); }

std::string TimestampText() {
  // strftime writes the offset as "+0100"; ISO 8601's extended form has
  // "+01:00".
  std::string text = FormatNow("%Y-%m-%dT%H:%M:%S%z");
  if (text.size() >= 5) text.insert(text.size() - 2, ":");
  return text;
}

int64_t HeapBytesInUse() { return static_cast<int64_t>(mallinfo2().uordblks); }

}  // namespace korav
