#include "allocation/log/output_file.h"

namespace korav {

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::Create(const std::string& path, RunHost& host) {
  if (file_ != nullptr) Close();
  path_ = path;
  for (;;) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ != nullptr) {
      identity_ = IdentityOf(file_);
      return;
    }
    const std::string message = "Output File " + path + " is open, please close";
    if (!host.RetryOutputFile(message)) throw RunAborted(message);
  }
}

void OutputFile::WriteLine(std::string_view line) {
  if (file_ == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fwrite("\r\n", 1, 2, file_);
}

void OutputFile::Close() {
  if (file_ == nullptr) return;
  const bool failed = std::ferror(file_) != 0;
  const bool close_failed = std::fclose(file_) != 0;
  file_ = nullptr;
  identity_.reset();
  if (failed || close_failed)
    throw RunAborted("Output File " + path_ + " could not be written completely");
}

}  // namespace korav
