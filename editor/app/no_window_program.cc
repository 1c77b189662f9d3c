// The editor's windowed program in a build without Qt: only the checks exist.
#include <cstdio>

#include "editor/app/window_program.h"

namespace korav {

int RunEditorWindow(int, char**, EditorPaths, const std::optional<std::string>&,
                    const std::optional<std::string>&) {
  std::fputs(
      "korave: the editor window is not available in this build (Qt 6 was not found when it "
      "was built); check a model without it with: korave --check-data RUNFILE\n",
      stderr);
  return 2;
}

}  // namespace korav
