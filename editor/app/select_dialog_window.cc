#include "editor/app/select_dialog_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/window/window_text.h"
#include "editor/app/search_boxes.h"

namespace korav {

SelectDialogWindow::SelectDialogWindow(const EditorModel& model, QWidget* parent)
    : QDialog(parent), core_(model) {
  setObjectName("SelectDialog");
  setWindowTitle(kSelectRecordCaption);
  resize(900, 560);
  auto* layout = new QVBoxLayout(this);
  title_line_ = new QLabel;
  title_line_->setObjectName("TitleLine");
  layout->addWidget(title_line_);

  grid_ = new QTableView;
  grid_->setObjectName("Grid");
  grid_->setModel(&grid_model_);
  SetUpRecordGrid(*grid_);

  search_ = new SearchBoxes(*grid_);
  code_box_ = search_->code_box();
  description_box_ = search_->description_box();
  connect(search_->find_first(), &QPushButton::clicked, this, [this] { FindFirstClick(); });
  connect(search_->find_next(), &QPushButton::clicked, this, [this] { FindNextClick(); });
  layout->addWidget(search_);
  layout->addWidget(grid_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OkClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) OkClick();
  });
}

std::string SelectDialogWindow::Choose(int32_t fileNr, const std::string& proposed) {
  core_.Open(fileNr, proposed);
  title_line_->setText(FromBytes(core_.TitleLine()));
  grid_model_.Show(core_.ColumnCount() - 1, core_.RowCount(),
                   [this](int32_t column, int32_t row) { return core_.CellText(column, row); });
  SetGridColumnWidths(
      *grid_, [this](int32_t column) { return core_.ColumnWidth(column); },
      core_.ColumnCount() - 1);
  search_->Place();
  code_box_->setText(FromBytes(core_.code_text));
  description_box_->clear();
  ShowSelection();
  if (exec() != QDialog::Accepted) return {};
  return core_.SelectedCode();
}

void SelectDialogWindow::ReadSearchBoxes() {
  core_.code_text = ToBytes(code_box_->text(), core_.code_text);
  core_.description_text = ToBytes(description_box_->text(), core_.description_text);
  core_.Selection() = ReadGridSelection(*grid_);
}

void SelectDialogWindow::FindFirstClick() {
  ReadSearchBoxes();
  core_.FindFirst();
  ShowSelection();
}

void SelectDialogWindow::FindNextClick() {
  ReadSearchBoxes();
  core_.FindNext();
  ShowSelection();
}

void SelectDialogWindow::OkClick() {
  core_.Selection() = ReadGridSelection(*grid_);
  core_.Ok();
  accept();
}

void SelectDialogWindow::ShowSelection() { ShowGridSelection(*grid_, core_.Selection()); }

}  // namespace korav
