// Draws the editor's main window on a model into a PNG file, for the
// README: the Cost Pools tab with its first record selected. Runs on any Qt
// platform; the screenshot script uses the offscreen one.
//
//   korave-window-screenshot RUNFILE PARMFILE PNGFILE
#include <QApplication>
#include <QPixmap>
#include <QTabBar>
#include <cstdio>

#include "common/environment.h"
#include "common/paths.h"
#include "common/window/message_boxes.h"
#include "editor/app/editor_window.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: korave-window-screenshot RUNFILE PARMFILE PNGFILE\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("KORAV Editor");
  korav::EditorPaths paths;
  paths.program_folder = korav::ProgramDirectory();
  paths.user_name = korav::UserName();
  korav::QtMessageBoxes boxes;
  korav::EditorWindow window(paths, boxes);
  window.resize(1100, 520);
  window.show();
  if (!window.StartUp(std::string(argv[1]), std::string(argv[2]))) return 2;
  auto* tabs = window.findChild<QTabBar*>("Tabs");
  for (int t = 0; t < tabs->count(); ++t) {
    if (tabs->tabText(t) == "Cost Pools") tabs->setCurrentIndex(t);
  }
  QApplication::processEvents();
  if (!window.grab().save(argv[3], "PNG")) {
    std::fprintf(stderr, "korave-window-screenshot: cannot write %s\n", argv[3]);
    return 2;
  }
  return 0;
}
