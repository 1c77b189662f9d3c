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

}  // namespace
}  // namespace korav
