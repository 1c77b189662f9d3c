#include "common/line_reader.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace korav {
namespace {
constexpr size_t kBlockSize = size_t{1} << 20;
}

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  if (buffer_.size() < kBlockSize) buffer_.resize(kBlockSize);
  begin_ = end_ = 0;
  buffer_offset_ = 0;
  std::error_code error;
  size_ = std::filesystem::file_size(path, error);
  if (error) size_ = 0;
  at_eof_ = failed_ = false;
  return true;
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  begin_ = end_ = 0;
}

bool LineReader::Fill() {
  if (at_eof_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    buffer_offset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  // A line longer than the buffer makes the buffer grow rather than split it.
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    at_eof_ = true;
    failed_ = std::ferror(file_) != 0;
    return false;
  }
  return true;
}

bool LineReader::Next(std::string_view& line) {
  if (file_ == nullptr) return false;
  size_t scanned = begin_;
  for (;;) {
    const char* start = buffer_.data() + scanned;
    const char* stop = buffer_.data() + end_;
    const char* found = start;
    while (found != stop && *found != '\n' && *found != '\r') ++found;
    if (found != stop) {
      const size_t at = static_cast<size_t>(found - buffer_.data());
      // A CR as the last buffered byte may be the first half of CR LF.
      if (*found == '\r' && at + 1 == end_ && !at_eof_) {
        const size_t offset = at - begin_;
        Fill();
        scanned = begin_ + offset;
        continue;
      }
      line = std::string_view(buffer_.data() + begin_, at - begin_);
      size_t after = at + 1;
      if (*found == '\r' && after < end_ && buffer_[after] == '\n') ++after;
      begin_ = after;
      return true;
    }
    const size_t offset = end_ - begin_;
    if (!Fill()) {
      if (begin_ == end_) return false;
      line = std::string_view(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
    scanned = begin_ + offset;
  }
}

}  // namespace korav
