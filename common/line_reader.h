// Reads a text file line by line in large blocks.
//
// Model, dimension and transaction files may hold millions of lines and come
// from any platform, so a line may end in CR LF, LF or CR alone; the ending is
// never part of the line. A last line without an ending is still a line; an
// ending at the very end of the file starts no further line.
#ifndef KORAV_COMMON_LINE_READER_H_
#define KORAV_COMMON_LINE_READER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

class LineReader {
 public:
  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path` for reading, closing any file opened before. Returns false,
  // with nothing open, when the file cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Sets `line` to the next line and returns true, or returns false at the end
  // of the file (or when nothing is open). `line` stays valid until the next
  // call of Next(), Open() or Close(). A read error ends the file like its
  // end does and is reported by Failed().
  bool Next(std::string_view& line);

  bool Failed() const { return failed_; }

  // How many bytes of the file lie before the first line not yet given, and
  // the file's size when it was opened (0 when it could not be told).
  uint64_t Position() const { return buffer_offset_ + begin_; }
  uint64_t Size() const { return size_; }

 private:
  // Reads more of the file behind the unread rest of the buffer; false when
  // nothing more could be read.
  bool Fill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  size_t begin_ = 0;            // first unread byte
  size_t end_ = 0;              // one past the last buffered byte
  uint64_t buffer_offset_ = 0;  // where in the file the buffer begins
  uint64_t size_ = 0;
  bool at_eof_ = false;
  bool failed_ = false;
};

}  // namespace korav

#endif  // KORAV_COMMON_LINE_READER_H_
