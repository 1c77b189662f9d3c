#include "allocation/log/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/numbers.h"

namespace korav {
namespace {

constexpr mode_t kFileMode = 0666;  // less the user's umask

std::string SystemReason(int error) { return std::strerror(error); }

// A name for a report's temporary file that no report takes: hidden, and
// told apart from other programs' files by the process number.
std::string TemporaryName(int attempt) {
  return ".korava-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

std::string OutputFile::Create(const OutputFolder& folder, std::string_view name, Mode mode,
                               RunHost& host) {
  Discard();
  path_.clear();
  const std::string path = folder.path() + std::string(name);
  for (;;) {
    OutputPlace place = folder.Place(name);
    std::string refusal = place.usable() ? TryCreate(place, mode) : place.refusal;
    if (refusal.empty()) {
      path_ = path;
      return {};
    }
    if (place.refused_by_name) return refusal;
    if (!host.RetryOutputFile("Output File " + path + " cannot be written: " + refusal)) {
      return refusal;
    }
  }
}

void OutputFile::Create(const std::string& path, RunHost& host) {
  const std::string folder_path = WithTrailingSeparator(DirectoryOf(path));
  OutputFolder folder;
  std::string refusal = "its folder cannot be opened";
  if (folder.Open(folder_path.empty() ? "./" : folder_path)) {
    refusal = Create(folder, path.substr(folder_path.size()), Mode::kInPlace, host);
  }
  if (!refusal.empty()) throw RunAborted("Output File " + path + " cannot be written: " + refusal);
  path_ = path;
}

std::string OutputFile::TryCreate(OutputPlace& place, Mode mode) {
  const int folder = place.folder.get();
  int fd = -1;
  std::string temporary;
  if (mode == Mode::kWhenComplete) {
    for (int attempt = 0; fd < 0; ++attempt) {
      temporary = TemporaryName(attempt);
      fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    kFileMode);
      if (fd < 0 && errno != EEXIST) return "it cannot be created (" + SystemReason(errno) + ")";
    }
  } else {
    // Not truncated before it is known to be a plain file of its own: the
    // other name of a hard link would lose its contents. O_NONBLOCK keeps a
    // FIFO from holding the open.
    fd = ::openat(folder, place.leaf.c_str(),
                  O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, kFileMode);
    if (fd < 0) {
      if (errno == ELOOP) return "it is a symbolic link";
      if (errno == EISDIR) return "it is a folder";
      return "it cannot be created (" + SystemReason(errno) + ")";
    }
    struct stat status {};
    std::string refusal;
    if (::fstat(fd, &status) != 0) {
      refusal = "it cannot be examined (" + SystemReason(errno) + ")";
    } else if (!S_ISREG(status.st_mode)) {
      refusal = "it is not a regular file";
    } else if (status.st_nlink > 1) {
      refusal = "it has more than one hard link";
    } else if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, O_WRONLY) != 0) {
      refusal = "it cannot be emptied (" + SystemReason(errno) + ")";
    }
    if (!refusal.empty()) {
      ::close(fd);
      return refusal;
    }
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    ::close(fd);
    if (!temporary.empty()) ::unlinkat(folder, temporary.c_str(), 0);
    return "it cannot be opened (" + SystemReason(error) + ")";
  }
  mode_ = mode;
  folder_ = std::move(place.folder);
  leaf_ = std::move(place.leaf);
  temporary_ = std::move(temporary);
  identity_ = IdentityOf(file_);
  error_ = 0;
  not_finite_lines_ = 0;
  size_ = 0;
  digest_.Reset();
  return {};
}

void OutputFile::WriteLine(std::string_view line) {
  if (file_ == nullptr || error_ != 0) return;
  if (stop_ != nullptr && stop_->Requested()) throw RunInterrupted();
  if (line.find(kNotFiniteText) != std::string_view::npos) ++not_finite_lines_;
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
      std::fwrite("\r\n", 1, 2, file_) != 2) {
    error_ = errno != 0 ? errno : EIO;
    return;
  }
  size_ += line.size() + 2;
  if (mode_ == Mode::kWhenComplete) {
    digest_.Add(line);
    digest_.Add("\r\n");
  }
}

void OutputFile::Flush() {
  if (file_ != nullptr && error_ == 0 && std::fflush(file_) != 0) error_ = errno;
}

std::string OutputFile::FailureText() const {
  return "Output File " + path_ + " could not be written completely (" + SystemReason(error_) + ")";
}

ClosedFile OutputFile::Close() {
  if (file_ == nullptr) return {};
  if (error_ == 0 && std::fflush(file_) != 0) error_ = errno;
  if (error_ == 0 && mode_ == Mode::kWhenComplete && ::fdatasync(::fileno(file_)) != 0) {
    error_ = errno;
  }
  const int closed = std::fclose(file_);
  if (error_ == 0 && closed != 0) error_ = errno;
  file_ = nullptr;
  if (error_ == 0 && !temporary_.empty() &&
      ::renameat(folder_.get(), temporary_.c_str(), folder_.get(), leaf_.c_str()) != 0) {
    error_ = errno;
  }
  if (error_ != 0) {
    const std::string failure = FailureText();
    Reset();
    throw RunAborted(failure);
  }
  temporary_.clear();
  ClosedFile whole{path_, size_, mode_ == Mode::kWhenComplete ? digest_.HexDigest() : ""};
  Reset();
  return whole;
}

void OutputFile::Discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  Reset();
}

void OutputFile::Reset() {
  if (!temporary_.empty()) ::unlinkat(folder_.get(), temporary_.c_str(), 0);
  temporary_.clear();
  folder_.Reset();
  identity_.reset();
}

}  // namespace korav
