// File helpers of the window tests.
#ifndef KORAV_TESTS_WINDOW_TEST_FILES_H_
#define KORAV_TESTS_WINDOW_TEST_FILES_H_

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace korav {

// The bytes of the file at `path`, empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace korav

#endif  // KORAV_TESTS_WINDOW_TEST_FILES_H_
