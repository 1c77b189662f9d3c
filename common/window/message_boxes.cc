#include "common/window/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "common/window/window_text.h"

namespace korav {

void QtMessageBoxes::Information(const std::string& text) {
  QMessageBox::information(parent_, QApplication::applicationName(), FromBytes(text));
}

void QtMessageBoxes::Error(const std::string& text) {
  QMessageBox::critical(parent_, QApplication::applicationName(), FromBytes(text));
}

bool QtMessageBoxes::RetryOrCancel(const std::string& text) {
  return QMessageBox::critical(parent_, QApplication::applicationName(), FromBytes(text),
                               QMessageBox::Retry | QMessageBox::Cancel,
                               QMessageBox::Retry) == QMessageBox::Retry;
}

bool QtMessageBoxes::YesOrNo(const std::string& text) {
  return QMessageBox::question(parent_, QApplication::applicationName(), FromBytes(text),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

MessageBoxes::Answer QtMessageBoxes::YesNoOrCancel(const std::string& text) {
  switch (QMessageBox::question(parent_, QApplication::applicationName(), FromBytes(text),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

}  // namespace korav
