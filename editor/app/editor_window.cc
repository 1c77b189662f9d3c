#include "editor/app/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <utility>

#include "common/help_topics.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/window/window_text.h"
#include "editor/app/search_boxes.h"
#include "editor/core/checks.h"
#include "editor/core/process_open.h"
#include "editor/core/select_dialog.h"

namespace korav {
namespace {

constexpr const char* kDeleteQuestion = "Delete Current Record";
constexpr const char* kExitQuestion = "Files Changed, Save and Exit?";
constexpr const char* kFileSummary = "File Summary";
constexpr int kWidestDesktop = 1376;
constexpr int kWidth = 1350;
constexpr int kHighestDesktop = 768;
constexpr int kHeight = 740;

QPushButton* NamedButton(const char* name, const char* caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

}  // namespace

EditorWindow::EditorWindow(EditorPaths paths, MessageBoxes& boxes)
    : paths_(std::move(paths)),
      boxes_(boxes),
      host_(boxes),
      help_(HelpDirectory(paths_.program_folder)),
      about_box_(new AboutBox(AboutTextFor("KORAVE - KORAV Edit", ProgramPath()), this)),
      select_dialog_(new SelectDialogWindow(model_, this)),
      record_dialog_(new RecordDialogWindow(model_, validator_, *select_dialog_, help_, this)) {
  setWindowTitle("KORAVE - KORAV Edit");
  BuildMenus();
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  grid_ = new QTableView;
  grid_->setObjectName("Grid");
  grid_->setModel(&grid_model_);
  SetUpRecordGrid(*grid_);
  connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) GridDoubleClick();
  });
  layout->addWidget(BuildPanel());
  layout->addWidget(grid_, 1);
  tabs_ = new QTabBar;
  tabs_->setObjectName("Tabs");
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { TabChanged(index); });
  layout->addWidget(tabs_);
  setCentralWidget(central);
  SizeToDesktop();
}

void EditorWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  connect(file->addAction("&Open Run File"), &QAction::triggered, this, [this] {
    const QString chosen =
        QFileDialog::getOpenFileName(this, "Open Run File", FromBytes(model_.DataFolder));
    if (!chosen.isEmpty()) OpenRunFile(ToBytes(chosen));
  });
  connect(file->addAction("&Save Data Files"), &QAction::triggered, this, [this] { SaveClick(); });
  connect(file->addAction("Save &As"), &QAction::triggered, this, [this] {
    const std::string offered = last_save_folder_.empty() ? model_.DataFolder : last_save_folder_;
    const QString chosen = QFileDialog::getExistingDirectory(this, "Save As", FromBytes(offered));
    if (!chosen.isEmpty()) SaveAs(ToBytes(chosen));
  });
  connect(file->addAction("&Exit"), &QAction::triggered, this, [this] { ExitClick(); });

  QMenu* tools = menuBar()->addMenu("&Tools");
  connect(tools->addAction("Check Data"), &QAction::triggered, this, [this] { CheckDataClick(); });
  connect(tools->addAction("Check Parms"), &QAction::triggered, this,
          [this] { CheckParmsClick(); });

  QMenu* help = menuBar()->addMenu("Help");
  const std::pair<const char*, int> topics[] = {{"Overview", kHelpEditorOverview},
                                                {"What's New", kHelpEditorWhatsNew},
                                                {"License", kHelpLicense}};
  for (const auto& [entry, topic] : topics) {
    connect(help->addAction(entry), &QAction::triggered, this,
            [this, topic = topic] { help_.ShowTopic(topic); });
  }
  help->addSeparator();
  connect(help->addAction("About"), &QAction::triggered, this, [this] { about_box_->ShowAbout(); });
}

QWidget* EditorWindow::BuildPanel() {
  auto* panel = new QWidget;
  panel->setObjectName("Panel");
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  title_line_ = new QLabel;
  title_line_->setObjectName("TitleLine");
  layout->addWidget(title_line_);

  auto* buttons = new QHBoxLayout;
  const std::tuple<Operation, const char*, const char*> operations[] = {
      {Operation::kAdd, "AddButton", "Add"},
      {Operation::kCopy, "CopyButton", "Copy"},
      {Operation::kModify, "ModifyButton", "Modify"},
      {Operation::kDelete, "DeleteButton", "Delete"},
      {Operation::kQuery, "QueryButton", "Query"}};
  for (const auto& [operation, name, caption] : operations) {
    QPushButton* button = NamedButton(name, caption);
    operation_buttons_[operation] = button;
    buttons->addWidget(button);
  }
  connect(operation_buttons_[Operation::kAdd], &QPushButton::clicked, this,
          [this] { RecordOperationClick(DialogMode::kAdd); });
  connect(operation_buttons_[Operation::kCopy], &QPushButton::clicked, this,
          [this] { RecordOperationClick(DialogMode::kCopy); });
  connect(operation_buttons_[Operation::kModify], &QPushButton::clicked, this,
          [this] { RecordOperationClick(DialogMode::kModify); });
  connect(operation_buttons_[Operation::kQuery], &QPushButton::clicked, this,
          [this] { RecordOperationClick(DialogMode::kQuery); });
  connect(operation_buttons_[Operation::kDelete], &QPushButton::clicked, this,
          [this] { DeleteClick(); });
  help_button_ = NamedButton("HelpButton", "?");
  connect(help_button_, &QPushButton::clicked, this, [this] { HelpButtonClick(); });
  buttons->addWidget(help_button_);
  buttons->addStretch();
  layout->addLayout(buttons);

  search_ = new SearchBoxes(*grid_);
  connect(search_->find_first(), &QPushButton::clicked, this, [this] { FindFirstClick(); });
  connect(search_->find_next(), &QPushButton::clicked, this, [this] { FindNextClick(); });
  layout->addWidget(search_);

  // Behind the panel: the caption the catalogue shows instead of it.
  panel_stack_ = new QStackedWidget;
  panel_stack_->setObjectName("PanelStack");
  panel_stack_->addWidget(panel);
  auto* summary = new QLabel(kFileSummary);
  summary->setObjectName("FileSummary");
  summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  panel_stack_->addWidget(summary);
  panel_stack_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  return panel_stack_;
}

void EditorWindow::SizeToDesktop() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QSize desktop = screen->size();
  resize(desktop.width() <= kWidestDesktop ? desktop.width() : kWidth,
         desktop.height() <= kHighestDesktop ? desktop.height() : kHeight);
  move(0, 0);
}

bool EditorWindow::StartUp(const std::optional<std::string>& run_argument,
                           const std::optional<std::string>& parameter_argument) {
  try {
    FindEditorPaths(run_argument, parameter_argument, paths_);
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
    return false;
  }
  return OpenModel();
}

bool EditorWindow::OpenModel() {
  document_.reset();
  try {
    ProcessOpen(model_, paths_.parameter_file, paths_.data_folder, host_);
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
    grid_model_.Show(0, 0, {});
    ShowTabs();
    return false;
  }
  setWindowTitle(FromBytes(EditorCaption(model_.DataFolder)));
  document_ = std::make_unique<EditorDocument>(model_);
  document_->LoadTabsinTabControl();
  if (!document_->TabMap().empty()) document_->TabControl1Change(0);
  ShowTabs();
  ShowCurrentFile();
  search_->code_box()->clear();
  search_->description_box()->clear();
  return true;
}

bool EditorWindow::Ready() const { return document_ != nullptr && document_->CurrentTab() >= 0; }

void EditorWindow::ShowTabs() {
  const QSignalBlocker quiet(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  if (document_ == nullptr) return;
  for (const int32_t file_nr : document_->TabMap()) {
    tabs_->addTab(FromBytes(model_.files[static_cast<size_t>(file_nr)].TabName));
  }
  tabs_->setCurrentIndex(document_->CurrentTab());
}

void EditorWindow::ShowCurrentFile() {
  if (!Ready()) return;
  const TmyParmRec& file = model_.files[static_cast<size_t>(document_->CurrentFileNr())];
  title_line_->setText(FromBytes(document_->TitleLine()));
  panel_stack_->setCurrentIndex(document_->PanelVisible() ? 0 : 1);
  grid_model_.Show(file.FieldCount, file.RecCount, [this](int32_t column, int32_t row) {
    return document_->CellText(column, row);
  });
  SetGridColumnWidths(
      *grid_,
      [&file](int32_t j) { return FieldColumnWidth(file.Fields[static_cast<size_t>(j)].Size()); },
      file.FieldCount);
  search_->Place();
  ShowButtons();
  ShowGridSelection(*grid_, document_->Selection());
}

void EditorWindow::ShowButtons() {
  const std::set<Operation> enabled = document_->RefreshCRUDButtons();
  for (const auto& [operation, button] : operation_buttons_) {
    button->setEnabled(enabled.count(operation) > 0);
  }
  const bool find = enabled.count(Operation::kFind) > 0;
  search_->find_first()->setEnabled(find);
  search_->find_next()->setEnabled(find);
}

void EditorWindow::ReadGridState() {
  if (Ready()) document_->Selection() = ReadGridSelection(*grid_);
}

void EditorWindow::TabChanged(int index) {
  if (document_ == nullptr || index < 0) return;
  ReadGridState();
  document_->TabControl1Change(index);
  // Onto the details of the master record selected before, the code box
  // shows what was searched.
  search_->code_box()->setText(document_->FindColumn() == 1 ? FromBytes(document_->SavedKeyValue())
                                                            : QString());
  search_->description_box()->clear();
  ShowCurrentFile();
}

void EditorWindow::RecordOperationClick(DialogMode mode) {
  if (!Ready()) return;
  ReadGridState();
  if (mode == DialogMode::kAdd || mode == DialogMode::kCopy) {
    std::string message;
    if (!document_->HasDataSpace(message)) {
      boxes_.Error(message);
      return;
    }
  }
  const int32_t record = mode == DialogMode::kAdd ? 0 : document_->SelectedRecord();
  if (mode != DialogMode::kAdd && record == 0) return;
  switch (record_dialog_->Run(mode, document_->CurrentFileNr(), record)) {
    case OkResult::kAdded: {
      const int32_t added = record_dialog_->RecordNr();
      document_->RecordAdded(added);
      if (document_->FindColumn() == 1) {
        search_->code_box()->setText(FromBytes(model_.Record(added).Value(1)));
      }
      break;
    }
    case OkResult::kModified:
      document_->RecordModified();
      break;
    default:
      return;
  }
  ShowTabs();
  ShowCurrentFile();
}

void EditorWindow::DeleteClick() {
  if (!Ready()) return;
  ReadGridState();
  if (document_->SelectedRecord() == 0 || !boxes_.YesOrNo(kDeleteQuestion)) return;
  document_->DeleteRec();
  ShowTabs();
  ShowCurrentFile();
}

void EditorWindow::FindFirstClick() {
  if (!Ready()) return;
  ReadGridState();
  document_->FindFirst(ToBytes(search_->code_box()->text()),
                       ToBytes(search_->description_box()->text()));
  ShowGridSelection(*grid_, document_->Selection());
}

void EditorWindow::FindNextClick() {
  if (!Ready()) return;
  ReadGridState();
  document_->FindNext(ToBytes(search_->code_box()->text()),
                      ToBytes(search_->description_box()->text()));
  ShowGridSelection(*grid_, document_->Selection());
}

void EditorWindow::GridDoubleClick() {
  if (!Ready()) return;
  ReadGridState();
  const int32_t record = document_->SelectedRecord();
  if (record == 0) return;
  if (document_->CurrentTab() == 0) {
    const int32_t file_nr = IntOr(model_.Record(record).Value(1), 0);
    const std::vector<int32_t>& tab_map = document_->TabMap();
    for (size_t t = 0; t < tab_map.size(); ++t) {
      if (tab_map[t] == file_nr) tabs_->setCurrentIndex(static_cast<int>(t));
    }
    return;
  }
  const bool modify = document_->RefreshCRUDButtons().count(Operation::kModify) > 0;
  RecordOperationClick(modify ? DialogMode::kModify : DialogMode::kQuery);
}

void EditorWindow::HelpButtonClick() {
  if (!Ready()) return;
  const int32_t topic = model_.files[static_cast<size_t>(document_->CurrentFileNr())].HelpContext;
  if (topic != 0) help_.ShowTopic(topic);
}

void EditorWindow::OpenRunFile(const std::string& run_file) {
  // Opening another model replaces the one in memory: changes not yet saved
  // are offered for saving first, as on exit.
  if (!MayClose()) return;
  paths_.run_file = run_file;
  paths_.data_folder = WithTrailingSeparator(DirectoryOf(run_file));
  if (paths_.data_folder.empty()) paths_.data_folder = "./";
  OpenModel();
}

bool EditorWindow::SaveFiles() {
  try {
    boxes_.Information(document_->Save());
    return true;
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
    return false;
  }
}

void EditorWindow::SaveClick() {
  if (document_ != nullptr) SaveFiles();
}

void EditorWindow::SaveAs(const std::string& folder) {
  if (document_ == nullptr) return;
  last_save_folder_ = folder;
  try {
    boxes_.Information(document_->SaveAs(folder));
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
  }
  setWindowTitle(FromBytes(EditorCaption(model_.DataFolder)));
}

bool EditorWindow::MayClose() {
  if (document_ == nullptr || !document_->DataChanged()) return true;
  switch (boxes_.YesNoOrCancel(kExitQuestion)) {
    case MessageBoxes::Answer::kYes:
      return SaveFiles();
    case MessageBoxes::Answer::kNo:
      return true;
    default:
      return false;
  }
}

void EditorWindow::ExitClick() {
  if (!MayClose()) return;
  exit_confirmed_ = true;
  close();
}

// Closing the window by its frame asks the exit question too: without it,
// changes not yet saved would be lost without a word.
void EditorWindow::closeEvent(QCloseEvent* event) {
  if (!exit_confirmed_ && !MayClose()) {
    event->ignore();
    return;
  }
  exit_confirmed_ = true;
  help_.Close();
  event->accept();
}

void EditorWindow::CheckDataClick() {
  if (document_ == nullptr) return;
  try {
    boxes_.Information(CheckData(model_, validator_, host_).Summary);
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
  }
}

void EditorWindow::CheckParmsClick() {
  if (document_ == nullptr) return;
  try {
    boxes_.Information(CheckParms(model_, host_).Summary);
  } catch (const EditorFailure& failure) {
    boxes_.Error(failure.what());
  }
}

}  // namespace korav
