#include "allocation/transactions/line_batches.h"

#include <gtest/gtest.h>

#include <string>

#include "common/byte_scan.h"
#include "common/field_table.h"

namespace korav {
namespace {

// The raw bytes of the code columns: from after the first comma up to the
// comma that ends column `dimensions` + 1, or the end of the line.
std::string_view CodeColumns(std::string_view line, int dimensions) {
  size_t begin = line.find(',');
  if (begin == std::string_view::npos) return {};
  ++begin;
  size_t end = begin;
  for (int k = 1; k <= dimensions && end != std::string_view::npos; ++k) {
    end = line.find(',', k == 1 ? begin : end + 1);
  }
  return line.substr(begin, end == std::string_view::npos ? end : end - begin);
}

// The splitter of lines without quotes gives what the general splitter gives,
// whatever follows the line in its buffer.
TEST(SplitPlainLineTest, AgreesWithTheGeneralSplitter) {
  struct Case {
    const char* line;
    int dimensions;
    bool plain;  // no quote before the end of the last code column
  };
  const Case cases[] = {
      {"1,A,B", 2, true},
      {"1 ,A  ,B ", 2, true},
      {" 1, A,  B", 2, true},
      {"1,\tA\t,B", 2, true},
      {"1,A", 3, true},
      {"1", 2, true},
      {"", 1, true},
      {",,", 2, true},
      {"1,A,B,", 2, true},
      {"1,A,B,C,D,E", 2, true},
      {"1,A,B,\"after the codes\"", 2, true},
      {"1,A,B,C,D,E,F,G,H", 8, true},
      {"1,A,B,C,D,E,F,G,H,\"x\"", 8, true},
      {"1,\"A\",B", 2, false},
      {"1,A\",B", 2, false},
      {"\"1\",A,B", 2, false},
      {"1,A,\"B", 2, false},
  };
  FieldTable csv(kAllocationCsvSlots);
  for (const Case& c : cases) {
    // The bytes after the line are another line's, commas and quotes included.
    const std::string line(c.line);
    const std::string buffer = line + std::string(kScanPadding, ',') + "\"";
    std::string_view amount;
    std::string_view key;
    CodeTexts texts;
    ASSERT_EQ(SplitPlainLine(std::string_view(buffer).substr(0, line.size()), c.dimensions, amount,
                             key, &texts),
              c.plain)
        << line;
    if (!c.plain) continue;
    csv.SplitCsv(line);
    EXPECT_EQ(amount, csv[1]) << line;
    for (int k = 1; k <= c.dimensions; ++k) {
      EXPECT_EQ(texts[static_cast<size_t>(k)], csv[k + 1]) << line << " column " << k + 1;
    }
    EXPECT_EQ(key, CodeColumns(line, c.dimensions)) << line;
  }
}

}  // namespace
}  // namespace korav
