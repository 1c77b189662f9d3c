// The folder that a fuzz target's runs read and write, and the guard that
// keeps them there.
//
// Every run writes its inputs into a fresh sandbox folder and lets the
// programs write their outputs there. Once confined, the process may create,
// change or remove files only inside the sandbox (and inside the folders the
// fuzzing engine itself writes: its corpus and artifact folders), so that an
// input that makes a program write elsewhere is stopped by the kernel instead
// of damaging the machine. The targets then turn any such attempt, and any
// file a run leaves outside its output folder, into a finding.
#ifndef KORAV_FUZZ_SANDBOX_H_
#define KORAV_FUZZ_SANDBOX_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace korav::fuzz {

class Sandbox {
 public:
  // Creates an empty folder named after the target and the process under the
  // temporary directory; it is removed when the sandbox is destroyed.
  explicit Sandbox(std::string_view target);
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // The folder, ending in "/".
  std::string dir() const { return root_.string() + "/"; }
  std::string path(std::string_view name) const { return dir() + std::string(name); }

  // Empties the folder, forgetting the inputs written before.
  void Clear();
  // Writes `content` to file `name` of the folder and remembers it as an
  // input, so that Strays() does not report it.
  void WriteInput(std::string_view name, std::string_view content);
  // Copies file `source` into the folder under `name`, as an input.
  void CopyInput(const std::string& source, std::string_view name);
  // Creates folder `name` of the folder, as an input.
  void MakeFolder(std::string_view name);

  // Every file or folder in the sandbox that is neither an input nor inside
  // `output_folder`.
  std::vector<std::string> Strays(const std::string& output_folder) const;

 private:
  std::filesystem::path root_;
  std::set<std::filesystem::path> inputs_;
};

// True when `path` (relative paths are taken from the working directory)
// lies inside `folder` or is the folder itself; neither needs to exist.
bool IsInside(const std::string& path, const std::string& folder);

// Allows this process, from now on, to create, change and remove files only
// inside `folders`. Returns false, changing nothing, when the kernel cannot
// confine a process.
bool ConfineWrites(const std::vector<std::string>& folders);

// Confines the writes of a libFuzzer process to `sandbox` and to the folders
// that its command line names (corpus folders, artifact prefix, and the
// temporary directory for modes that use it). Without kernel support it stops
// the process with a message, since unconfined fuzzing could write anywhere;
// KORAV_FUZZ_UNCONFINED=1 in the environment runs it anyway.
void ConfineFuzzer(const Sandbox& sandbox, int argc, char** argv);

// Makes a target's fixture (its state for every run, with the Sandbox
// `sandbox` among it) when the fuzzer starts, and confines the fuzzer to that
// sandbox; for LLVMFuzzerInitialize.
template <typename Fixture>
int StartFixture(std::optional<Fixture>& fixture, int argc, char** argv) {
  fixture.emplace();
  ConfineFuzzer(fixture->sandbox, argc, argv);
  return 0;
}

// The bytes libFuzzer gives a run, as text.
inline std::string_view InputText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The text of `path`, a file of the source tree (relative to its root).
std::string SourceFile(const std::string& path);

// Stops the process with `what` on standard error: a finding.
[[noreturn]] void Finding(const std::string& what);

}  // namespace korav::fuzz

#endif  // KORAV_FUZZ_SANDBOX_H_
