// The about box that both programs show from their Help menus: a fixed-size
// modal dialog with the product, version, notice, rights and web lines, the
// running executable and when it was built, and an OK button. Showing it
// puts the web address on the clipboard.
#ifndef KORAV_COMMON_WINDOW_ABOUT_BOX_H_
#define KORAV_COMMON_WINDOW_ABOUT_BOX_H_

#include <QDialog>
#include <QStringList>

#include "common/about.h"

namespace korav {

class AboutBox : public QDialog {
 public:
  AboutBox(const AboutText& text, QWidget* parent = nullptr);

  // Shows the box modally.
  void ShowAbout() { exec(); }

  // The lines the box shows, top to bottom.
  QStringList Lines() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString web_address_;
};

}  // namespace korav

#endif  // KORAV_COMMON_WINDOW_ABOUT_BOX_H_
