// Draws the main window after a run of a model and one report from the
// report area into a PNG file, for the README. Runs on any Qt platform; the
// screenshot script uses the offscreen one.
//
//   korava-window-screenshot RUNFILE PNGFILE
#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <cstdio>

#include "allocation/app/main_window.h"
#include "common/environment.h"
#include "common/paths.h"
#include "common/window/message_boxes.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: korava-window-screenshot RUNFILE PNGFILE\n", stderr);
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("KORAVA");
  korav::RunPaths paths;
  paths.program_path = korav::ProgramPath();
  paths.program_directory = korav::ProgramDirectory();
  paths.user_name = korav::UserName();
  paths.run_file = argv[1];
  korav::QtMessageBoxes boxes;
  korav::MainWindow window(paths, boxes);
  window.resize(900, 560);
  window.show();
  window.Run1btnClick();
  auto* reports = window.findChild<QComboBox*>("ComboBox1");
  reports->setCurrentIndex(reports->findText("15 - Cost Pool Report"));
  window.RunReportbtn1Click();
  QApplication::processEvents();
  if (!window.grab().save(argv[2], "PNG")) {
    std::fprintf(stderr, "korava-window-screenshot: cannot write %s\n", argv[2]);
    return 2;
  }
  return 0;
}
