#include "common/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/line_reader.h"
#include "tests/allocation/test_support.h"

namespace korav {
namespace {

// The digests are the published test vectors of SHA-256 (FIPS 180-2).
constexpr char kEmpty[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr char kTwoBlocks[] = "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
constexpr char kMillionA[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
constexpr char kTwoBlocksText[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

// Pieces short enough to be gathered, and longer ones, in turn.
TEST(Sha256Test, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
  Sha256 digest;
  EXPECT_EQ(digest.HexDigest(), kEmpty);
  digest.Reset();
  const std::string a(5000, 'a');
  const size_t sizes[] = {1, 999, 5000, 3, 4096};
  uint64_t added = 0;
  for (size_t i = 0; added < 1000000; ++i) {
    const size_t size = std::min<uint64_t>(sizes[i % 5], 1000000 - added);
    digest.Add(a.data(), size);
    added += size;
  }
  EXPECT_EQ(digest.size(), 1000000u);
  EXPECT_EQ(digest.HexDigest(), kMillionA);
}

// A reader asked for a digest hashes every byte it reads, also of lines too
// long to be kept and of the lines read past to reach the end.
TEST(Sha256Test, ALineReaderReadToItsEndGivesTheFilesDigest) {
  const struct {
    std::string content;
    size_t limit;
    int64_t lines;
    const char* digest;
  } cases[] = {
      {"", LineReader::kMaxLineBytes, 0, kEmpty},
      {"abc", LineReader::kMaxLineBytes, 1, kAbc},
      {kTwoBlocksText, 5, 1, kTwoBlocks},
      {std::string(1000000, 'a'), 1000, 1, kMillionA},
  };
  ModelFolder folder;
  for (const auto& c : cases) {
    folder.Write("file", c.content);
    LineReader reader(c.limit);
    Sha256 digest;
    ASSERT_TRUE(reader.Open(folder.path("file"), &digest));
    std::string_view line;
    reader.Next(line);
    EXPECT_TRUE(reader.ReadToEnd());
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.LineNumber(), c.lines);
    EXPECT_EQ(digest.size(), c.content.size());
    EXPECT_EQ(digest.HexDigest(), c.digest) << c.content.substr(0, 10);
  }
}

}  // namespace
}  // namespace korav
