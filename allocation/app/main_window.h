// The main window of korava: the run file with its ">" chooser, Run and Exit,
// the start and completion lines of the run (with the run's label), and
// after the run the report
// area, in which further reports run against the model the run left in
// memory; a Cost Flow Chart, once written, opens in the user's browser.
// After the run, "Compare with..." compares another finished run (as A)
// with this one (as B) and offers the comparison's page. The Help menu opens
// the help topics and the about box.
//
// A run, and each report, happens inside the handler of its button on the
// window's one thread, as the engine is single-threaded; meanwhile the window
// shows each milestone in its status line and repaints, but takes no input.
#ifndef KORAV_ALLOCATION_APP_MAIN_WINDOW_H_
#define KORAV_ALLOCATION_APP_MAIN_WINDOW_H_

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "allocation/app/report_launcher.h"
#include "allocation/app/run_progress.h"
#include "allocation/app/window_host.h"
#include "allocation/state/engine.h"
#include "common/window/about_box.h"
#include "common/window/help_launcher.h"
#include "common/window/message_boxes.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace korav {

class MainWindow : public QMainWindow {
 public:
  // `paths.run_file` is the run file found at start-up. Message boxes go
  // through `boxes`.
  MainWindow(RunPaths paths, MessageBoxes& boxes);

  // 0, or 2 once a run could not be performed and the window closed itself.
  int exit_code() const { return exit_code_; }

  // The handlers of the window's controls.
  void Run1btnClick();
  void Button3Click();
  void Exit1btnClick() { close(); }
  void ComboBox1Change();
  void RunReportbtn1Click();
  void OpenChartbtnClick();
  // Asks for the output folder of the run to compare this one with.
  void CompareWithbtnClick();
  // Compares the run whose output folder is `run_a` (as A) with this run (as
  // B), into compare/ beside this run's output folder; says where the files
  // are and offers to open compare.html.
  void CompareWith(const std::string& run_a);

  // The report area's fields as they stand.
  ReportFields Fields() const;

  const Engine& engine() const { return engine_; }
  AboutBox& about_box() { return *about_box_; }
  HelpLauncher& help() { return help_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  QWidget* BuildRunArea();
  QGroupBox* BuildReportArea();
  QGroupBox* BuildSelectionGroup();
  QGroupBox* BuildOptionsGroup();
  QGroupBox* BuildRollupGroup();
  QGroupBox* BuildCopyGroup();
  QGroupBox* BuildLevelGroup();
  QGroupBox* BuildExportGroup();
  void SetFormTabOrder();
  void BuildStatusLine();
  void ClearReportArea();

  // Runs `work` with the window busy and returns true when it ended;
  // otherwise `on_failure` has been given the text the user sees.
  bool RunBusy(const std::function<void()>& work,
               void (MainWindow::*on_failure)(const std::string&));
  void ShowSummary(std::string_view log_suffix);
  void ShowProgress(std::string_view milestone);
  void ShowReading(int64_t lines, uint64_t bytes, uint64_t file_bytes);
  void SetBusy(bool busy);
  void EndProgram(const std::string& message);
  void ReportNotComplete(const std::string& message);
  void CompareNotDone(const std::string& message);
  // Opens the page at `path` in the user's web browser, or says it could not.
  void OpenInBrowser(const std::string& path);

  MessageBoxes& boxes_;
  WindowRunHost host_;
  Engine engine_;
  std::string start_run_file_;  // as found at start-up, for its exact bytes
  HelpLauncher help_;
  AboutBox* about_box_;
  bool busy_ = false;
  int exit_code_ = 0;

  QLabel* label1_;
  QLabel* label2_;
  QLineEdit* edit1_;
  QPushButton* button3_;
  QPushButton* run1btn_;
  QPushButton* exit1btn_;
  QPushButton* compare_withbtn_;
  QGroupBox* group_box1_;
  QComboBox* combo_box1_;
  QLineEdit* edit2_;
  QPushButton* run_reportbtn1_;
  QLabel* label7_;
  QLabel* label8_;
  QGroupBox* selection_group_;
  QLabel* first_range_label_;
  std::array<QLineEdit*, 3> range_edits_;
  QGroupBox* options_group_;
  std::array<QCheckBox*, 6> option_boxes_;
  QGroupBox* rollup_group_;
  std::array<QLineEdit*, 6> rollup_edits_;
  QGroupBox* copy_group_;
  QLineEdit* copy_from_edit_;
  QLineEdit* copy_to_edit_;
  QGroupBox* level_group_;
  QComboBox* level_box_;
  QGroupBox* export_group_;
  QCheckBox* flows_box_;
  QPushButton* open_chartbtn_;
  std::string chart_path_;  // the chart the last report wrote, if it was one
  QLabel* status_label_;
  QProgressBar* progress_bar_;
  ReadingMeter reading_meter_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_MAIN_WINDOW_H_
