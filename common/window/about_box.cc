#include "common/window/about_box.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/window/window_text.h"

namespace korav {
namespace {

constexpr int kWidth = 417;
constexpr int kHeight = 336;

QLabel* AddLine(QVBoxLayout* layout, const QString& text) {
  auto* label = new QLabel(text);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  layout->addWidget(label);
  return label;
}

}  // namespace

AboutBox::AboutBox(const AboutText& text, QWidget* parent)
    : QDialog(parent), web_address_(FromBytes(text.web_address)) {
  setWindowTitle("About");
  // A fixed dialog border without the title bar's buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(kWidth, kHeight);

  auto* layout = new QVBoxLayout(this);
  auto* panel = new QFrame;
  panel->setFrameShape(QFrame::StyledPanel);
  auto* panel_layout = new QVBoxLayout(panel);
  QLabel* product = AddLine(panel_layout, FromBytes(text.product_line));
  QFont bold = product->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  product->setFont(bold);
  AddLine(panel_layout, FromBytes(text.version_line));
  AddLine(panel_layout, FromBytes(text.notice_line));
  AddLine(panel_layout, FromBytes(text.rights_line));
  AddLine(panel_layout, "URL: " + web_address_);
  layout->addWidget(panel);

  AddLine(layout, "Program Executable");
  AddLine(layout, FromBytes(text.executable_path));
  AddLine(layout, FromBytes(text.built_line));
  layout->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

QStringList AboutBox::Lines() const {
  QStringList lines;
  for (const QLabel* label : findChildren<QLabel*>()) lines << label->text();
  return lines;
}

void AboutBox::showEvent(QShowEvent* event) {
  QGuiApplication::clipboard()->setText(web_address_);
  QDialog::showEvent(event);
}

}  // namespace korav
