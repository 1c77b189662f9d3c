#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/byte_scan.h"

namespace korav {

LineReader::LineReader(size_t max_line_bytes)
    : max_line_bytes_(std::max<size_t>(max_line_bytes, 1)) {}

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path, Sha256* digest) {
  Close();
  error_ = 0;
  // Only a regular file is read: a FIFO or a device could block or never
  // end. O_NONBLOCK keeps the open itself from waiting on a FIFO.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  struct stat status {};
  errno = 0;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      ::fcntl(fd, F_SETFL, O_RDONLY) != 0 || (file_ = ::fdopen(fd, "rb")) == nullptr) {
    // A folder or device opens without an error but is no file to read.
    error_ = errno != 0 ? errno : EINVAL;
    ::close(fd);
    return false;
  }
  // One byte more than the longest line, so that a line of the full length
  // is seen with its ending, and room for the line end search to read past
  // the data; the buffer never grows beyond that.
  if (buffer_.size() < Capacity() + kScanPadding) buffer_.resize(Capacity() + kScanPadding);
  begin_ = end_ = 0;
  buffer_offset_ = 0;
  std::error_code error;
  size_ = std::filesystem::file_size(path, error);
  if (error) size_ = 0;
  at_eof_ = failed_ = too_long_ = skip_line_feed_ = false;
  line_number_ = 0;
  digest_ = digest;
  if (digest_ != nullptr) digest_->Reset();
  return true;
}

std::string LineReader::FailureReason() const {
  return error_ == 0 ? std::string() : std::generic_category().message(error_);
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  digest_ = nullptr;
  begin_ = end_ = 0;
  too_long_ = false;
}

bool LineReader::ReadToEnd() {
  std::string_view line;
  while (Next(line)) {
  }
  return !failed_;
}

bool LineReader::Fill() {
  if (at_eof_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    buffer_offset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  const size_t got = std::fread(buffer_.data() + end_, 1, Capacity() - end_, file_);
  if (digest_ != nullptr) digest_->Add(buffer_.data() + end_, got);
  end_ += got;
  if (got == 0) {
    at_eof_ = true;
    failed_ = std::ferror(file_) != 0;
    if (failed_) error_ = errno;
    return false;
  }
  return true;
}

size_t LineReader::FindLineEnd(size_t from) const {
  const char* const data = buffer_.data();
  return static_cast<size_t>(FindEither(data + from, data + end_, '\n', '\r') - data);
}

void LineReader::SkipPendingLineFeed() {
  if (!skip_line_feed_) return;
  if (begin_ == end_ && !Fill()) return;
  skip_line_feed_ = false;
  if (buffer_[begin_] == '\n') ++begin_;
}

void LineReader::PassLineEnd(size_t at) {
  begin_ = at + 1;
  if (buffer_[at] != '\r') return;
  if (begin_ == end_) {
    skip_line_feed_ = true;  // the LF that may follow is not read yet
  } else if (buffer_[begin_] == '\n') {
    ++begin_;
  }
}

bool LineReader::SkipRestOfLongLine() {
  too_long_ = false;
  for (;;) {
    const size_t at = FindLineEnd(begin_);
    if (at != end_) {
      PassLineEnd(at);
      return true;
    }
    begin_ = end_;
    if (!Fill()) return false;
  }
}

bool LineReader::Next(std::string_view& line) {
  if (file_ == nullptr) return false;
  if (too_long_ && !SkipRestOfLongLine()) return false;
  SkipPendingLineFeed();
  size_t scanned = begin_;
  for (;;) {
    const size_t at = FindLineEnd(scanned);
    if (at != end_) {
      // A CR as the last buffered byte may be the first half of CR LF: where
      // there is room, more is read first, so that the line's whole ending
      // is passed and Position() counts it.
      if (buffer_[at] == '\r' && at + 1 == end_ && !at_eof_ && (begin_ > 0 || end_ < Capacity())) {
        const size_t offset = at - begin_;
        Fill();
        scanned = begin_ + offset;
        continue;
      }
      line = std::string_view(buffer_.data() + begin_, at - begin_);
      PassLineEnd(at);
      ++line_number_;
      return true;
    }
    const size_t held = end_ - begin_;
    if (held > max_line_bytes_) {
      line = std::string_view(buffer_.data() + begin_, max_line_bytes_);
      too_long_ = true;
      ++line_number_;
      return true;
    }
    if (!Fill()) {
      if (begin_ == end_) return false;
      line = std::string_view(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      ++line_number_;
      return true;
    }
    scanned = begin_ + held;
  }
}

}  // namespace korav
