#include "editor/core/file_access.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace korav {

void OpenWithRetry(LineReader& reader, const std::string& path, const std::string& busy_message,
                   EditorHost& host) {
  while (!reader.Open(path)) {
    if (!host.RetryOpen(busy_message)) throw EditorFailure(busy_message);
  }
}

bool NextLine(LineReader& reader, std::string_view& line, const std::string& name) {
  if (!reader.Next(line)) return false;
  if (reader.TooLong()) {
    throw EditorFailure(name + " line " + std::to_string(reader.LineNumber()) +
                        " is longer than 1 MiB and cannot be read; nothing was loaded. Shorten "
                        "or remove that line in another editor.");
  }
  return true;
}

std::string WithSystemError(const std::string& text) { return text + ": " + std::strerror(errno); }

void ReplaceFile(const std::string& path, std::string_view content, const std::string& name) {
  const std::string temporary = path + ".korave-new";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) throw EditorFailure(WithSystemError(name + " could not be written"));
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  const bool flushed = std::fflush(file) == 0;
  const std::string failure = WithSystemError(name + " could not be written");
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (!written || !flushed || !closed) {
    std::filesystem::remove(temporary, error);
    throw EditorFailure(failure);
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw EditorFailure(name + " could not be replaced: " + error.message());
  }
}

ReportFile::ReportFile(const std::string& path, const std::string& busy_message, EditorHost& host)
    : path_(path) {
  while ((file_ = std::fopen(path.c_str(), "wb")) == nullptr) {
    if (!host.RetryOpen(busy_message)) throw EditorFailure(busy_message);
  }
}

ReportFile::~ReportFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void ReportFile::WriteLine(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputs("\r\n", file_);
}

void ReportFile::Close() {
  const bool failed = std::ferror(file_) != 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed || !closed) throw EditorFailure(WithSystemError(path_ + " could not be written"));
}

}  // namespace korav
