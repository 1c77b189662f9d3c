// The windowed program: what `korava` without arguments does. Builds without
// Qt provide a version that says the window is not available.
#ifndef KORAV_ALLOCATION_APP_WINDOW_PROGRAM_H_
#define KORAV_ALLOCATION_APP_WINDOW_PROGRAM_H_

#include "allocation/state/engine.h"

namespace korav {

// Finds the run file through Start.txt, shows the main window and returns the
// program's exit code once it is closed: 0, or 2 when the program could not
// go on (no start or run file, no display, a run that could not be
// performed).
int RunWindowProgram(int argc, char** argv, RunPaths paths);

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_WINDOW_PROGRAM_H_
