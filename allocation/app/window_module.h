// What the program and its window module agree on: the module's file name
// beside the executable and the one function it exports, which runs the
// windowed program (RunWindowProgram in the module) and returns its exit
// code. Both sides are built together from this tree, so they share the
// engine's types.
#ifndef KORAV_ALLOCATION_APP_WINDOW_MODULE_H_
#define KORAV_ALLOCATION_APP_WINDOW_MODULE_H_

#include "allocation/state/engine.h"

namespace korav {

inline constexpr const char* kWindowModuleName = "korava-window.so";
inline constexpr const char* kWindowModuleEntryName = "korava_run_window";

using WindowModuleEntry = int (*)(int argc, char** argv, RunPaths* paths);

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_WINDOW_MODULE_H_
