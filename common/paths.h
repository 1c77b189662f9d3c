// Path and file helpers shared by both programs.
//
// Model folders move between systems, so names read from start files, run
// files and "$FILE" records may use "\" or "/" as separators; both are taken.
// A name is used unchanged when it is absolute: when it begins with "/" or
// carries a drive colon. Directory texts built here end with "/".
#ifndef KORAV_COMMON_PATHS_H_
#define KORAV_COMMON_PATHS_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace korav {

// `path` with every "\" turned into "/".
std::string WithNativeSeparators(std::string_view path);

// True when `path` begins with "/" or contains ":".
bool IsAbsoluteName(std::string_view path);

// The directory part of `path` including its last "/", or "" when `path`
// names no directory.
std::string DirectoryOf(std::string_view path);

// `text` with every occurrence of `from` replaced by `to` (exact match).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// `directory` with a "/" appended unless it is empty or already ends in one.
std::string WithTrailingSeparator(std::string directory);
// `path` without the "/" it ends in, however many; "/" itself stays.
std::string WithoutTrailingSeparators(std::string path);

// Which file a path or an open file is, whatever name reached it: its device
// and inode. Two names of one file (a link, "a/../b") have one identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path`, or none when there is no file there.
std::optional<FileIdentity> IdentityOf(const std::string& path);
// The identity of an open file, or none when it cannot be told.
std::optional<FileIdentity> IdentityOf(std::FILE* file);

// What the file system holds at `path`, following links.
enum class PathKind { kNothing, kFile, kFolder, kFifo, kDevice, kSocket };
PathKind KindOf(const std::string& path);
// "folder", "FIFO", "device" or "socket"; "file" and "nothing" for the others.
std::string_view KindName(PathKind kind);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The absolute path of the file at `path` with its folders' links, "." and
// ".." resolved, as far as they exist; `path` made absolute when even that
// cannot be told.
std::string AbsolutePath(const std::string& path);

// The full path of the running executable, or "" when it cannot be read.
std::string ProgramPath();
// The directory of the running executable, ending in "/".
std::string ProgramDirectory();

}  // namespace korav

#endif  // KORAV_COMMON_PATHS_H_
