// The windowed program: the Qt application, the start-up run file and the
// main window.
#include "allocation/app/window_program.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "allocation/app/main_window.h"
#include "allocation/run/run_file.h"
#include "common/window/message_boxes.h"

namespace korav {
namespace {

constexpr int kExitCouldNotRun = 2;

bool HasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt ends the process when it finds no display; the user gets a plain word
// and the way to run without a window instead.
bool DisplayAvailable() {
  return HasEnvironment("DISPLAY") || HasEnvironment("WAYLAND_DISPLAY") ||
         HasEnvironment("QT_QPA_PLATFORM");
}

}  // namespace

int RunWindowProgram(int argc, char** argv, RunPaths paths) {
  if (!DisplayAvailable()) {
    std::fputs(
        "korava: no display for the window (DISPLAY is not set); run a model without it "
        "with: korava RUNFILE\n",
        stderr);
    return kExitCouldNotRun;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("KORAVA");
  QtMessageBoxes boxes;
  try {
    paths.run_file = FindRunFile(std::nullopt, paths);
  } catch (const RunAborted& aborted) {
    boxes.Error(aborted.what());
    return kExitCouldNotRun;
  }
  MainWindow window(std::move(paths), boxes);
  boxes.set_parent(&window);
  window.show();
  QApplication::exec();
  return window.exit_code();
}

}  // namespace korav
