// The editor's windows on the offscreen platform, on the shipped parameter
// file and a copy of the example model: tabs and the catalogue, the record
// operations through the record and select dialogs, find, delete, exit and
// save. Modal dialogs are answered from inside their own event loop.
#include "editor/app/editor_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "fake_message_boxes.h"
#include "test_files.h"

namespace korav {
namespace {

namespace fs = std::filesystem;

fs::path ShippedParameters() { return fs::path(KORAV_SOURCE_DIR) / "editor/KORAVEParms.csv"; }

// Runs `act` on the modal dialog of type T once its event loop runs.
template <typename T>
void WhenModal(std::function<void(T&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    auto* typed = dynamic_cast<T*>(dialog);
    if (typed == nullptr) {
      if (dialog != nullptr) dialog->reject();
      QFAIL("the expected dialog is not open");
    }
    act(*typed);
  });
}

}  // namespace

class EditorWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();
  void opensTheModelWithTabsAndTheCatalogue();
  void aQueryOnlyFileAllowsOnlyQuery();
  void addsThroughTheDialogWithALookup();
  void modifyProtectsTheKeyAndProposesTheLookup();
  void enterOrSpaceOnALookupOpensItArrowsOnlyMove();
  void tabSkipsUnusedRowsAndTheSelectGridTakesADoubleClick();
  void deletingTheOnlyMasterRecordRemovesItsDependentTab();
  void findsOnBothColumns();
  void exitWithChangesAsksTheQuestion();
  void openingAnotherModelWithChangesAsksTheQuestion();
  void saveWritesTheFiles();
  void menusAndTheEditorTopics();
  void checkDataGoesOnFromTheValidatorContextLeftBefore();

 private:
  void Open(const fs::path& parameter_file);
  void ShowTab(const QString& name);
  QStringList TabNames();
  QString Cell(int row, int column);
  void SelectRow(int row);
  bool Enabled(const char* button);
  template <typename T>
  T* Find(const char* name) {
    // The window's own controls; its dialogs have boxes of the same names.
    T* widget = window_->centralWidget()->findChild<T*>(name);
    if (widget == nullptr) qFatal("no widget %s", name);
    return widget;
  }
  static void Type(RecordDialogWindow& dialog, int32_t row, const QString& value);

  std::unique_ptr<QTemporaryDir> dir_;
  fs::path model_;
  FakeMessageBoxes boxes_;
  std::unique_ptr<EditorWindow> window_;
};

void EditorWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  model_ = fs::path(dir_->path().toStdString()) / "demo";
  fs::create_directories(model_);
  const fs::path demo = fs::path(KORAV_SOURCE_DIR) / "examples/demo";
  for (const auto& entry : fs::directory_iterator(demo)) {
    if (entry.is_regular_file()) fs::copy_file(entry.path(), model_ / entry.path().filename());
  }
  boxes_ = FakeMessageBoxes{};
}

void EditorWindowTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void EditorWindowTest::Open(const fs::path& parameter_file) {
  EditorPaths paths;
  paths.program_folder = dir_->path().toStdString() + "/bin/";
  window_ = std::make_unique<EditorWindow>(paths, boxes_);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QVERIFY(window_->StartUp((model_ / "run.csv").string(), parameter_file.string()));
}

void EditorWindowTest::ShowTab(const QString& name) {
  auto* tabs = Find<QTabBar>("Tabs");
  const int index = TabNames().indexOf(name);
  QVERIFY2(index >= 0, qPrintable("no tab " + name));
  tabs->setCurrentIndex(index);
}

QStringList EditorWindowTest::TabNames() {
  auto* tabs = Find<QTabBar>("Tabs");
  QStringList names;
  for (int t = 0; t < tabs->count(); ++t) names << tabs->tabText(t);
  return names;
}

QString EditorWindowTest::Cell(int row, int column) {
  const QAbstractItemModel* model = window_->grid().model();
  return model->data(model->index(row - 1, column - 1)).toString();
}

void EditorWindowTest::SelectRow(int row) {
  window_->grid().setCurrentIndex(window_->grid().model()->index(row - 1, 0));
}

bool EditorWindowTest::Enabled(const char* button) {
  return Find<QPushButton>(button)->isEnabled();
}

void EditorWindowTest::Type(RecordDialogWindow& dialog, int32_t row, const QString& value) {
  dialog.grid().setCurrentCell(row - 1, 0);
  dialog.grid().item(row - 1, 0)->setText(value);
}

void EditorWindowTest::opensTheModelWithTabsAndTheCatalogue() {
  {
    std::ofstream more(model_ / "CPS.csv", std::ios::app | std::ios::binary);
    for (int i = 1; i <= 1234; ++i) more << "CPS,R.PERS,Extra " << i << ",,,PERS,*\r\n";
  }
  Open(ShippedParameters());
  QCOMPARE(window_->windowTitle(),
           QString::fromStdString("KORAVE - KORAV Edit - " + model_.string() + "/"));
  // Dimensions 1 and 2 exist, so only their value files have tabs.
  QCOMPARE(TabNames(), (QStringList{"Files",
                                    "Options",
                                    "Dimensions",
                                    "Dim1",
                                    "Dim2",
                                    "Stages",
                                    "Groups",
                                    "Group Selections",
                                    "Group Dim Copy",
                                    "DIMT",
                                    "Cost Pools",
                                    "Pool Selections",
                                    "Budgets",
                                    "Pool Dim Copy",
                                    "Budget Variance",
                                    "Bases",
                                    "Base Lines",
                                    "Named Measures",
                                    "Measure Values",
                                    "Input Measures",
                                    "Input Selections",
                                    "Reports",
                                    "Pool Copies"}));
  // The catalogue "File Summary" shows its caption instead of the panel.
  QCOMPARE(Find<QStackedWidget>("PanelStack")->currentIndex(), 1);
  QVERIFY(Find<QLabel>("FileSummary")->isVisible());
  int pool_selections = 0;
  int dim1 = 0;
  for (int row = 1; row <= window_->grid().model()->rowCount(); ++row) {
    if (Cell(row, 1).trimmed() == "27") pool_selections = row;
    if (Cell(row, 1).trimmed() == "4") dim1 = row;
  }
  QCOMPARE(Cell(pool_selections, 4), "1,236");
  QCOMPARE(Cell(dim1, 3), "Account");  // "@": the title of the record it depends on

  int cost_pools = 0;
  for (int row = 1; row <= window_->grid().model()->rowCount(); ++row) {
    if (Cell(row, 1).trimmed() == "26") cost_pools = row;
  }
  SelectRow(cost_pools);
  window_->GridDoubleClick();  // on the catalogue: to that file's tab
  QCOMPARE(Find<QTabBar>("Tabs")->tabText(Find<QTabBar>("Tabs")->currentIndex()), "Cost Pools");
  QCOMPARE(Find<QStackedWidget>("PanelStack")->currentIndex(), 0);
  QCOMPARE(Find<QLabel>("TitleLine")->text(), "Cost Pools");
  QCOMPARE(window_->grid().model()->rowCount(), 6);
  QCOMPARE(Cell(1, 1), "A.BAKE");
  QCOMPARE(window_->grid().currentIndex().row(), 0);
  QCOMPARE(window_->grid().columnWidth(0), 110);
  QCOMPARE(window_->grid().columnWidth(1), 150);
}

void EditorWindowTest::aQueryOnlyFileAllowsOnlyQuery() {
  const fs::path parameters = model_ / "parms.csv";
  std::ofstream(parameters)
      << "1,Files,File Summary,,,0,,K/1/0,f/Nr/SO,f/Tab/SO,f/Title/MO,f/Records/SO,f/Edit/SO,"
         "f/File/CO\n"
         "2,Things,Things,Q,THINGS.csv/I/TH,0,,K/1/0,f/Code/CM,f/Description/MO\n";
  std::ofstream(model_ / "THINGS.csv") << "TH,A1,First\nTH,B1,Second\n";
  Open(parameters);
  ShowTab("Things");
  for (const char* button : {"AddButton", "CopyButton", "ModifyButton", "DeleteButton"}) {
    QVERIFY2(!Enabled(button), button);
  }
  QVERIFY(Enabled("QueryButton"));
  SelectRow(2);
  QString caption;
  WhenModal<RecordDialogWindow>([&caption](RecordDialogWindow& dialog) {
    caption = dialog.windowTitle();
    dialog.OkClick();
  });
  const QRect cell = window_->grid().visualRect(window_->grid().model()->index(1, 0));
  // An item view takes a double-click on the row it was pressed on.
  QTest::mouseClick(window_->grid().viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(window_->grid().viewport(), Qt::LeftButton, {}, cell.center());
  QCOMPARE(caption, "Query Record");
  QVERIFY(!window_->document().DataChanged());
}

void EditorWindowTest::addsThroughTheDialogWithALookup() {
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  QString message;
  QString duplicate;
  QString lookup_title;
  WhenModal<RecordDialogWindow>([&](RecordDialogWindow& dialog) {
    QCOMPARE(dialog.windowTitle(), "Add Record");
    Type(dialog, 3, "X");
    dialog.grid().setCurrentCell(3, 0);  // leaving the row validates it
    message = dialog.findChild<QLabel*>("MessageLine")->text();
    WhenModal<SelectDialogWindow>([&](SelectDialogWindow& select) {
      lookup_title = select.findChild<QLabel*>("TitleLine")->text();
      select.findChild<QLineEdit*>("CodeSearch")->setText("PRD");
      select.FindFirstClick();
      select.OkClick();
    });
    dialog.LookupClick(3);
    QCOMPARE(dialog.core().Row(3).value, "PRD");
    Type(dialog, 1, "A.BAKE");
    Type(dialog, 2, "New pool");
    dialog.OkClick();
    duplicate = dialog.findChild<QLabel*>("TitleLine")->text();
    Type(dialog, 1, "P.NEW");
    dialog.OkClick();
  });
  QTest::mouseClick(Find<QPushButton>("AddButton"), Qt::LeftButton);
  QCOMPARE(message, "Error, Group not found for value of X");
  QCOMPARE(lookup_title, "Cost Pool Groups");
  QCOMPARE(duplicate, "Duplicate Key, cannot create");
  // The new record is found and selected: A.BAKE, A.PACK, P.BREAD, P.CAKE, P.NEW.
  QCOMPARE(window_->grid().model()->rowCount(), 7);
  QCOMPARE(window_->grid().currentIndex().row(), 4);
  QCOMPARE(Cell(5, 1), "P.NEW");
  QCOMPARE(Cell(5, 2), "New pool");
  QCOMPARE(Cell(5, 3), "PRD");
  QCOMPARE(Find<QLineEdit>("CodeSearch")->text(), "P.NEW");
  QVERIFY(window_->document().DataChanged());
}

void EditorWindowTest::modifyProtectsTheKeyAndProposesTheLookup() {
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  SelectRow(5);  // R.PERS of group RES
  QString proposed;
  int proposed_row = -1;
  WhenModal<RecordDialogWindow>([&](RecordDialogWindow& dialog) {
    QCOMPARE(dialog.windowTitle(), "Modify Record");
    QTableWidget& grid = dialog.grid();
    QCOMPARE(grid.item(0, 2)->text(), "_");
    QVERIFY(!(grid.item(0, 0)->flags() & Qt::ItemIsEditable));
    QCOMPARE(grid.item(0, 3)->text(), "");
    QCOMPARE(grid.item(2, 3)->text(), ">>");
    QCOMPARE(grid.item(2, 1)->text(), "Resource pools");
    WhenModal<SelectDialogWindow>([&](SelectDialogWindow& select) {
      proposed = select.findChild<QLineEdit*>("CodeSearch")->text();
      proposed_row = select.findChild<QTableView*>("Grid")->currentIndex().row();
      select.reject();
    });
    dialog.LookupClick(3);
    Type(dialog, 2, "Personnel");
    dialog.OkClick();
  });
  QTest::mouseClick(Find<QPushButton>("ModifyButton"), Qt::LeftButton);
  QCOMPARE(proposed, "RES");
  QCOMPARE(proposed_row, 2);  // ACT, PRD, RES
  QCOMPARE(Cell(5, 1), "R.PERS");
  QCOMPARE(Cell(5, 2), "Personnel");
  QCOMPARE(Cell(5, 3), "RES");  // Cancel in the select dialog changed nothing
}

void EditorWindowTest::enterOrSpaceOnALookupOpensItArrowsOnlyMove() {
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  QStringList chosen;
  bool opened_by_arrow = false;
  WhenModal<RecordDialogWindow>([&](RecordDialogWindow& dialog) {
    QTableWidget& grid = dialog.grid();
    const auto choose = [&](Qt::Key key, const QString& code) {
      WhenModal<SelectDialogWindow>([code](SelectDialogWindow& select) {
        select.findChild<QLineEdit*>("CodeSearch")->setText(code);
        select.FindFirstClick();
        select.OkClick();
      });
      QTest::keyClick(&grid, key);
      chosen << QString::fromStdString(dialog.core().Row(3).value);
    };
    grid.setCurrentCell(2, 3);  // the ">>" of Group
    choose(Qt::Key_Return, "PRD");
    choose(Qt::Key_Space, "RES");
    QTimer::singleShot(0, [&opened_by_arrow] {
      if (auto* select = dynamic_cast<SelectDialogWindow*>(QApplication::activeModalWidget())) {
        opened_by_arrow = true;
        select->reject();
      }
    });
    QTest::keyClick(&grid, Qt::Key_Down);  // onto the ">>" of Base
    QCoreApplication::processEvents();
    chosen << QString::number(grid.currentRow() + 1);
    dialog.reject();
  });
  window_->RecordOperationClick(DialogMode::kAdd);
  QCOMPARE(chosen, (QStringList{"PRD", "RES", "4"}));
  QVERIFY(!opened_by_arrow);
}

void EditorWindowTest::tabSkipsUnusedRowsAndTheSelectGridTakesADoubleClick() {
  Open(ShippedParameters());
  ShowTab("Group Selections");
  int after_tab = 0;
  bool unknown_dimensions_hidden = false;
  bool department_shown = false;
  WhenModal<RecordDialogWindow>([&](RecordDialogWindow& dialog) {
    QTableWidget& grid = dialog.grid();
    // Code2 and Include are not used ("."); dimensions 3 to 8 do not exist,
    // so their rows have no title and the grid ends after Department.
    department_shown = !grid.isRowHidden(5) && grid.verticalHeaderItem(5)->text() == "Department";
    unknown_dimensions_hidden = grid.isRowHidden(6) && grid.isRowHidden(11);
    grid.setCurrentCell(1, 0);
    QTest::keyClick(&grid, Qt::Key_Tab);
    after_tab = grid.currentRow() + 1;
    WhenModal<SelectDialogWindow>([](SelectDialogWindow& select) {
      QTableView* rows = select.findChild<QTableView*>("Grid");
      const QRect cell = rows->visualRect(rows->model()->index(1, 0));
      QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, cell.center());
      QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, cell.center());
    });
    dialog.RowDoubleClick(1);
    QCOMPARE(dialog.core().Row(1).value, "PRD");  // groups ACT, PRD, RES
    dialog.reject();
  });
  window_->RecordOperationClick(DialogMode::kAdd);
  QCOMPARE(after_tab, 5);
  QVERIFY(department_shown);
  QVERIFY(unknown_dimensions_hidden);
  QVERIFY(!window_->document().DataChanged());
}

void EditorWindowTest::deletingTheOnlyMasterRecordRemovesItsDependentTab() {
  std::ofstream(model_ / "DIMH.csv") << "DIMH,1,Account\r\n";
  Open(ShippedParameters());
  QVERIFY(TabNames().contains("Dim1"));
  ShowTab("Dimensions");
  SelectRow(1);
  boxes_.yes = false;
  QTest::mouseClick(Find<QPushButton>("DeleteButton"), Qt::LeftButton);
  QVERIFY(TabNames().contains("Dim1"));
  QVERIFY(!window_->document().DataChanged());
  boxes_.yes = true;
  QTest::mouseClick(Find<QPushButton>("DeleteButton"), Qt::LeftButton);
  QCOMPARE(boxes_.shown, (std::vector<std::string>(2, "yes/no: Delete Current Record")));
  QVERIFY(!TabNames().contains("Dim1"));
  QCOMPARE(Find<QTabBar>("Tabs")->tabText(Find<QTabBar>("Tabs")->currentIndex()), "Dimensions");
  QCOMPARE(window_->grid().model()->rowCount(), 0);
  QVERIFY(!Enabled("DeleteButton"));
  QVERIFY(!Find<QPushButton>("AddButton")->isHidden() && Enabled("AddButton"));
}

void EditorWindowTest::findsOnBothColumns() {
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  auto* code = Find<QLineEdit>("CodeSearch");
  auto* description = Find<QLineEdit>("DescriptionSearch");
  const auto selected = [this] { return window_->grid().currentIndex().row() + 1; };
  code->setText("p");  // compared in upper case; the nearest code at or after it
  window_->FindFirstClick();
  QCOMPARE(selected(), 3);  // P.BREAD
  window_->FindNextClick();
  QCOMPARE(selected(), 4);  // P.CAKE
  code->setText("A.C");     // no code begins with it: the one before
  window_->FindFirstClick();
  QCOMPARE(selected(), 1);
  code->clear();
  description->setText("COSTS");  // anywhere in the description
  window_->FindFirstClick();
  QCOMPARE(selected(), 5);  // Personnel costs
  window_->FindNextClick();
  QCOMPARE(selected(), 6);  // Premises costs
}

void EditorWindowTest::exitWithChangesAsksTheQuestion() {
  Open(ShippedParameters());
  window_->ExitClick();  // nothing changed: closes at once
  QVERIFY(!window_->isVisible());
  QVERIFY(boxes_.shown.empty());

  Open(ShippedParameters());
  ShowTab("Cost Pools");
  boxes_.yes = true;
  window_->DeleteClick();
  boxes_.shown.clear();
  boxes_.answer = MessageBoxes::Answer::kCancel;
  window_->ExitClick();
  QVERIFY(window_->isVisible());
  window_->close();  // the frame's close asks too
  QVERIFY(window_->isVisible());
  QCOMPARE(boxes_.shown,
           (std::vector<std::string>(2, "yes/no/cancel: Files Changed, Save and Exit?")));
  boxes_.answer = MessageBoxes::Answer::kNo;
  window_->ExitClick();
  QVERIFY(!window_->isVisible());
  QVERIFY(ReadFile(model_ / "CP.csv").find("A.BAKE") != std::string::npos);
}

void EditorWindowTest::openingAnotherModelWithChangesAsksTheQuestion() {
  const fs::path other = fs::path(dir_->path().toStdString()) / "other";
  fs::create_directories(other);
  fs::copy_file(model_ / "run.csv", other / "run.csv");
  std::ofstream(other / "CP.csv") << "CP,X.ONE,Only pool,PRD\r\n";
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  SelectRow(1);  // A.BAKE
  boxes_.yes = true;
  window_->DeleteClick();
  boxes_.shown.clear();
  const QString first_caption = window_->windowTitle();

  boxes_.answer = MessageBoxes::Answer::kCancel;
  window_->OpenRunFile((other / "run.csv").string());
  QCOMPARE(window_->windowTitle(), first_caption);
  QVERIFY(window_->document().DataChanged());

  boxes_.answer = MessageBoxes::Answer::kYes;
  window_->OpenRunFile((other / "run.csv").string());
  QCOMPARE(boxes_.shown, (std::vector<std::string>{"yes/no/cancel: Files Changed, Save and Exit?",
                                                   "yes/no/cancel: Files Changed, Save and Exit?",
                                                   "information: All Files written"}));
  QCOMPARE(window_->windowTitle(),
           QString::fromStdString("KORAVE - KORAV Edit - " + other.string() + "/"));
  QVERIFY(!window_->document().DataChanged());
  QVERIFY(ReadFile(model_ / "CP.csv").find("A.BAKE") == std::string::npos);
  QCOMPARE(window_->model().files[26].RecCount, 1);
}

void EditorWindowTest::saveWritesTheFiles() {
  {
    std::ofstream cakes(model_ / "CP.csv", std::ios::app | std::ios::binary);
    cakes << "CP,P.TART,Tarte aux pommes \xe0 l'ancienne,PRD\r\n";  // Latin-1
  }
  Open(ShippedParameters());
  ShowTab("Cost Pools");
  SelectRow(1);
  WhenModal<RecordDialogWindow>([](RecordDialogWindow& dialog) {
    Type(dialog, 2, "Baking and proving");
    dialog.OkClick();
  });
  window_->RecordOperationClick(DialogMode::kModify);
  SelectRow(5);  // P.TART: its description is shown, not edited, and kept as it was
  QVERIFY(Cell(5, 2).contains(QChar(0xe0)));
  WhenModal<RecordDialogWindow>([](RecordDialogWindow& dialog) {
    Type(dialog, 3, "ACT");
    dialog.OkClick();
  });
  window_->RecordOperationClick(DialogMode::kModify);
  boxes_.answer = MessageBoxes::Answer::kYes;
  window_->ExitClick();
  QCOMPARE(boxes_.shown, (std::vector<std::string>{"yes/no/cancel: Files Changed, Save and Exit?",
                                                   "information: All Files written"}));
  QVERIFY(!window_->isVisible());
  const std::string saved = ReadFile(model_ / "CP.csv");
  QVERIFY(saved.rfind("CP,A.BAKE,Baking and proving,ACT,AB.BAKE,,,,,,,\r\n", 0) == 0);
  QVERIFY(saved.find("CP,R.PREM,Premises costs,RES,AB.PREM,,,,,,,\r\n") != std::string::npos);
  QVERIFY(saved.find("CP,P.TART,Tarte aux pommes \xe0 l'ancienne,ACT,,,,,,,,\r\n") !=
          std::string::npos);
}

void EditorWindowTest::menusAndTheEditorTopics() {
  const fs::path help = fs::path(dir_->path().toStdString()) / "bin/help";
  fs::create_directories(help);
  std::ofstream(help / "1001.html") << "<html><body><h1>The editor</h1></body></html>";
  Open(ShippedParameters());
  QList<QMenu*> menus;
  QStringList titles;
  for (QAction* action : window_->menuBar()->actions()) {
    menus << action->menu();
    titles << action->text();
  }
  QCOMPARE(titles, (QStringList{"&File", "&Tools", "Help"}));
  QStringList entries;
  for (const QAction* action : menus[2]->actions()) {
    entries << (action->isSeparator() ? "-" : action->text());
  }
  QCOMPARE(entries, (QStringList{"Overview", "What's New", "License", "-", "About"}));
  QStringList file_entries;
  for (const QAction* action : menus[0]->actions()) file_entries << action->text();
  QCOMPARE(file_entries, (QStringList{"&Open Run File", "&Save Data Files", "Save &As", "&Exit"}));
  QCOMPARE(menus[1]->actions().size(), 2);
  QCOMPARE(menus[1]->actions().at(0)->text(), "Check Data");
  menus[1]->actions().at(0)->trigger();
  QCOMPARE(boxes_.shown.size(), 1u);
  QVERIFY(boxes_.shown[0].rfind("information: ", 0) == 0);
  QVERIFY(fs::exists(model_ / "KORAVECheckData.csv"));
  menus[2]->actions().at(0)->trigger();
  QVERIFY(window_->help().browser().toPlainText().contains("The editor"));
  menus[2]->actions().at(1)->trigger();
  QVERIFY(window_->help().browser().toPlainText().contains("Help topic 1011 is missing"));
  QVERIFY(window_->about_box().Lines().contains("KORAVE - KORAV Edit"));
}

void EditorWindowTest::checkDataGoesOnFromTheValidatorContextLeftBefore() {
  // Ref looks its value up in the file that the measure type validated last
  // chose: N named measures (file 33), anything else no file.
  const fs::path parameters = model_ / "parms.csv";
  std::ofstream(parameters) << "2,Things,Things,ACDMQ,TH.csv/I/TH,0,,K/1/0,f/Code/CM,f/Ref/CO S\n"
                               "3,Kinds,Kinds,ACDMQ,KI.csv/I/KI,0,,K/1/0,f/Type/CM w\n"
                               "33,,Measures,,,0,,K/1/0,f/Code/SM,f/Description/MO\n"
                               "1033,M1,Measure one\n";
  std::ofstream(model_ / "TH.csv") << "TH,A,M1\nTH,B,X\n";
  std::ofstream(model_ / "KI.csv") << "KI,N\n";
  Open(parameters);
  window_->CheckDataClick();  // fresh: no lookup for Ref; leaves the named measures chosen
  window_->CheckDataClick();  // so B's Ref X is now looked up, and not found
  ShowTab("Kinds");
  WhenModal<RecordDialogWindow>([](RecordDialogWindow& dialog) {
    Type(dialog, 1, "X");
    dialog.grid().setCurrentCell(0, 1);  // validates the row: no lookup file any more
    dialog.reject();
  });
  window_->RecordOperationClick(DialogMode::kAdd);
  window_->CheckDataClick();
  QCOMPARE(boxes_.shown,
           (std::vector<std::string>{"information: No Errors",
                                     "information: 1 Errors written to file KORAVECheckData.csv",
                                     "information: No Errors"}));
}

}  // namespace korav

QTEST_MAIN(korav::EditorWindowTest)
#include "editor_window_test.moc"
