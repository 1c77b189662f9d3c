// The windowed program of a build without Qt: only the command line exists.
#include <cstdio>

#include "allocation/app/window_program.h"

namespace korav {

int RunWindowProgram(int, char**, RunPaths) {
  std::fputs(
      "korava: the window is not available in this build (Qt 6 was not found when it was "
      "built); run a model without it with: korava RUNFILE\n",
      stderr);
  return 2;
}

}  // namespace korav
