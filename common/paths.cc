#include "common/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace korav {

std::string WithNativeSeparators(std::string_view path) {
  std::string result(path);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

bool IsAbsoluteName(std::string_view path) {
  return (!path.empty() && path.front() == '/') || path.find(':') != std::string_view::npos;
}

std::string DirectoryOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  size_t start = 0;
  for (size_t hit = text.find(from); hit != std::string_view::npos; hit = text.find(from, start)) {
    result.append(text.substr(start, hit - start)).append(to);
    start = hit + from.size();
  }
  result.append(text.substr(start));
  return result;
}

std::string WithTrailingSeparator(std::string directory) {
  if (!directory.empty() && directory.back() != '/') directory.push_back('/');
  return directory;
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

namespace {

FileIdentity IdentityFrom(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return IdentityFrom(status);
}

std::optional<FileIdentity> IdentityOf(std::FILE* file) {
  struct stat status {};
  if (file == nullptr || ::fstat(::fileno(file), &status) != 0) return std::nullopt;
  return IdentityFrom(status);
}

PathKind KindOf(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0) return PathKind::kNothing;
  if (S_ISREG(status.st_mode)) return PathKind::kFile;
  if (S_ISDIR(status.st_mode)) return PathKind::kFolder;
  if (S_ISFIFO(status.st_mode)) return PathKind::kFifo;
  if (S_ISSOCK(status.st_mode)) return PathKind::kSocket;
  return PathKind::kDevice;
}

std::string_view KindName(PathKind kind) {
  switch (kind) {
    case PathKind::kNothing:
      return "nothing";
    case PathKind::kFile:
      return "file";
    case PathKind::kFolder:
      return "folder";
    case PathKind::kFifo:
      return "FIFO";
    case PathKind::kDevice:
      return "device";
    case PathKind::kSocket:
      return "socket";
  }
  return "nothing";
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool DirectoryExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.string() : resolved.string();
}

std::string ProgramPath() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.string();
}

std::string ProgramDirectory() { return WithTrailingSeparator(DirectoryOf(ProgramPath())); }

}  // namespace korav
