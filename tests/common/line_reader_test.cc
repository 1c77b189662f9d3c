#include "common/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace korav {
namespace {

std::vector<std::string> ReadAll(const std::string& content) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("korav_lines_" + std::to_string(::getpid())))
          .string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
  LineReader reader;
  EXPECT_TRUE(reader.Open(path));
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
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
  expected.push_back(std::string(3 << 20, 'L'));
  content += expected.back() + "\rend";
  expected.push_back("end");
  EXPECT_EQ(ReadAll(content), expected);
}

TEST(LineReaderTest, MissingFileDoesNotOpen) {
  LineReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/korav/file.csv"));
  std::string_view line;
  EXPECT_FALSE(reader.Next(line));
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
