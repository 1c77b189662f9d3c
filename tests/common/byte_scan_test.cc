#include "common/byte_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korav {
namespace {

struct SeparatorCase {
  std::string text;
  int most;
  std::vector<int> expected;  // the places found, or {-1} for a stop byte first
};

// Separators and stop bytes on both sides of the 16-byte blocks, and text
// past the end (in the padding) that must not count.
TEST(ByteScanTest, FindSeparatorsStopsAtTheRightPlaces) {
  const std::vector<SeparatorCase> cases = {
      {"1,AC1,DP2", 3, {1, 5}},
      {"123456789012345,7,9", 2, {15, 17}},
      {"1234567890123456,8", 1, {16}},
      {"1,A,B,C\"", 3, {1, 3, 5}},            // a quote after the last wanted comma
      {"1,A,\"B\",C", 3, {-1}},               // a quote before it
      {"1,A\"", 3, {-1}},                     // a quote with fewer commas than wanted
      {"12345678901234567890\",1", 1, {-1}},  // a quote in a later block
      {"", 2, {}},
  };
  for (const SeparatorCase& c : cases) {
    // The text is followed by commas and quotes that lie past its end.
    const std::string buffer = c.text + std::string(kScanPadding, ',') + "\"";
    std::vector<const char*> places(static_cast<size_t>(c.most));
    const char* const begin = buffer.data();
    const int found = FindSeparators(begin, begin + c.text.size(), ',', '"', c.most, places.data());
    std::vector<int> got;
    if (found < 0) got.push_back(-1);
    for (int i = 0; i < found; ++i) got.push_back(static_cast<int>(places[i] - begin));
    EXPECT_EQ(got, c.expected) << c.text;
    const char* either = FindEither(begin, begin + c.text.size(), '"', 'Z');
    EXPECT_EQ(either - begin, static_cast<long>(std::min(c.text.find('"'), c.text.size())))
        << c.text;
  }
}

}  // namespace
}  // namespace korav
