// The windowed program: the Qt application, the start-up run file and the
// main window.
#include "allocation/app/window_program.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <type_traits>
#include <utility>

#include "allocation/app/main_window.h"
#include "allocation/app/window_module.h"
#include "allocation/run/run_file.h"
#include "allocation/run/run_outcome.h"
#include "common/environment.h"
#include "common/window/message_boxes.h"

namespace korav {

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
    paths.start_file = StartFilePath(paths);
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

// The module's entry, which the program finds by name (window_module.h).
extern "C" __attribute__((visibility("default"))) int korava_run_window(int argc, char** argv,
                                                                        korav::RunPaths* paths) {
  return korav::RunWindowProgram(argc, argv, std::move(*paths));
}
static_assert(std::is_same_v<decltype(&korava_run_window), korav::WindowModuleEntry>);
