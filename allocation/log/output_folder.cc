#include "allocation/log/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace korav {
namespace {

// A folder chain deeper than this is taken for a loop of bind mounts and
// counts as outside.
constexpr int kMaxFolderDepth = 4096;

FileIdentity IdentityFrom(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

int OpenFolderAt(int at, const char* name, bool follow_link) {
  return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW));
}

// Why `name` cannot name a file below a folder, or empty.
std::string NameRefusal(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return "it holds a NUL byte";
  if (name.empty() || name.front() == '/') return "it must name a file in the output folder";
  for (size_t start = 0;;) {
    const size_t slash = std::min(name.find('/', start), name.size());
    const std::string_view part = name.substr(start, slash - start);
    if (part == ".." || part.size() > NAME_MAX) return "it must name a file in the output folder";
    if (slash == name.size()) {
      if (part.empty() || part == ".") return "it must name a file in the output folder";
      return {};
    }
    start = slash + 1;
  }
}

// Why the existing entry `status` must not be written, or empty.
std::string ExistingFileRefusal(const struct stat& status) {
  if (S_ISLNK(status.st_mode)) return "it is a symbolic link";
  if (S_ISDIR(status.st_mode)) return "it is a folder";
  if (!S_ISREG(status.st_mode)) return "it is not a regular file";
  if (status.st_nlink > 1) return "it has more than one hard link";
  return {};
}

}  // namespace

void FileDescriptor::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool OutputFolder::Open(const std::string& path) {
  folder_ = FileDescriptor(OpenFolderAt(AT_FDCWD, path.c_str(), true));
  const std::optional<FileIdentity> identity =
      folder_.valid() ? IdentityOfOpen(folder_.get()) : std::nullopt;
  if (!identity) {
    folder_.Reset();
    return false;
  }
  path_ = path;
  identity_ = *identity;
  return true;
}

bool OutputFolder::Contains(int folder) const {
  FileDescriptor current(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
  for (int depth = 0; current.valid() && depth < kMaxFolderDepth; ++depth) {
    const std::optional<FileIdentity> here = IdentityOfOpen(current.get());
    if (!here) return false;
    if (*here == identity_) return true;
    FileDescriptor parent(OpenFolderAt(current.get(), "..", false));
    if (!parent.valid() || IdentityOfOpen(parent.get()) == here) return false;  // the root
    current = std::move(parent);
  }
  return false;
}

OutputPlace OutputFolder::Place(std::string_view name) const {
  OutputPlace place;
  place.refusal = NameRefusal(name);
  if (!place.usable()) {
    place.refused_by_name = true;
    return place;
  }
  place.folder = FileDescriptor(::fcntl(folder_.get(), F_DUPFD_CLOEXEC, 0));
  size_t start = 0;
  for (size_t slash = name.find('/'); slash != std::string_view::npos;
       start = slash + 1, slash = name.find('/', start)) {
    const std::string part(name.substr(start, slash - start));
    if (part.empty() || part == ".") continue;
    struct stat status {};
    const bool link =
        ::fstatat(place.folder.get(), part.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(status.st_mode);
    // A link is followed only as far as the output folder reaches.
    FileDescriptor next(OpenFolderAt(place.folder.get(), part.c_str(), link));
    if (next.valid() && link && !Contains(next.get())) {
      place.refusal = "a folder in it leads outside the output folder";
      place.refused_by_name = true;
      return place;
    }
    if (!next.valid()) {
      place.refusal = errno == ENOENT || errno == ELOOP ? "a folder in it does not exist"
                      : errno == ENOTDIR                ? "a folder in it is not a folder"
                                                        : "a folder in it cannot be opened (" +
                                               std::string(std::strerror(errno)) + ")";
      place.refused_by_name = true;
      return place;
    }
    place.folder = std::move(next);
  }
  place.leaf.assign(name.substr(start));
  struct stat status {};
  if (::fstatat(place.folder.get(), place.leaf.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
    place.refusal = ExistingFileRefusal(status);
    if (place.usable()) place.existing = IdentityFrom(status);
  } else if (errno != ENOENT) {
    place.refusal = "it cannot be examined (" + std::string(std::strerror(errno)) + ")";
  }
  return place;
}

bool OutputFolder::Holds(const std::string& path, std::string_view leaf) const {
  const std::optional<FilePlace> place = PlaceOf(path);
  return IsOpen() && place && place->leaf == leaf && place->folder == identity_;
}

std::optional<FilePlace> PlaceOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
  return FilePlace{IdentityFrom(status), path.substr(slash == std::string::npos ? 0 : slash + 1)};
}

std::optional<FileIdentity> IdentityOfOpen(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return std::nullopt;
  return IdentityFrom(status);
}

}  // namespace korav
