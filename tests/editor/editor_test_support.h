// Helpers for the editor tests: a scratch model folder, a host that records
// its retry questions, and loading a model from parameter and data texts.
#ifndef KORAV_TESTS_EDITOR_EDITOR_TEST_SUPPORT_H_
#define KORAV_TESTS_EDITOR_EDITOR_TEST_SUPPORT_H_

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/core/editor_host.h"
#include "editor/core/editor_model.h"
#include "editor/core/process_open.h"

namespace korav {

class RecordingHost : public EditorHost {
 public:
  bool RetryOpen(const std::string& message) override {
    retry_messages.push_back(message);
    return false;
  }
  std::vector<std::string> retry_messages;
};

// A fresh folder under the temporary directory, removed afterwards.
class EditorFolder {
 public:
  EditorFolder() {
    static std::atomic<int> sequence{0};
    root_ = std::filesystem::temp_directory_path() /
            ("korave_test_" + std::to_string(::getpid()) + "_" + std::to_string(sequence++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~EditorFolder() { std::filesystem::remove_all(root_); }

  std::string dir() const { return root_.string() + "/"; }
  std::string path(const std::string& name) const { return dir() + name; }

  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path(name), std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  // Writes the parameter file and opens the folder's model from it.
  void Open(EditorModel& model, const std::string& parameters) {
    Write("parms.csv", parameters);
    RecordingHost host;
    ProcessOpen(model, path("parms.csv"), dir(), host);
  }

 private:
  std::filesystem::path root_;
};

// The values 1..n of a record, for comparing whole records.
inline std::vector<std::string> ValuesOf(const TmyDataRec& record) {
  return {record.Values.begin() + 1, record.Values.end()};
}

}  // namespace korav

#endif  // KORAV_TESTS_EDITOR_EDITOR_TEST_SUPPORT_H_
