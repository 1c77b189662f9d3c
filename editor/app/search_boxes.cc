#include "editor/app/search_boxes.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <algorithm>

namespace korav {
namespace {

constexpr int kMinimumBoxWidth = 40;
constexpr int kGap = 6;

}  // namespace

SearchBoxes::SearchBoxes(QTableView& grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  code_box_ = new QLineEdit(this);
  code_box_->setObjectName("CodeSearch");
  description_box_ = new QLineEdit(this);
  description_box_->setObjectName("DescriptionSearch");
  find_first_ = new QPushButton("Find First", this);
  find_next_ = new QPushButton("Find Next", this);
  setFixedHeight(std::max(code_box_->sizeHint().height(), find_first_->sizeHint().height()));
  connect(grid_.horizontalHeader(), &QHeaderView::sectionResized, this, [this] { Place(); });
  connect(grid_.horizontalHeader(), &QHeaderView::geometriesChanged, this, [this] { Place(); });
}

void SearchBoxes::Place() {
  const int left = grid_.frameWidth() + grid_.verticalHeader()->width();
  const int code_width = std::max(grid_.columnWidth(0), kMinimumBoxWidth);
  const int description_width = std::max(grid_.columnWidth(1), kMinimumBoxWidth);
  const int height = this->height();
  code_box_->setGeometry(left, 0, code_width, height);
  description_box_->setGeometry(left + code_width + 1, 0, description_width, height);
  int x = left + code_width + 1 + description_width + kGap;
  for (QPushButton* button : {find_first_, find_next_}) {
    const int width = button->sizeHint().width();
    button->setGeometry(x, 0, width, height);
    x += width + kGap;
  }
}

void SearchBoxes::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Place();
}

}  // namespace korav
