#include "fuzz/sandbox.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

// Debian 12's kernel headers predate the right to truncate (Landlock ABI 3).
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif

namespace korav::fuzz {
namespace fs = std::filesystem;

namespace {

// An empty path stands for the working directory, as it does to the programs.
fs::path Normal(const fs::path& path) {
  return fs::absolute(path.empty() ? fs::path(".") : path).lexically_normal();
}

// Every right that creates, changes or removes a file, as far as the
// running kernel knows it.
__u64 WriteRights(int abi) {
  __u64 rights = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                 LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                 LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                 LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                 LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
  if (abi >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
  if (abi >= 3) rights |= LANDLOCK_ACCESS_FS_TRUNCATE;
  return rights;
}

bool AllowBeneath(int ruleset, const std::string& path, __u64 rights) {
  const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  // A rule on a file may carry only the rights that apply to files.
  if (fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode)) {
    rights &= LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_TRUNCATE;
  }
  landlock_path_beneath_attr rule{};
  rule.allowed_access = rights;
  rule.parent_fd = fd;
  const long added = syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
  close(fd);
  return added == 0;
}

// The folder that a libFuzzer flag value naming a path prefix writes into:
// "dir/" and "dir/crash-" both write into "dir".
std::string FolderOfPrefix(std::string_view prefix) {
  const fs::path path{std::string(prefix)};
  if (!prefix.empty() && prefix.back() == '/') return path.string();
  return path.has_parent_path() ? path.parent_path().string() : ".";
}

}  // namespace

Sandbox::Sandbox(std::string_view target)
    : root_(Normal(fs::temp_directory_path() /
                   ("korav-fuzz-" + std::string(target) + "-" + std::to_string(getpid())))) {
  fs::remove_all(root_);
  fs::create_directories(root_);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void Sandbox::Clear() {
  for (const fs::directory_entry& entry : fs::directory_iterator(root_)) fs::remove_all(entry);
  inputs_.clear();
}

void Sandbox::WriteInput(std::string_view name, std::string_view content) {
  const fs::path path = root_ / std::string(name);
  std::ofstream(path, std::ios::binary).write(content.data(), static_cast<long>(content.size()));
  inputs_.insert(path);
}

void Sandbox::CopyInput(const std::string& source, std::string_view name) {
  const fs::path path = root_ / std::string(name);
  fs::copy_file(source, path, fs::copy_options::overwrite_existing);
  inputs_.insert(path);
}

void Sandbox::MakeFolder(std::string_view name) {
  const fs::path path = root_ / std::string(name);
  fs::create_directories(path);
  inputs_.insert(path);
}

std::vector<std::string> Sandbox::Strays(const std::string& output_folder) const {
  std::vector<std::string> strays;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_)) {
    const fs::path path = entry.path();
    if (inputs_.count(path) == 0 && !IsInside(path.string(), output_folder)) {
      strays.push_back(path.string());
    }
  }
  return strays;
}

bool IsInside(const std::string& path, const std::string& folder) {
  const fs::path normal_path = Normal(path);
  const fs::path normal_folder = Normal(folder);
  const fs::path relative = normal_path.lexically_relative(normal_folder);
  return !relative.empty() && *relative.begin() != "..";
}

bool ConfineWrites(const std::vector<std::string>& folders) {
  const long abi =
      syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi < 1) return false;
  const __u64 rights = WriteRights(static_cast<int>(abi));
  landlock_ruleset_attr attributes{};
  attributes.handled_access_fs = rights;
  const int ruleset =
      static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
  if (ruleset < 0) return false;
  for (const std::string& folder : folders) AllowBeneath(ruleset, folder, rights);
  // Sanitizer and fuzzer output may go through the null device.
  AllowBeneath(ruleset, "/dev/null", rights);
  const bool confined = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                        syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
  close(ruleset);
  return confined;
}

void ConfineFuzzer(const Sandbox& sandbox, int argc, char** argv) {
  std::vector<std::string> folders = {sandbox.dir()};
  bool artifact_folder_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.empty()) continue;
    if (argument.front() != '-') {
      folders.emplace_back(argument);  // a corpus folder, or an input to run
    } else if (argument.starts_with("-artifact_prefix=")) {
      folders.push_back(FolderOfPrefix(argument.substr(argument.find('=') + 1)));
      artifact_folder_given = true;
    } else if (argument.starts_with("-exact_artifact_path=")) {
      folders.push_back(FolderOfPrefix(argument.substr(argument.find('=') + 1)));
    } else if (argument.starts_with("-merge") || argument.starts_with("-fork") ||
               argument.starts_with("-jobs") || argument.starts_with("-minimize_crash")) {
      folders.push_back(fs::temp_directory_path().string());
      folders.push_back(fs::current_path().string());
    }
  }
  // Without an artifact prefix, libFuzzer writes its findings into the
  // working directory.
  if (!artifact_folder_given) folders.push_back(fs::current_path().string());
  if (ConfineWrites(folders)) return;
  const char* unconfined = std::getenv("KORAV_FUZZ_UNCONFINED");
  if (unconfined != nullptr && std::string_view(unconfined) == "1") return;
  std::fputs(
      "korav fuzz: this kernel cannot confine the writes of a process (Landlock), so an input\n"
      "could make the programs write anywhere. Run on a kernel with Landlock, or set\n"
      "KORAV_FUZZ_UNCONFINED=1 to fuzz without confinement.\n",
      stderr);
  std::exit(2);
}

std::string SourceFile(const std::string& path) {
  std::ifstream in(std::string(KORAV_SOURCE_DIR) + "/" + path, std::ios::binary);
  if (!in) Finding("source file missing: " + path);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void Finding(const std::string& what) {
  std::fprintf(stderr, "korav fuzz: finding: %s\n", what.c_str());
  std::abort();
}

}  // namespace korav::fuzz
