#include "editor/app/window_program.h"

#include <QApplication>
#include <cstdio>
#include <utility>

#include "common/environment.h"
#include "common/window/message_boxes.h"
#include "editor/app/editor_window.h"

namespace korav {
namespace {

constexpr int kExitCouldNotRun = 2;

}  // namespace

int RunEditorWindow(int argc, char** argv, EditorPaths paths,
                    const std::optional<std::string>& run_argument,
                    const std::optional<std::string>& parameter_argument) {
  if (!DisplayAvailable()) {
    std::fputs(
        "korave: no display for the window (DISPLAY is not set); check a model without it "
        "with: korave --check-data RUNFILE\n",
        stderr);
    return kExitCouldNotRun;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("KORAV Editor");
  QtMessageBoxes boxes;
  EditorWindow window(std::move(paths), boxes);
  boxes.set_parent(&window);
  window.show();
  if (!window.StartUp(run_argument, parameter_argument)) return kExitCouldNotRun;
  QApplication::exec();
  return 0;
}

}  // namespace korav
