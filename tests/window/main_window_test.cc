// The main window on the offscreen platform: its state after creation, a run
// of a copy of the example model, the report area's form and records, report
// runs and the Help menu.
#include "allocation/app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "allocation/reports/report_table.h"
#include "fake_message_boxes.h"
#include "test_files.h"

namespace korav {
namespace {

namespace fs = std::filesystem;

// Records the text a label shows each time it is painted.
class PaintedTexts : public QObject {
 public:
  explicit PaintedTexts(QLabel* label) : label_(label) { label->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint) texts << label_->text();
    return false;
  }
  QStringList texts;

 private:
  QLabel* label_;
};

// Takes the "file" links that the window asks the desktop to open.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "Open"); }
  ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
  QList<QUrl> urls;

 public Q_SLOTS:
  void Open(const QUrl& url) { urls << url; }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();
  void creationLeavesTheWindowReady();
  void runWithoutAnExistingRunFileIsRefused();
  void runShowsProgressAndOpensTheReportArea();
  void runThatCannotBePerformedEndsTheProgram();
  void choosingAReportShapesTheForm_data();
  void choosingAReportShapesTheForm();
  void reportRecordsFollowTheFields();
  void reportRunWritesItsFileAndTheReportLogs();
  void reportOutputThatCannotBeCreatedIsRetriedOrGivenUp();
  void reportStatusCountsTheReportsOwnMessages();
  void tabGoesFromTheOutputNameToTheFormsNextField();
  void chartOpensInTheBrowserOnceWritten();
  void compareWithAnotherRunOffersItsPage();
  void helpMenuOpensTopicsInOrder();

 private:
  void MakeWindow(const std::string& run_file);
  void RunTheModel();
  void Choose(const QString& row);
  template <typename T>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no widget %s", name);
    return widget;
  }
  QCheckBox* Box(const char* caption);
  QGroupBox* Group(const char* title);

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path model_;
  FakeMessageBoxes boxes_;
  std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  model_ = fs::path(dir_->path().toStdString()) / "demo";
  const fs::path demo = fs::path(KORAV_SOURCE_DIR) / "examples/demo";
  fs::create_directories(model_ / "out");
  for (const auto& entry : fs::directory_iterator(demo)) {
    if (entry.is_regular_file()) fs::copy_file(entry.path(), model_ / entry.path().filename());
  }
  // Progress every five transactions, so that the run reports counts; the
  // demo's run label (option 12) shows on the run line.
  std::ofstream(model_ / "OO.csv", std::ios::app) << "OO,6,5\r\n";
  const fs::path help = fs::path(dir_->path().toStdString()) / "bin/help";
  fs::create_directories(help);
  std::ofstream(help / "1030.html") << "<html><body><h1>The run file</h1></body></html>";
  boxes_ = FakeMessageBoxes{};
  MakeWindow((model_ / "run.csv").string());
}

void MainWindowTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void MainWindowTest::MakeWindow(const std::string& run_file) {
  RunPaths paths;
  paths.program_directory = dir_->path().toStdString() + "/bin/";
  paths.program_path = paths.program_directory + "korava";
  paths.run_file = run_file;
  window_ = std::make_unique<MainWindow>(paths, boxes_);
  window_->show();
}

void MainWindowTest::RunTheModel() {
  QTest::mouseClick(Find<QPushButton>("Run1btn"), Qt::LeftButton);
}

void MainWindowTest::Choose(const QString& row) {
  auto* list = Find<QComboBox>("ComboBox1");
  list->setCurrentIndex(list->findText(row));
  QCOMPARE(list->currentText(), row);
}

QCheckBox* MainWindowTest::Box(const char* caption) {
  for (QCheckBox* box : window_->findChildren<QCheckBox*>()) {
    if (box->text() == caption) return box;
  }
  qFatal("no check box %s", caption);
}

QGroupBox* MainWindowTest::Group(const char* title) {
  for (QGroupBox* group : window_->findChildren<QGroupBox*>()) {
    if (group->title() == title) return group;
  }
  qFatal("no group %s", title);
}

void MainWindowTest::creationLeavesTheWindowReady() {
  QCOMPARE(window_->windowTitle(), "KORAV");
  QVERIFY(Find<QLabel>("Label1")->text().isEmpty());
  QVERIFY(Find<QLabel>("Label2")->text().isEmpty());
  QCOMPARE(Find<QLineEdit>("Edit1")->text(), QString::fromStdString((model_ / "run.csv").string()));
  QVERIFY(Find<QPushButton>("Run1btn")->isEnabled());
  QVERIFY(Find<QGroupBox>("GroupBox1")->isHidden());

  auto* list = Find<QComboBox>("ComboBox1");
  QStringList shown;
  for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
  QStringList rows;
  for (const std::string& row : ReportListRows()) rows << QString::fromStdString(row);
  QCOMPARE(shown, rows);
  QCOMPARE(list->maxVisibleItems(), rows.size());
  // Every report of the table is offered once, under its number in two
  // digits, after the empty row.
  QCOMPARE(rows.size(), qsizetype(kReportTable.size() + 1));
  QVERIFY(rows.front().isEmpty());
  QCOMPARE(rows.at(1), "00 - Copy");
  QCOMPARE(rows.at(2), "11 - Dimension Report");
  QCOMPARE(rows.back(), "41 - Cost Flow Chart");
  QCOMPARE(list->currentIndex(), 0);

  for (const char* caption :
       {"Show Selection", "Show CP", "Show AB", "Where used CP", "Where used AB"}) {
    QVERIFY2(Box(caption)->isChecked(), caption);
  }
  QVERIFY(!Box("Show VC")->isChecked());
  for (int number = 2; number <= 13; ++number) {
    QVERIFY(Find<QLineEdit>(qPrintable(QString("Edit%1").arg(number)))->text().isEmpty());
  }
  QCOMPARE(Find<QPushButton>("RunReportbtn1")->text(), "Run Report");
  QVERIFY(Find<QLabel>("Label7")->text().isEmpty());
  QVERIFY(Find<QLabel>("Label8")->text().isEmpty());
  QVERIFY(Group("Report Options")->isHidden());
  QVERIFY(Group("Rollup Dimensions")->isHidden());
  QVERIFY(Group("Copy Cost Pool")->isHidden());
  QVERIFY(Group("Chart Level")->isHidden());
  QVERIFY(Group("Export")->isHidden());
  QVERIFY(!Group("Report Selection")->isHidden());
  QVERIFY(!Find<QPushButton>("OpenChartbtn")->isEnabled());

  // A start-up run file that has gone leaves Run disabled.
  MakeWindow((model_ / "gone.csv").string());
  QVERIFY(!Find<QPushButton>("Run1btn")->isEnabled());
}

void MainWindowTest::runWithoutAnExistingRunFileIsRefused() {
  Find<QLineEdit>("Edit1")->setText(QString::fromStdString((model_ / "other.csv").string()));
  RunTheModel();
  QCOMPARE(boxes_.shown, std::vector<std::string>{"information: Run File Does not Exist"});
  QVERIFY(Find<QLabel>("Label1")->text().isEmpty());
  QVERIFY(Find<QGroupBox>("GroupBox1")->isHidden());
  QVERIFY(Find<QPushButton>("Run1btn")->isEnabled());
  QVERIFY(!fs::exists(model_ / "out/.Job.csv"));

  // Once the named file exists (as when ">" chose it), Run runs it.
  fs::copy_file(model_ / "run.csv", model_ / "other.csv");
  RunTheModel();
  QCOMPARE(window_->engine().paths.run_file, (model_ / "other.csv").string());
  QVERIFY(fs::exists(model_ / "out/.Job.csv"));
  QVERIFY(!Find<QGroupBox>("GroupBox1")->isHidden());
}

void MainWindowTest::runThatCannotBePerformedEndsTheProgram() {
  std::ofstream(model_ / "run.csv") << "$ODIR,,./missing\r\n";
  RunTheModel();
  QCOMPARE(boxes_.shown, std::vector<std::string>{"error: Output Directory does not exist " +
                                                  model_.string() + "/./missing/"});
  QVERIFY(!window_->isVisible());
  QCOMPARE(window_->exit_code(), 2);
}

void MainWindowTest::runShowsProgressAndOpensTheReportArea() {
  PaintedTexts status(Find<QLabel>("StatusLine"));
  RunTheModel();
  QVERIFY(boxes_.shown.empty());
  const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ");
  const QString label1 = Find<QLabel>("Label1")->text();
  const QString label2 = Find<QLabel>("Label2")->text();
  QVERIFY2(label1.contains(stamp) && label1.endsWith(" Program Start"), qPrintable(label1));
  QVERIFY2(label2.contains(stamp) && label2.endsWith(" Program Complete; Run Label 2026-11 Actual"),
           qPrintable(label2));
  QVERIFY(!Find<QGroupBox>("GroupBox1")->isHidden());
  QVERIFY(Find<QGroupBox>("GroupBox1")->title().isEmpty());
  QVERIFY(!Find<QPushButton>("Run1btn")->isEnabled());
  QVERIFY(fs::exists(model_ / "out/.Job.csv"));
  QVERIFY(fs::exists(model_ / "out/15.csv"));

  // The demo has 13 transactions: counts at 5 and 10, painted as they came.
  QVERIFY2(status.texts.contains("Start Read Pass 1"), qPrintable(status.texts.join('|')));
  const qsizetype five = status.texts.indexOf("Transactions read: 5");
  const qsizetype ten = status.texts.indexOf("Transactions read: 10");
  QVERIFY2(five >= 0 && ten > five, qPrintable(status.texts.join('|')));
  QVERIFY(status.texts.indexOf("End of Allocate; Start of Reports") > ten);
  QVERIFY(window_->statusBar()
              ->findChild<QLabel*>("StatusLine")
              ->text()
              .startsWith("0 errors, 0 warnings; logs .JobandTrace.csv and .Job.csv in "));
}

void MainWindowTest::choosingAReportShapesTheForm_data() {
  QTest::addColumn<QString>("row");
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("label");
  // Visible groups: selection, options, roll-up, copy, chart level, export.
  QTest::addColumn<QString>("groups");
  QTest::newRow("copy") << "00 - Copy"
                        << "REP00a.csv"
                        << "STG Range"
                        << "---+--";
  QTest::newRow("dimensions") << "11 - Dimension Report"
                              << "REP11a.csv"
                              << "DIM Nr Range"
                              << "+-----";
  QTest::newRow("stages") << "12 - Stage Report"
                          << "REP12a.csv"
                          << "STG Range"
                          << "++----";
  QTest::newRow("measures") << "14 - Measures Report"
                            << "REP14a.csv"
                            << "Measure Range"
                            << "++----";
  QTest::newRow("bases") << "16 - Allocation Base"
                         << "REP16a.csv"
                         << "AB Range"
                         << "++----";
  QTest::newRow("reconciliation") << "17 - Reconciliation Report"
                                  << "REP17a.csv"
                                  << "STG Range"
                                  << "------";
  QTest::newRow("trace back") << "24 - Trace Back Report"
                              << "REP24a.csv"
                              << "STG Range"
                              << "+-----";
  QTest::newRow("rollup") << "26 - Rollup Report"
                          << "REP26a.csv"
                          << "STG Range"
                          << "+-+---";
  QTest::newRow("extract") << "34 - Extract Dimensions"
                           << "REP34a.csv"
                           << "STG Range"
                           << "+-----";
  QTest::newRow("export") << "36 - Results Export"
                          << "REP36a.csv"
                          << "STG Range"
                          << "+----+";
  QTest::newRow("chart") << "41 - Cost Flow Chart"
                         << "REP41a.html"
                         << "STG Range"
                         << "+---+-";
}

void MainWindowTest::choosingAReportShapesTheForm() {
  QFETCH(QString, row);
  QFETCH(QString, file);
  QFETCH(QString, label);
  QFETCH(QString, groups);
  RunTheModel();
  // The form of another report first, so that each change is seen undone.
  Choose(row.startsWith("14") ? "26 - Rollup Report" : "14 - Measures Report");
  Choose(row);
  QCOMPARE(Find<QLineEdit>("Edit2")->text(), file);
  const auto* selection = Group("Report Selection");
  QVERIFY(selection->findChildren<QLabel*>().front()->text() == label);
  QString shown;
  for (const char* title : {"Report Selection", "Report Options", "Rollup Dimensions",
                            "Copy Cost Pool", "Chart Level", "Export"}) {
    shown += Group(title)->isHidden() ? '-' : '+';
  }
  QCOMPARE(shown, groups);
}

void MainWindowTest::reportRecordsFollowTheFields() {
  RunTheModel();
  Choose("15 - Cost Pool Report");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,15,REP15a.csv,,,,,,,,,");
  Box("Show VC")->setChecked(true);
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,15,REP15a.csv,,,,,,,+,,");
  Box("Show VC")->setChecked(false);
  Box("Show CP")->setChecked(false);
  Find<QLineEdit>("Edit3")->setText("2/3");
  Find<QLineEdit>("Edit5")->setText("p*");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,15,REP15a.csv,2/3,,p*,,-,,,,");
  Box("Show Selection")->setChecked(false);
  Box("Where used AB")->setChecked(false);
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,15,REP15a.csv,2/3,,p*,-,-,,,,-");

  // Report 26 carries the roll-up fields where the others carry options.
  Choose("26 - Rollup Report");
  Find<QLineEdit>("Edit2")->setText("roll");
  Find<QLineEdit>("Edit6")->setText("1");
  Find<QLineEdit>("Edit7")->setText("2");
  Find<QLineEdit>("Edit10")->setText("2");
  Find<QLineEdit>("Edit11")->setText("1");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,26,roll,2/3,,p*,1,2,,,2,1");

  Choose("00 - Copy");
  Find<QLineEdit>("Edit12")->setText("RENT");
  Find<QLineEdit>("Edit13")->setText("RENT2");
  QCOMPARE(BuildReportRecord(window_->Fields()), "CPY,RENT,RENT2");

  // The export keeps the ranges; "Flows" asks for the flows in column 7.
  Choose("36 - Results Export");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,36,REP36a.csv,2/3,,p*,");
  Box("Flows")->setChecked(true);
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,36,REP36a.csv,2/3,,p*,F");
  Find<QLineEdit>("Edit3")->clear();
  Find<QLineEdit>("Edit5")->clear();
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QCOMPARE(Find<QLabel>("Label8")->text(), "Report Complete");
  const std::string flows = ReadFile(model_ / "out/REP36a.csv");
  QVERIFY2(flows.rfind("Run Label,Stage,Sender,Sender Description,Base,Line,Receiver,", 0) == 0,
           flows.c_str());
}

void MainWindowTest::reportRunWritesItsFileAndTheReportLogs() {
  RunTheModel();
  const std::string run_log = ReadFile(model_ / "out/.Job.csv");
  Choose("12 - Stage Report");
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QVERIFY(boxes_.shown.empty());
  QCOMPARE(Find<QLabel>("Label7")->text(), "Start REP12");
  QCOMPARE(Find<QLabel>("Label8")->text(), "Report Complete");
  const std::string report = ReadFile(model_ / "out/REP12a.csv");
  QVERIFY2(report.rfind("Stage Report; REP12a.csv; ", 0) == 0, report.c_str());
  const std::string job = ReadFile(model_ / "out/.JobREP.csv");
  QVERIFY2(job.find("  Program Start KORAVA ") != std::string::npos, job.c_str());
  QVERIFY(job.find("         REP,12,REP12a.csv,,,,,,,,, \r\n") != std::string::npos);
  QVERIFY(ReadFile(model_ / "out/.JobandTraceREP.csv").find("REP,12,REP12a.csv") !=
          std::string::npos);
  QCOMPARE(ReadFile(model_ / "out/.Job.csv"), run_log);

  // A second report replaces the report logs.
  Choose("11 - Dimension Report");
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QCOMPARE(Find<QLabel>("Label7")->text(), "Start REP11");
  QVERIFY(fs::exists(model_ / "out/REP11a.csv"));
  QVERIFY(ReadFile(model_ / "out/.JobREP.csv").find("REP,12") == std::string::npos);
}

void MainWindowTest::reportOutputThatCannotBeCreatedIsRetriedOrGivenUp() {
  RunTheModel();
  Choose("12 - Stage Report");
  // A folder in the report file's place cannot be written. The output
  // directory is the run file's folder followed by "$ODIR" ("./out").
  const fs::path blocked = model_ / "out/REP12a.csv";
  fs::create_directory(blocked);
  const std::string message = "retry: Output File " + model_.string() +
                              "/./out/REP12a.csv cannot be written: it is a folder";
  boxes_.retry = [&] {
    fs::remove(blocked);
    return true;
  };
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QCOMPARE(boxes_.shown, std::vector<std::string>{message});
  QCOMPARE(Find<QLabel>("Label8")->text(), "Report Complete");
  QVERIFY(fs::is_regular_file(blocked));

  // Cancel skips the report, as a run does, and its log says why.
  fs::remove(blocked);
  fs::create_directory(blocked);
  boxes_.shown.clear();
  boxes_.retry = nullptr;
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QCOMPARE(boxes_.shown, std::vector<std::string>{message});
  QVERIFY(fs::is_directory(blocked));
  QVERIFY(ReadFile(model_ / "out/.JobREP.csv")
              .find("  >>>>,,  405 REP; Output file name not valid, it is a folder; "
                    "Name=REP12a.csv") != std::string::npos);
}

// A copy to a pool that does not exist logs e128; the clean report after it
// counts none.
void MainWindowTest::reportStatusCountsTheReportsOwnMessages() {
  RunTheModel();
  const QString logs = "; logs .JobandTraceREP.csv and .JobREP.csv in ";
  Choose("00 - Copy");
  Find<QLineEdit>("Edit12")->setText("R.PERS");
  Find<QLineEdit>("Edit13")->setText("NOPE");
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  const auto status = [this] { return Find<QLabel>("StatusLine")->text(); };
  QVERIFY2(status().startsWith("1 error, 0 warnings" + logs), qPrintable(status()));
  Choose("12 - Stage Report");
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QVERIFY2(status().startsWith("0 errors, 0 warnings" + logs), qPrintable(status()));
}

// Tab leads from the output file name to the first field the chosen report
// shows, in the column beside it, not to Run Report.
void MainWindowTest::tabGoesFromTheOutputNameToTheFormsNextField() {
  RunTheModel();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  const std::pair<const char*, const char*> cases[] = {{"12 - Stage Report", "Edit3"},
                                                       {"00 - Copy", "Edit12"}};
  for (const auto& [row, next] : cases) {
    Choose(row);
    auto* name = Find<QLineEdit>("Edit2");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Find<QLineEdit>(next));
  }
}

void MainWindowTest::chartOpensInTheBrowserOnceWritten() {
  RunTheModel();
  Choose("41 - Cost Flow Chart");
  auto* open = Find<QPushButton>("OpenChartbtn");
  QVERIFY(!open->isEnabled());
  Find<QLineEdit>("Edit5")->setText("R*");
  auto* level = Find<QComboBox>("ChartLevel");
  QCOMPARE(level->currentText(), "Automatic");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,41,REP41a.html,,,R*,");
  level->setCurrentText("Groups");
  QCOMPARE(BuildReportRecord(window_->Fields()), "REP,41,REP41a.html,,,R*,G");

  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QCOMPARE(Find<QLabel>("Label8")->text(), "Report Complete");
  const fs::path chart = model_ / "out/REP41a.html";
  QVERIFY(ReadFile(chart).rfind("<!DOCTYPE html>", 0) == 0);
  QVERIFY(open->isEnabled());
  OpenedUrls opened;
  QTest::mouseClick(open, Qt::LeftButton);
  // The output folder is the run file's folder followed by "$ODIR" ("./out").
  const QString written = QString::fromStdString(model_.string() + "/./out/REP41a.html");
  QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(written)});
  QVERIFY(boxes_.shown.empty());

  // Another report leaves no chart to open.
  Choose("12 - Stage Report");
  QTest::mouseClick(Find<QPushButton>("RunReportbtn1"), Qt::LeftButton);
  QVERIFY(!open->isEnabled());
}

// The run is compared with a copy of its own output folder (A), so every
// change is 0.00; a folder that is no run is refused and nothing written.
void MainWindowTest::compareWithAnotherRunOffersItsPage() {
  auto* compare = Find<QPushButton>("CompareWithbtn");
  QVERIFY(!compare->isEnabled());
  RunTheModel();
  QVERIFY(compare->isEnabled());

  window_->CompareWith((model_ / "missing").string());
  QCOMPARE(boxes_.shown, std::vector<std::string>{"error: " + (model_ / "missing").string() +
                                                  " does not exist; give the output folder of a "
                                                  "finished run (the $ODIR of its run file)"});
  QCOMPARE(Find<QLabel>("StatusLine")->text(), "Comparison not done");
  QVERIFY(!fs::exists(model_ / "compare"));

  fs::copy(model_ / "out", model_ / "out-a", fs::copy_options::recursive);
  boxes_.shown.clear();
  boxes_.yes = true;
  OpenedUrls opened;
  window_->CompareWith((model_ / "out-a").string());
  const std::string page = model_.string() + "/compare/compare.html";
  QCOMPARE(boxes_.shown.size(), size_t{1});
  QVERIFY2(boxes_.shown.front().rfind("yes/no: Compared A (2026-11 Actual) with B (2026-11 "
                                      "Actual): ",
                                      0) == 0,
           boxes_.shown.front().c_str());
  QVERIFY2(boxes_.shown.front().ends_with("\n\nOpen " + page + " in your web browser?"),
           boxes_.shown.front().c_str());
  QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(page))});
  QVERIFY(ReadFile(model_ / "compare/compare.csv").find("P.BREAD,Bread,60770.38,60770.38,0.00") !=
          std::string::npos);
}

void MainWindowTest::helpMenuOpensTopicsInOrder() {
  QMenu* help = window_->menuBar()->findChildren<QMenu*>().front();
  QCOMPARE(help->title(), "Help");
  QStringList entries;
  for (const QAction* action : help->actions()) {
    entries << (action->isSeparator() ? "-" : action->text());
  }
  QCOMPARE(entries, (QStringList{"Overview", "What's New", "Run File Format", "Data File Format",
                                 "License", "-", "About"}));
  help->actions().at(2)->trigger();
  QVERIFY(window_->help().browser().isVisible());
  QVERIFY(window_->help().browser().toPlainText().contains("The run file"));
  help->actions().at(3)->trigger();
  QVERIFY(window_->help().browser().toPlainText().contains("Help topic 1040 is missing"));
}

}  // namespace korav

QTEST_MAIN(korav::MainWindowTest)
#include "main_window_test.moc"
