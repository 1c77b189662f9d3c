#include "allocation/app/run_progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

namespace korav {
namespace {

// The status line while transactions are read: at most every quarter of a
// second, the rate since the file's first report, and the share of its bytes.
TEST(ReadingMeterTest, ShowsLinesRateAndShareAtMostFourTimesASecond) {
  using std::chrono::milliseconds;
  const ReadingMeter::Clock::time_point start{};
  const struct {
    int64_t lines;
    uint64_t bytes;
    uint64_t file_bytes;
    int at_ms;
    std::optional<std::string> text;
  } reports[] = {
      {256, 1000, 4000, 0, "Transactions read: 256, 25% of the file"},
      {512, 2000, 4000, 100, std::nullopt},
      {2256, 3000, 4000, 1000, "Transactions read: 2256, 2000 a second, 75% of the file"},
      // A second file counts from the start again: its rate starts afresh.
      {100, 50, 0, 1100, "Transactions read: 100"},
      {600, 80, 0, 1600, "Transactions read: 600, 1000 a second"},
  };
  ReadingMeter meter;
  for (const auto& report : reports) {
    EXPECT_EQ(meter.Update(report.lines, report.bytes, report.file_bytes,
                           start + milliseconds(report.at_ms)),
              report.text)
        << report.at_ms << " ms";
  }
}

// One error or warning is named in the singular, any other count in the
// plural; the report logs' names carry their suffix.
TEST(RunSummaryTest, CountsTakeTheirNumber) {
  const struct {
    int32_t errors;
    int32_t warnings;
    const char* suffix;
    const char* summary;
  } cases[] = {
      {0, 0, "", "0 errors, 0 warnings; logs .JobandTrace.csv and .Job.csv in /m/out/"},
      {1, 1, "REP", "1 error, 1 warning; logs .JobandTraceREP.csv and .JobREP.csv in /m/out/"},
      {2, 11, "", "2 errors, 11 warnings; logs .JobandTrace.csv and .Job.csv in /m/out/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunSummary(c.errors, c.warnings, c.suffix, "/m/out/"), c.summary);
  }
}

}  // namespace
}  // namespace korav
