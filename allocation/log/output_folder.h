// The folder a run writes into, held open for the whole run.
//
// Every output is placed relative to the open folder, one name part at a
// time, so that what the file system says decides where a file lands, not
// how its name is spelt: a folder part that is a symbolic link is followed
// only when the folder it leads to lies within the output folder, and an
// existing file is never written through a symbolic link or a second hard
// link, whose other name may lie anywhere.
#ifndef KORAV_ALLOCATION_LOG_OUTPUT_FOLDER_H_
#define KORAV_ALLOCATION_LOG_OUTPUT_FOLDER_H_

#include <optional>
#include <string>
#include <string_view>

#include "common/paths.h"

namespace korav {

// An open file descriptor, closed with its owner; -1 holds nothing.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset();

 private:
  int fd_ = -1;
};

// Where a name given to OutputFolder::Place lands.
struct OutputPlace {
  FileDescriptor folder;                 // the folder that holds the file
  std::string leaf;                      // the file's name within it
  std::optional<FileIdentity> existing;  // the file already there, if any
  // Why the name cannot be used ("it is a symbolic link", ...), or empty.
  std::string refusal;
  // True when the refusal lies in the name itself, which no retry mends.
  bool refused_by_name = false;

  bool usable() const { return refusal.empty(); }
};

class OutputFolder {
 public:
  OutputFolder() = default;
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  // Opens the folder at `path` (which ends in "/"); false, with nothing
  // open, when it is no folder that can be opened.
  bool Open(const std::string& path);
  bool IsOpen() const { return folder_.valid(); }
  // The folder's path as given to Open, ending in "/".
  const std::string& path() const { return path_; }
  const FileIdentity& identity() const { return identity_; }

  // Places `name`, a relative name whose parts are separated by "/", within
  // the folder. The place is refused, with the reason, when the name is
  // empty, absolute, holds a NUL byte or a ".." part, a part too long for a
  // file name, or ends in a folder; when a folder part does not exist, is no
  // folder, or is a link that leads outside the output folder; and when the
  // file exists as a symbolic link (even one that leads nowhere), a folder,
  // anything but a regular file, or a file with more than one hard link.
  OutputPlace Place(std::string_view name) const;

  // True when `path` (of a file to be read) names the file `leaf` directly
  // in this folder, whether that file exists or not.
  bool Holds(const std::string& path, std::string_view leaf) const;

 private:
  // True when the open folder `folder` is this folder or lies below it.
  bool Contains(int folder) const;

  FileDescriptor folder_;
  std::string path_;
  FileIdentity identity_;
};

// Where a file lies by what the file system says: the folder that holds it
// and its name there, whether the file exists or not.
struct FilePlace {
  FileIdentity folder;
  std::string leaf;
  bool operator==(const FilePlace&) const = default;
};

// The place of the file at `path` (its folder's links followed), or none
// when its folder does not exist.
std::optional<FilePlace> PlaceOf(const std::string& path);

// The identity of the open file or folder `fd`, or none.
std::optional<FileIdentity> IdentityOfOpen(int fd);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOG_OUTPUT_FOLDER_H_
