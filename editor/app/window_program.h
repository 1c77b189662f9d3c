// The editor's windowed program: what `korave` without a check does. Builds
// without Qt provide a version that says the window is not available.
#ifndef KORAV_EDITOR_APP_WINDOW_PROGRAM_H_
#define KORAV_EDITOR_APP_WINDOW_PROGRAM_H_

#include <optional>
#include <string>

#include "editor/core/start_up.h"

namespace korav {

// Shows the main window on the model of `run_argument` (Start.txt's when it
// is absent or "*") described by `parameter_argument` (KORAVEParms.csv beside
// the program when absent or "*"), and returns the program's exit code once
// the window is closed: 0, or 2 when the program could not go on (no
// display, a start, run or parameter file missing, a model that cannot be
// read).
int RunEditorWindow(int argc, char** argv, EditorPaths paths,
                    const std::optional<std::string>& run_argument,
                    const std::optional<std::string>& parameter_argument);

}  // namespace korav

#endif  // KORAV_EDITOR_APP_WINDOW_PROGRAM_H_
