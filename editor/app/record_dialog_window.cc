#include "editor/app/record_dialog_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>

#include "common/window/help_launcher.h"
#include "common/window/window_text.h"
#include "editor/app/select_dialog_window.h"

namespace korav {
namespace {

// Grid columns 1 to 4 of the dialog; column 0, the field titles, is the
// fixed column (the view's row header).
enum ViewColumn { kValue, kDescription, kMarker, kLookup };
constexpr std::array<int, 4> kColumnWidths{400, 250, 15, 23};
constexpr int kTitleColumnWidth = 150;
constexpr int kGridWidth = 890;

int GridColumnOf(int view_column) { return view_column + 1; }

QTableWidgetItem* ReadOnlyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

QModelIndex RecordDialogGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (action != MoveNext || core_.RowCount() == 0) {
    return QTableWidget::moveCursor(action, modifiers);
  }
  const int32_t row = currentRow() >= 0 ? currentRow() + 1 : 1;
  return model()->index(core_.NextRow(row) - 1, kValue);
}

void RecordDialogGrid::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool opens = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
  const int32_t row = currentRow() + 1;
  if (opens && currentColumn() == kLookup && row >= 1 && row <= core_.RowCount() &&
      core_.Row(row).lookup) {
    // Taken here, Enter does not reach the dialog's default button.
    event->accept();
    open_lookup_(row);
    return;
  }
  QTableWidget::keyPressEvent(event);
}

RecordDialogWindow::RecordDialogWindow(EditorModel& model, FieldValidator& validator,
                                       SelectDialogWindow& select, HelpLauncher& help,
                                       QWidget* parent)
    : QDialog(parent), core_(model, validator), select_(select), help_(help) {
  setObjectName("RecordDialog");
  auto* layout = new QVBoxLayout(this);
  title_line_ = new QLabel;
  title_line_->setObjectName("TitleLine");
  message_line_ = new QLabel;
  message_line_->setObjectName("MessageLine");
  message_line_->setStyleSheet("color: darkblue; font-weight: bold;");
  layout->addWidget(title_line_);
  layout->addWidget(message_line_);

  grid_ = new RecordDialogGrid(core_, [this](int32_t row) { LookupClick(row); });
  grid_->setObjectName("Grid");
  grid_->setColumnCount(static_cast<int>(kColumnWidths.size()));
  grid_->setHorizontalHeaderLabels({"Value", "Description", "", ""});
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (size_t c = 0; c < kColumnWidths.size(); ++c) {
    grid_->setColumnWidth(static_cast<int>(c), kColumnWidths[c]);
  }
  grid_->verticalHeader()->setFixedWidth(kTitleColumnWidth);
  grid_->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  // A double-click on a row belongs to its ">>"; typing or a second click
  // starts an edit.
  grid_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->setFixedWidth(kGridWidth);
  layout->addWidget(grid_, 1);

  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
    if (row >= 0 && column >= 0) CellSelected(GridColumnOf(column), row + 1);
  });
  connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (column == kLookup) LookupClick(row + 1);
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this,
          [this](int row, int) { RowDoubleClick(row + 1); });
  connect(grid_, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { ValueEdited(item); });

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  ok->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  QPushButton* help_button = buttons->addButton(QDialogButtonBox::Help);
  connect(ok, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(help_button, &QPushButton::clicked, this, [this] {
    if (core_.HelpContext() != 0) help_.ShowTopic(core_.HelpContext());
  });
  layout->addWidget(buttons);
}

OkResult RecordDialogWindow::Run(DialogMode mode, int32_t fileNr, int32_t recordNr) {
  core_.Open(mode, fileNr, recordNr);
  result_ = OkResult::kClosed;
  ShowRows();
  ShowLines();
  {
    const QSignalBlocker quiet(grid_);
    if (core_.SelectedRow() >= 1) grid_->setCurrentCell(core_.SelectedRow() - 1, kValue);
  }
  grid_->setFocus();
  return exec() == QDialog::Accepted ? result_ : OkResult::kClosed;
}

void RecordDialogWindow::CellSelected(int column, int32_t row) {
  // The lookup opens on a click of ">>", not whenever the cell is reached.
  core_.SelectCell(column, row);
  ShowRows();
  ShowLines();
}

void RecordDialogWindow::LookupClick(int32_t row) {
  const std::optional<LookupRequest> request = core_.SelectCell(kLookupColumn, row);
  ShowRows();
  ShowLines();
  if (request) OpenLookup(row, *request);
}

void RecordDialogWindow::RowDoubleClick(int32_t row) {
  const std::optional<LookupRequest> request = core_.DoubleClickRow(row);
  if (request) OpenLookup(row, *request);
}

void RecordDialogWindow::OpenLookup(int32_t row, const LookupRequest& request) {
  const std::string code = select_.Choose(request.file_nr, request.search_text);
  core_.ChooseCode(row, request, code);
  ShowRows();
  ShowLines();
}

void RecordDialogWindow::OkClick() {
  result_ = core_.Ok();
  if (result_ == OkResult::kStayOpen) {
    ShowRows();
    ShowLines();
    if (core_.ErrorRow() >= 1) {
      const QSignalBlocker quiet(grid_);
      grid_->setCurrentCell(core_.ErrorRow() - 1, kValue);
    }
    return;
  }
  accept();
}

void RecordDialogWindow::ValueEdited(QTableWidgetItem* item) {
  if (item->column() != kValue) return;
  const int32_t row = item->row() + 1;
  core_.SetValue(row, ToBytes(item->text(), core_.Row(row).value));
}

void RecordDialogWindow::ShowRows() {
  const QSignalBlocker quiet(grid_);
  const int32_t count = core_.RowCount();
  grid_->setRowCount(count);
  for (int32_t r = 1; r <= count; ++r) {
    const DialogRow& row = core_.Row(r);
    const int view_row = r - 1;
    grid_->setVerticalHeaderItem(view_row, new QTableWidgetItem(FromBytes(row.caption)));
    auto* value = new QTableWidgetItem(FromBytes(row.value));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (core_.IsEditable(r)) flags |= Qt::ItemIsEditable;
    value->setFlags(flags);
    grid_->setItem(view_row, kValue, value);
    grid_->setItem(view_row, kDescription, ReadOnlyItem(FromBytes(row.description)));
    grid_->setItem(view_row, kMarker, ReadOnlyItem(FromBytes(row.marker)));
    grid_->setItem(view_row, kLookup, ReadOnlyItem(row.lookup ? ">>" : ""));
    grid_->setRowHidden(view_row, r > core_.VisibleRowCount());
  }
}

void RecordDialogWindow::ShowLines() {
  setWindowTitle(FromBytes(core_.Caption()));
  title_line_->setText(FromBytes(core_.TitleLine()));
  message_line_->setText(FromBytes(core_.MessageLine()));
}

}  // namespace korav
