// Helpers for the run tests: a scratch model folder and a host with a fixed
// clock and heap figure, so that log lines can be compared exactly.
#ifndef KORAV_TESTS_ALLOCATION_TEST_SUPPORT_H_
#define KORAV_TESTS_ALLOCATION_TEST_SUPPORT_H_

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/host/run_host.h"
#include "allocation/log/job_log.h"
#include "allocation/log/output_folder.h"

namespace korav {

class FixedHost : public RunHost {
 public:
  bool RetryOutputFile(const std::string& message) override {
    retry_messages.push_back(message);
    return retries_left-- > 0;
  }
  std::string TimeOfDay() override { return "10:11:12"; }
  std::string DateTime() override { return "2026-12-07 10:11:12"; }
  int64_t HeapBytes() override { return heap; }
  void Progress(std::string_view milestone) override { progress.emplace_back(milestone); }
  void ReadingProgress(int64_t lines, uint64_t /*bytes*/, uint64_t /*file_bytes*/) override {
    if (on_reading) on_reading(lines);
  }

  // Called with the lines read so far each time the reader reports them.
  std::function<void(int64_t)> on_reading;
  int64_t heap = 0;
  std::vector<std::string> progress;
  int retries_left = 0;
  std::vector<std::string> retry_messages;
};

// A fresh folder under the temporary directory, removed afterwards.
class ModelFolder {
 public:
  ModelFolder() {
    static std::atomic<int> sequence{0};
    root_ = std::filesystem::temp_directory_path() /
            ("korav_test_" + std::to_string(::getpid()) + "_" + std::to_string(sequence++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~ModelFolder() { std::filesystem::remove_all(root_); }

  // The folder's path, ending in "/".
  std::string dir() const { return root_.string() + "/"; }
  std::string path(const std::string& name) const { return dir() + name; }

  void Write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
    std::ofstream(path(name), std::ios::binary) << content;
  }
  void MakeDirectory(const std::string& name) const {
    std::filesystem::create_directories(path(name));
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  // The file's lines, each without its CR LF.
  std::vector<std::string> Lines(const std::string& name) const {
    std::vector<std::string> lines;
    std::string content = Read(name);
    for (size_t start = 0; start < content.size();) {
      size_t end = content.find("\r\n", start);
      if (end == std::string::npos) end = content.size();
      lines.push_back(content.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

 private:
  std::filesystem::path root_;
};

// Opens `folder` on `directory` and `log` in it, as a run does.
inline void OpenLogIn(JobLog& log, OutputFolder& folder, const std::string& directory,
                      std::string_view suffix = "") {
  folder.Open(directory);
  log.Open(folder, suffix);
}

}  // namespace korav

#endif  // KORAV_TESTS_ALLOCATION_TEST_SUPPORT_H_
