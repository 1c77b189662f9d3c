// Replays inputs through a fuzz target's entry point without the fuzzing
// engine, so that the normal build and test suite run every input that ever
// failed: "replay_<target> FILE_OR_FOLDER...". A finding ends the program
// as it ends a fuzzer; otherwise it prints how many inputs it replayed and
// exits 0, or 1 when it found no input at all. A folder that does not exist
// holds no input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument) {
  std::vector<std::filesystem::path> inputs;
  if (!std::filesystem::exists(argument)) return inputs;  // a target that never failed
  if (std::filesystem::is_directory(argument)) {
    for (const auto& entry : std::filesystem::directory_iterator(argument)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  } else {
    inputs.push_back(argument);
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

std::string Content(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

int main(int argc, char** argv) {
  // The sandbox is confined where the kernel allows it; replaying known
  // inputs needs no refusal where it cannot.
  setenv("KORAV_FUZZ_UNCONFINED", "1", 1);
  int initialize_argc = 1;
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&initialize_argc, &argv);
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::filesystem::path& input : InputsOf(argv[i])) {
      const std::string content = Content(input);
      std::printf("replaying %s\n", input.string().c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(content.data()), content.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
