// The windowed program as the command-line program reaches it: the window and
// Qt live in a module beside the executable, loaded only when the window is
// opened, so that a run from the command line neither loads nor maps Qt and
// its libraries (about 11 MB of memory that a large run needs for its cube).
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "allocation/app/window_module.h"
#include "allocation/app/window_program.h"
#include "allocation/run/run_outcome.h"

namespace korav {

int RunWindowProgram(int argc, char** argv, RunPaths paths) {
  const std::string module = paths.program_directory + kWindowModuleName;
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  const auto entry =
      handle == nullptr
          ? nullptr
          : reinterpret_cast<WindowModuleEntry>(dlsym(handle, kWindowModuleEntryName));
  if (entry == nullptr) {
    const char* reason = dlerror();
    std::fprintf(stderr,
                 "korava: the window is not available: %s; keep %s beside korava, or run a model "
                 "without the window with: korava RUNFILE\n",
                 reason != nullptr ? reason : "the module has no entry", kWindowModuleName);
    return kExitCouldNotRun;
  }
  // The module stays loaded until the program ends: Qt registers functions
  // that run at exit.
  return entry(argc, argv, &paths);
}

}  // namespace korav
