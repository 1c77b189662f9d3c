#include "editor/app/record_grid_model.h"

#include <QHeaderView>
#include <QScrollBar>
#include <utility>

#include "common/window/window_text.h"

namespace korav {
namespace {

constexpr int kRowNumberWidth = 55;

}  // namespace

void RecordGridModel::Show(int32_t columns, int32_t rows, CellText cell) {
  beginResetModel();
  columns_ = columns;
  rows_ = rows;
  cell_ = std::move(cell);
  endResetModel();
}

void RecordGridModel::Refresh() {
  if (rows_ > 0 && columns_ > 0) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
  Q_EMIT headerDataChanged(Qt::Horizontal, 0, columns_ > 0 ? columns_ - 1 : 0);
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || !cell_) return {};
  return FromBytes(cell_(index.column() + 1, index.row() + 1));
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !cell_) return {};
  if (orientation == Qt::Horizontal) return FromBytes(cell_(section + 1, 0));
  return FromBytes(cell_(0, section + 1));
}

void SetUpRecordGrid(QTableView& view) {
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view.horizontalHeader()->setHighlightSections(false);
  view.verticalHeader()->setFixedWidth(kRowNumberWidth);
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
  view.verticalHeader()->setHighlightSections(false);
  view.setWordWrap(false);
  view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view.setStyleSheet("QTableView::item { padding-left: 2px; }");
}

void SetGridColumnWidths(QTableView& view, const std::function<int(int32_t)>& width_of,
                         int32_t columns) {
  for (int32_t j = 1; j <= columns; ++j) {
    const int width = width_of(j);
    view.setColumnHidden(j - 1, width == 0);
    if (width > 0) view.setColumnWidth(j - 1, width);
  }
}

void ShowGridSelection(QTableView& view, const GridSelection& selection) {
  QAbstractItemModel* model = view.model();
  if (model == nullptr) return;
  if (selection.row < 1 || selection.row > model->rowCount()) {
    view.clearSelection();
    view.setCurrentIndex({});
  } else {
    const QModelIndex current = model->index(selection.row - 1, 0);
    view.selectionModel()->setCurrentIndex(
        current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (selection.top_row >= 1 && selection.top_row <= model->rowCount()) {
    view.verticalScrollBar()->setValue(selection.top_row - 1);
  }
}

GridSelection ReadGridSelection(const QTableView& view) {
  GridSelection selection;
  const QModelIndex current = view.currentIndex();
  selection.row = current.isValid() ? current.row() + 1 : 0;
  const int top = view.rowAt(0);
  selection.top_row = top >= 0 ? top + 1 : 1;
  return selection;
}

}  // namespace korav
