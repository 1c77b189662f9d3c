// The table behind the editor's read-only grids (the main window's and the
// select dialog's): one file's records in key-list order, with the field
// titles as the header row and the row numbers as the fixed column.
//
// The model asks its cell function for each cell only when the view draws
// it, so a file of any size shows at once. Cell (column, row) of the
// function is the grid's: row 0 the titles, column 0 the row numbers, data
// from (1, 1); the view's row r and column c are the grid's r + 1 and c + 1.
#ifndef KORAV_EDITOR_APP_RECORD_GRID_MODEL_H_
#define KORAV_EDITOR_APP_RECORD_GRID_MODEL_H_

#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <string>

#include "editor/core/record_finder.h"

namespace korav {

class RecordGridModel : public QAbstractTableModel {
 public:
  using CellText = std::function<std::string(int32_t column, int32_t row)>;

  explicit RecordGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Shows `columns` fields of `rows` records, their texts from `cell`.
  void Show(int32_t columns, int32_t rows, CellText cell);
  // The texts changed, not the shape.
  void Refresh();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  CellText cell_;
};

// Sets up `view` as a grid of whole-row selection with adjustable column
// widths, a 55-pixel row-number column and rows of one height.
void SetUpRecordGrid(QTableView& view);

// Gives grid column j (1..columns) the width `width_of(j)` in pixels; a
// width of 0 hides the column.
void SetGridColumnWidths(QTableView& view, const std::function<int(int32_t)>& width_of,
                         int32_t columns);

// Selects grid row `selection.row` (none for 0) and scrolls so that
// `selection.top_row` is the first row shown.
void ShowGridSelection(QTableView& view, const GridSelection& selection);

// The grid row of the view's current row (0 for none) and its first row shown.
GridSelection ReadGridSelection(const QTableView& view);

}  // namespace korav

#endif  // KORAV_EDITOR_APP_RECORD_GRID_MODEL_H_
