// The find row of the editor's grids: a code box under the grid's first
// column and a description box under its second (one pixel after it),
// followed by "Find First" and "Find Next". The boxes follow the columns
// when the user changes their widths.
#ifndef KORAV_EDITOR_APP_SEARCH_BOXES_H_
#define KORAV_EDITOR_APP_SEARCH_BOXES_H_

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;

namespace korav {

class SearchBoxes : public QWidget {
 public:
  explicit SearchBoxes(QTableView& grid, QWidget* parent = nullptr);

  QLineEdit* code_box() const { return code_box_; }
  QLineEdit* description_box() const { return description_box_; }
  QPushButton* find_first() const { return find_first_; }
  QPushButton* find_next() const { return find_next_; }

  // Sizes the boxes to the grid's columns 1 and 2 as they are now.
  void Place();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QTableView& grid_;
  QLineEdit* code_box_;
  QLineEdit* description_box_;
  QPushButton* find_first_;
  QPushButton* find_next_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_APP_SEARCH_BOXES_H_
