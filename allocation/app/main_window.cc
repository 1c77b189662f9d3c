#include "allocation/app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

#include "allocation/app/run_progress.h"
#include "allocation/compare/compare_runs.h"
#include "allocation/reports/report_table.h"
#include "allocation/run/run_driver.h"
#include "allocation/run/run_outcome.h"
#include "allocation/state/run_label.h"
#include "common/help_topics.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/window/window_text.h"

namespace korav {
namespace {

constexpr std::array<const char*, 6> kOptionCaptions = {
    "Show Selection", "Show CP", "Show AB", "Show VC", "Where used CP", "Where used AB"};
constexpr size_t kShowVc = 3;

// The chart's levels as the report record's column 7 names them.
constexpr std::array<std::pair<const char*, const char*>, 3> kChartLevels = {
    {{"Automatic", ""}, {"Cost pools", "P"}, {"Groups", "G"}}};

QLineEdit* NamedEdit(int number) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString("Edit%1").arg(number));
  return edit;
}

QPushButton* NamedButton(const char* name, const char* caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

QLabel* NamedLabel(const char* name) {
  auto* label = new QLabel;
  label->setObjectName(name);
  return label;
}

// Shows a label's new text at once, while the handler that set it runs on.
void Repaint(QWidget* widget) {
  widget->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

MainWindow::MainWindow(RunPaths paths, MessageBoxes& boxes)
    : boxes_(boxes),
      host_(
          boxes, [this](std::string_view milestone) { ShowProgress(milestone); },
          [this](int64_t lines, uint64_t bytes, uint64_t file_bytes) {
            ShowReading(lines, bytes, file_bytes);
          }),
      engine_(host_, std::move(paths)),
      start_run_file_(engine_.paths.run_file),
      help_(HelpDirectory(engine_.paths.program_directory)),
      about_box_(new AboutBox(
          AboutTextFor("KORAVA - KORAV Cost Allocation", engine_.paths.program_path), this)) {
  setWindowTitle("KORAV");
  BuildMenu();
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildRunArea());
  layout->addWidget(BuildReportArea());
  layout->addStretch();
  setCentralWidget(central);
  BuildStatusLine();

  edit1_->setText(FromBytes(start_run_file_));
  run1btn_->setEnabled(FileExists(start_run_file_));
  group_box1_->hide();
  ClearReportArea();
}

void MainWindow::BuildMenu() {
  QMenu* help = menuBar()->addMenu("Help");
  const std::pair<const char*, int> topics[] = {{"Overview", kHelpOverview},
                                                {"What's New", kHelpWhatsNew},
                                                {"Run File Format", kHelpRunFileFormat},
                                                {"Data File Format", kHelpDataFileFormat},
                                                {"License", kHelpLicense}};
  for (const auto& [caption, topic] : topics) {
    QAction* action = help->addAction(caption);
    connect(action, &QAction::triggered, this, [this, topic = topic] { help_.ShowTopic(topic); });
  }
  help->actions().front()->setShortcut(QKeySequence::HelpContents);
  help->addSeparator();
  connect(help->addAction("About"), &QAction::triggered, this, [this] { about_box_->ShowAbout(); });
}

QWidget* MainWindow::BuildRunArea() {
  auto* area = new QWidget;
  auto* layout = new QGridLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  edit1_ = NamedEdit(1);
  button3_ = NamedButton("Button3", ">");
  button3_->setFixedWidth(button3_->fontMetrics().horizontalAdvance(">") + 24);
  run1btn_ = NamedButton("Run1btn", "Run");
  exit1btn_ = NamedButton("Exit1btn", "Exit");
  compare_withbtn_ = NamedButton("CompareWithbtn", "Compare with\u2026");
  compare_withbtn_->setToolTip(
      "Compares another finished run (A) with this one (B): choose its output folder");
  compare_withbtn_->setEnabled(false);
  label1_ = NamedLabel("Label1");
  label2_ = NamedLabel("Label2");
  layout->addWidget(new QLabel("Run File"), 0, 0);
  layout->addWidget(edit1_, 0, 1);
  layout->addWidget(button3_, 0, 2);
  layout->addWidget(run1btn_, 0, 3);
  layout->addWidget(exit1btn_, 0, 4);
  layout->addWidget(label1_, 1, 1, 1, 2);
  layout->addWidget(compare_withbtn_, 1, 3, 1, 2);
  layout->addWidget(label2_, 2, 1, 1, 4);
  connect(button3_, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(run1btn_, &QPushButton::clicked, this, [this] { Run1btnClick(); });
  connect(exit1btn_, &QPushButton::clicked, this, [this] { Exit1btnClick(); });
  connect(compare_withbtn_, &QPushButton::clicked, this, [this] { CompareWithbtnClick(); });
  return area;
}

QGroupBox* MainWindow::BuildReportArea() {
  group_box1_ = new QGroupBox;
  group_box1_->setObjectName("GroupBox1");
  auto* layout = new QHBoxLayout(group_box1_);

  combo_box1_ = new QComboBox;
  combo_box1_->setObjectName("ComboBox1");
  const std::vector<std::string> rows = ReportListRows();
  for (const std::string& row : rows) combo_box1_->addItem(QString::fromStdString(row));
  combo_box1_->setMaxVisibleItems(int(rows.size()));
  edit2_ = NamedEdit(2);
  run_reportbtn1_ = NamedButton("RunReportbtn1", "Run Report");
  open_chartbtn_ = NamedButton("OpenChartbtn", "Open Chart");
  open_chartbtn_->setToolTip("Opens the Cost Flow Chart just written in your web browser");
  label7_ = NamedLabel("Label7");
  label8_ = NamedLabel("Label8");
  auto* warning =
      new QLabel("Warning, Fields are NOT converted to uppercase, or code values validated");
  warning->setWordWrap(true);

  auto* output_row = new QHBoxLayout;
  output_row->addWidget(new QLabel("Output File Name"));
  output_row->addWidget(edit2_);
  auto* status_labels = new QVBoxLayout;
  status_labels->addWidget(label7_);
  status_labels->addWidget(label8_);
  auto* run_row = new QHBoxLayout;
  run_row->addWidget(run_reportbtn1_, 0, Qt::AlignTop);
  run_row->addLayout(status_labels, 1);
  run_row->addWidget(open_chartbtn_, 0, Qt::AlignTop);

  auto* left = new QVBoxLayout;
  left->addWidget(combo_box1_);
  left->addLayout(output_row);
  left->addLayout(run_row);
  left->addWidget(warning);
  left->addWidget(BuildRollupGroup());
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(BuildSelectionGroup());
  right->addWidget(BuildOptionsGroup());
  right->addWidget(BuildCopyGroup());
  right->addWidget(BuildLevelGroup());
  right->addWidget(BuildExportGroup());
  right->addStretch();
  layout->addLayout(left, 1);
  layout->addLayout(right, 1);

  SetFormTabOrder();
  connect(combo_box1_, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
  connect(run_reportbtn1_, &QPushButton::clicked, this, [this] { RunReportbtn1Click(); });
  connect(open_chartbtn_, &QPushButton::clicked, this, [this] { OpenChartbtnClick(); });
  return group_box1_;
}

QGroupBox* MainWindow::BuildSelectionGroup() {
  selection_group_ = new QGroupBox("Report Selection");
  auto* layout = new QFormLayout(selection_group_);
  first_range_label_ = new QLabel("STG Range");
  const char* captions[] = {nullptr, "CPG Range", "CP Range"};
  for (int i = 0; i < 3; ++i) {
    range_edits_[i] = NamedEdit(3 + i);
    if (i == 0) {
      layout->addRow(first_range_label_, range_edits_[i]);
    } else {
      layout->addRow(captions[i], range_edits_[i]);
    }
  }
  return selection_group_;
}

QGroupBox* MainWindow::BuildOptionsGroup() {
  options_group_ = new QGroupBox("Report Options");
  auto* layout = new QVBoxLayout(options_group_);
  for (size_t i = 0; i < option_boxes_.size(); ++i) {
    option_boxes_[i] = new QCheckBox(kOptionCaptions[i]);
    layout->addWidget(option_boxes_[i]);
  }
  return options_group_;
}

QGroupBox* MainWindow::BuildRollupGroup() {
  rollup_group_ = new QGroupBox("Rollup Dimensions");
  auto* layout = new QGridLayout(rollup_group_);
  layout->addWidget(new QLabel("Dim Nr"), 0, 1);
  layout->addWidget(new QLabel("Level"), 0, 2);
  const char* rows[] = {"First Dimension", "Second Dimension", "Third Dimension"};
  for (int row = 0; row < 3; ++row) {
    layout->addWidget(new QLabel(rows[row]), row + 1, 0);
    for (int column = 0; column < 2; ++column) {
      const int field = row * 2 + column;
      rollup_edits_[field] = NamedEdit(6 + field);
      layout->addWidget(rollup_edits_[field], row + 1, column + 1);
    }
  }
  return rollup_group_;
}

QGroupBox* MainWindow::BuildCopyGroup() {
  copy_group_ = new QGroupBox("Copy Cost Pool");
  auto* layout = new QFormLayout(copy_group_);
  copy_from_edit_ = NamedEdit(12);
  copy_to_edit_ = NamedEdit(13);
  layout->addRow("Cost Pool From", copy_from_edit_);
  layout->addRow("Cost Pool To", copy_to_edit_);
  return copy_group_;
}

QGroupBox* MainWindow::BuildLevelGroup() {
  level_group_ = new QGroupBox("Chart Level");
  auto* layout = new QFormLayout(level_group_);
  level_box_ = new QComboBox;
  level_box_->setObjectName("ChartLevel");
  for (const auto& [caption, level] : kChartLevels) level_box_->addItem(caption);
  level_box_->setToolTip("Automatic: cost pools when at most 60 are selected, else groups");
  layout->addRow("Bars", level_box_);
  return level_group_;
}

QGroupBox* MainWindow::BuildExportGroup() {
  export_group_ = new QGroupBox("Export");
  auto* layout = new QVBoxLayout(export_group_);
  flows_box_ = new QCheckBox("Flows");
  flows_box_->setObjectName("ExportFlows");
  flows_box_->setToolTip(
      "One row per amount that a cost pool sent; cleared, one row per value cube cell");
  layout->addWidget(flows_box_);
  return export_group_;
}

// The form's fields in reading order, then its buttons: the order in which
// widgets were created would take Tab from the output file name straight to
// Run Report, past every field of the right-hand column. Hidden groups are
// passed over by Tab.
void MainWindow::SetFormTabOrder() {
  std::vector<QWidget*> order{combo_box1_, edit2_};
  order.insert(order.end(), range_edits_.begin(), range_edits_.end());
  order.insert(order.end(), option_boxes_.begin(), option_boxes_.end());
  order.insert(order.end(), rollup_edits_.begin(), rollup_edits_.end());
  order.insert(order.end(), {copy_from_edit_, copy_to_edit_, level_box_, flows_box_,
                             run_reportbtn1_, open_chartbtn_});
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::BuildStatusLine() {
  status_label_ = NamedLabel("StatusLine");
  progress_bar_ = new QProgressBar;
  progress_bar_->setRange(0, 0);  // the run's length is not known beforehand
  progress_bar_->setMaximumWidth(160);
  progress_bar_->hide();
  statusBar()->addWidget(status_label_, 1);
  statusBar()->addPermanentWidget(progress_bar_);
}

void MainWindow::ClearReportArea() {
  for (QLineEdit* edit : findChildren<QLineEdit*>()) {
    if (edit != edit1_) edit->clear();
  }
  run_reportbtn1_->setText("Run Report");
  for (size_t i = 0; i < option_boxes_.size(); ++i) option_boxes_[i]->setChecked(i != kShowVc);
  label7_->clear();
  label8_->clear();
  options_group_->hide();
  rollup_group_->hide();
  copy_group_->hide();
  level_group_->hide();
  export_group_->hide();
  flows_box_->setChecked(false);
  run_reportbtn1_->setEnabled(false);
  open_chartbtn_->setEnabled(false);
}

void MainWindow::Run1btnClick() {
  const std::string run_file = ToBytes(edit1_->text(), start_run_file_);
  if (!FileExists(run_file)) {
    boxes_.Information("Run File Does not Exist");
    return;
  }
  label1_->setText(FromBytes(host_.DateTime() + " Program Start"));
  label2_->clear();
  engine_.paths.run_file = run_file;
  if (!RunBusy([this] { RunModel(engine_); }, &MainWindow::EndProgram)) return;
  std::string complete = host_.DateTime() + " Program Complete";
  if (const std::string_view label = RunLabel(engine_); !label.empty()) {
    complete += "; Run Label " + std::string(label);
  }
  label2_->setText(FromBytes(complete));
  ShowSummary("");
  group_box1_->setTitle("");
  group_box1_->show();
  // One run per program start; further work goes through the report area.
  run1btn_->setEnabled(false);
  button3_->setEnabled(false);
  compare_withbtn_->setEnabled(true);
}

void MainWindow::Button3Click() {
  const QString chosen = QFileDialog::getOpenFileName(
      this, "Run File", edit1_->text(), "Run files (*.csv *.run *.txt);;All files (*)");
  if (!chosen.isEmpty()) edit1_->setText(chosen);
}

void MainWindow::ComboBox1Change() {
  const std::string row = ToBytes(combo_box1_->currentText());
  run_reportbtn1_->setEnabled(!row.empty());
  if (row.empty()) return;
  const ReportForm form = ReportFormFor(row);
  edit2_->setText(FromBytes(form.output_file_name));
  first_range_label_->setText(FromBytes(form.first_range_label));
  selection_group_->setVisible(form.show_selection);
  options_group_->setVisible(form.show_options);
  rollup_group_->setVisible(form.show_rollup);
  copy_group_->setVisible(form.show_copy);
  level_group_->setVisible(form.show_level);
  export_group_->setVisible(form.show_flows);
}

ReportFields MainWindow::Fields() const {
  ReportFields fields;
  fields.row = ToBytes(combo_box1_->currentText());
  fields.output_file_name = ToBytes(edit2_->text());
  for (size_t i = 0; i < range_edits_.size(); ++i)
    fields.ranges[i] = ToBytes(range_edits_[i]->text());
  for (size_t i = 0; i < option_boxes_.size(); ++i)
    fields.options[i] = option_boxes_[i]->isChecked();
  for (size_t i = 0; i < rollup_edits_.size(); ++i)
    fields.rollup[i] = ToBytes(rollup_edits_[i]->text());
  fields.copy_from = ToBytes(copy_from_edit_->text());
  fields.copy_to = ToBytes(copy_to_edit_->text());
  fields.level = kChartLevels[static_cast<size_t>(std::max(0, level_box_->currentIndex()))].second;
  fields.flows = flows_box_->isChecked();
  return fields;
}

void MainWindow::RunReportbtn1Click() {
  const ReportFields fields = Fields();
  if (fields.row.empty()) return;
  const std::string record = BuildReportRecord(fields);
  label7_->setText(FromBytes("Start REP" + fields.row.substr(0, 2)));
  label8_->clear();
  chart_path_.clear();
  open_chartbtn_->setEnabled(false);
  const auto run = [this, &record] { RunLauncherReport(engine_, record); };
  if (!RunBusy(run, &MainWindow::ReportNotComplete)) return;
  label8_->setText("Report Complete");
  ShowSummary("REP");
  if (LeadingInt(fields.row) == kCostFlowChart) {
    // Empty when the chart's file could not be written (e405).
    chart_path_ = engine_.report_output.path();
    open_chartbtn_->setEnabled(!chart_path_.empty());
  }
}

void MainWindow::OpenChartbtnClick() {
  if (!chart_path_.empty()) OpenInBrowser(chart_path_);
}

void MainWindow::OpenInBrowser(const std::string& path) {
  const QUrl page = QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
  if (!QDesktopServices::openUrl(page)) {
    boxes_.Error("No web browser could open " + path +
                 "; open the file in a browser of your choice");
  }
}

void MainWindow::CompareWithbtnClick() {
  // The runs of one model usually lie side by side: start beside this one's.
  const std::string beside = DirectoryOf(DefaultCompareFolder(engine_.paths.output_directory));
  const QString chosen = QFileDialog::getExistingDirectory(
      this, "Compare with the run in folder (A; this run is B)", FromBytes(beside));
  if (!chosen.isEmpty()) CompareWith(ToBytes(chosen));
}

void MainWindow::CompareWith(const std::string& run_a) {
  CompareOutcome outcome;
  const auto compare = [&] {
    outcome = CompareRuns(CompareRequest{run_a, engine_.paths.output_directory, ""});
  };
  if (!RunBusy(compare, &MainWindow::CompareNotDone)) return;
  std::string summary = outcome.summary;
  summary.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(summary.front())));
  status_label_->setText(FromBytes(summary));
  std::string text = summary + ".";
  for (const std::string& note : outcome.notes) text += "\n" + note;
  if (boxes_.YesOrNo(text + "\n\nOpen " + outcome.page + " in your web browser?")) {
    OpenInBrowser(outcome.page);
  }
}

bool MainWindow::RunBusy(const std::function<void()>& work,
                         void (MainWindow::*on_failure)(const std::string&)) {
  SetBusy(true);
  Repaint(this);
  try {
    work();
  } catch (const RunAborted& aborted) {
    SetBusy(false);
    (this->*on_failure)(aborted.what());
    return false;
  } catch (const std::exception& failure) {
    SetBusy(false);
    (this->*on_failure)(std::string("Internal failure: ") + failure.what());
    return false;
  }
  SetBusy(false);
  return true;
}

// The counts of the logs just closed: the run's, or the report's alone.
void MainWindow::ShowSummary(std::string_view log_suffix) {
  const MessageCounts& counts = engine_.log.own();
  status_label_->setText(FromBytes(
      RunSummary(counts.errors, counts.warnings, log_suffix, engine_.paths.output_directory)));
}

// Nothing was written; another folder can be chosen.
void MainWindow::CompareNotDone(const std::string& message) {
  status_label_->setText("Comparison not done");
  boxes_.Error(message);
}

// The model stays as the report left it; other reports can still be run.
void MainWindow::ReportNotComplete(const std::string& message) {
  label8_->setText("Report Not Complete");
  boxes_.Error(message);
}

void MainWindow::ShowProgress(std::string_view milestone) {
  status_label_->setText(FromBytes(ProgressText(milestone)));
  Repaint(status_label_);
}

void MainWindow::ShowReading(int64_t lines, uint64_t bytes, uint64_t file_bytes) {
  const std::optional<std::string> text =
      reading_meter_.Update(lines, bytes, file_bytes, ReadingMeter::Clock::now());
  if (!text) return;
  status_label_->setText(FromBytes(*text));
  Repaint(status_label_);
}

// While busy the controls and the menu are off and the progress bar moves;
// input that arrives meanwhile waits until the handler has returned.
void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  centralWidget()->setEnabled(!busy);
  menuBar()->setEnabled(!busy);
  progress_bar_->setVisible(busy);
}

// A run that could not be performed leaves the model half read, and one run
// is all a program start offers: after the message the program ends.
void MainWindow::EndProgram(const std::string& message) {
  boxes_.Error(message);
  exit_code_ = kExitCouldNotRun;
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    return;
  }
  help_.Close();
  QMainWindow::closeEvent(event);
}

}  // namespace korav
