#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace korav {
namespace {

// The lines of `content` as a reader with a limit of `limit` bytes gives
// them; a line that is too long shows as its first part and " [too long]".
std::vector<std::string> ReadAll(const std::string& content,
                                 size_t limit = LineReader::kMaxLineBytes) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("korav_lines_" + std::to_string(::getpid())))
          .string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
  LineReader reader(limit);
  EXPECT_TRUE(reader.Open(path));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) {
    lines.emplace_back(line);
    if (reader.TooLong()) lines.back() += " [too long]";
    EXPECT_EQ(reader.LineNumber(), static_cast<int64_t>(lines.size()));
  }
  EXPECT_FALSE(reader.Failed());
  std::filesystem::remove(path);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReaderTest, EveryLineEndIsStripped) {
  EXPECT_EQ(ReadAll("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadAll("a\n\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAll("x\r\r\n"), (Lines{"x", ""}));
  EXPECT_TRUE(ReadAll("").empty());
}

TEST(LineReaderTest, LinesAcrossBlockBoundaries) {
  // Lines that straddle the 1 MiB block, one longer than a block, and a CR LF
  // split between two blocks.
  std::string content;
  Lines expected;
  for (int i = 0; content.size() < (size_t{1} << 20) - 1; ++i) {
    expected.push_back("line " + std::to_string(i));
    content += expected.back() + "\n";
  }
  content.resize((size_t{1} << 20) - 1);
  content.back() = 'z';
  expected.back() = content.substr(content.rfind('\n') + 1);
  content += "\r\n";
  // A line of exactly the limit is read whole; one of three times the limit
  // gives its first part, and the line after it is read as usual.
  expected.push_back(std::string(LineReader::kMaxLineBytes, 'L'));
  content += expected.back() + "\n";
  content += std::string(3 * LineReader::kMaxLineBytes, 'M') + "\rend";
  expected.push_back(std::string(LineReader::kMaxLineBytes, 'M') + " [too long]");
  expected.push_back("end");
  EXPECT_EQ(ReadAll(content), expected);
}

TEST(LineReaderTest, LinesBeyondTheLimitAreMarkedAndReadPast) {
  const struct {
    std::string content;
    Lines expected;
  } cases[] = {
      {"12345678\n123456789\nok", {"12345678", "12345678 [too long]", "ok"}},
      // Its CR LF split by the end of what was buffered, and a CR alone.
      {"abcdefghijk\r\nx\r", {"abcdefgh [too long]", "x"}},
      {"abcdefghijk\r\rx", {"abcdefgh [too long]", "", "x"}},
      // No line end at all: one line, and nothing after it.
      {std::string(100, 'z'), {"zzzzzzzz [too long]"}},
      {std::string(100, 'z') + "\n", {"zzzzzzzz [too long]"}},
      {"\n" + std::string(9, 'y') + "\n\n", {"", "yyyyyyyy [too long]", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAll(c.content, 8), c.expected) << c.content;
}

TEST(LineReaderTest, FilesThatDoNotOpenSayWhy) {
  LineReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/korav/file.csv"));
  std::string_view line;
  EXPECT_FALSE(reader.Next(line));
  EXPECT_EQ(reader.FailureReason(), "No such file or directory");
  EXPECT_FALSE(reader.Open(std::filesystem::temp_directory_path().string()));
  EXPECT_EQ(reader.FailureReason(), "Invalid argument") << "a folder is no file to read";
}

TEST(LineReaderTest, PositionCountsTheBytesOfTheLinesGiven) {
  // Lines of 13 bytes with their CR LF, over four 1 MiB blocks.
  std::string content;
  for (int i = 0; i < 250000; ++i) content += "line " + std::to_string(100000 + i) + "\r\n";
  const std::string path =
      (std::filesystem::temp_directory_path() / ("korav_position_" + std::to_string(::getpid())))
          .string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
  LineReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.Size(), 3250000u);
  std::string_view line;
  uint64_t lines = 0;
  bool positions_right = true;
  while (reader.Next(line)) positions_right = positions_right && reader.Position() == ++lines * 13;
  EXPECT_TRUE(positions_right);
  EXPECT_EQ(reader.Position(), 3250000u);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace korav
