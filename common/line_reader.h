// Reads a text file line by line in large blocks.
//
// Model, dimension and transaction files may hold millions of lines and come
// from any platform, so a line may end in CR LF, LF or CR alone; the ending is
// never part of the line. A last line without an ending is still a line; an
// ending at the very end of the file starts no further line.
//
// The reader never holds more than one line limit's worth of a line: a line
// longer than the limit (a file without line ends, or binary data) is given
// as its first part, marked too long, and the rest of it is read past without
// being kept, so one bad line can neither exhaust memory nor hide the lines
// after it.
#ifndef KORAV_COMMON_LINE_READER_H_
#define KORAV_COMMON_LINE_READER_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "common/sha256.h"

namespace korav {

class LineReader {
 public:
  // The longest line that is read: 1 MiB, far beyond any record of a model or
  // transaction file.
  static constexpr size_t kMaxLineBytes = size_t{1} << 20;

  // A reader of lines up to `max_line_bytes` long (at least 1).
  explicit LineReader(size_t max_line_bytes = kMaxLineBytes);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens the regular file `path` for reading, closing any file opened
  // before. Returns false, with nothing open, when it cannot be opened or is
  // no regular file (a folder, FIFO or device). With `digest`, which is
  // reset, every byte read from the file until it is closed is added to
  // it, on the thread that reads: a file read to its end has its digest
  // without being read twice.
  bool Open(const std::string& path, Sha256* digest = nullptr);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Sets `line` to the next line and returns true, or returns false at the end
  // of the file (or when nothing is open). `line` stays valid until the next
  // call of Next(), Open() or Close(). A line longer than the limit is given
  // as its first limit's worth of bytes with TooLong() true; the next call
  // goes on after its end. A read error ends the file like its end does and
  // is reported by Failed().
  bool Next(std::string_view& line);

  // Reads past the lines not given yet, so that LineNumber() counts every
  // line of the file and the digest holds all of its bytes; false when a
  // read failed.
  bool ReadToEnd();
  // True once Next() found the end of the file, without a read error.
  bool AtEnd() const { return at_eof_ && begin_ == end_ && !too_long_ && !failed_; }

  // True when the line that Next() gave last was longer than the limit.
  bool TooLong() const { return too_long_; }
  // The 1-based number of the line that Next() gave last, too long ones
  // included; 0 before the first.
  int64_t LineNumber() const { return line_number_; }
  bool Failed() const { return failed_; }
  // Why the last Open or read failed, in the system's words (as strerror
  // gives them); empty when neither did.
  std::string FailureReason() const;
  // The identity of the open file, or none.
  std::optional<FileIdentity> Identity() const { return IdentityOf(file_); }

  // How many bytes of the file lie before the first line not yet given, and
  // the file's size when it was opened (0 when it could not be told).
  uint64_t Position() const { return buffer_offset_ + begin_; }
  uint64_t Size() const { return size_; }

 private:
  // Reads more of the file behind the unread rest of the buffer; false when
  // nothing more could be read.
  bool Fill();
  // Moves past the line end at `at`: a LF after a CR belongs to it, and is
  // passed later when it is not read yet.
  void PassLineEnd(size_t at);
  // Drops a LF that completes the CR which ended the line before.
  void SkipPendingLineFeed();
  // Reads past the rest of a line that was too long; false when the file
  // ended first.
  bool SkipRestOfLongLine();
  // The first CR or LF at or after `from`, or end_.
  size_t FindLineEnd(size_t from) const;
  // The bytes the buffer holds of the file.
  size_t Capacity() const { return max_line_bytes_ + 1; }

  size_t max_line_bytes_;
  std::FILE* file_ = nullptr;
  Sha256* digest_ = nullptr;  // while set, fed every byte read
  std::vector<char> buffer_;
  size_t begin_ = 0;            // first unread byte
  size_t end_ = 0;              // one past the last buffered byte
  uint64_t buffer_offset_ = 0;  // where in the file the buffer begins
  uint64_t size_ = 0;
  bool at_eof_ = false;
  bool failed_ = false;
  int error_ = 0;  // the errno of the last failed Open or read, else 0
  bool too_long_ = false;
  bool skip_line_feed_ = false;  // the last line ended with CR
  int64_t line_number_ = 0;
};

}  // namespace korav

#endif  // KORAV_COMMON_LINE_READER_H_
