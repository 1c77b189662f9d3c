// The help launcher of both programs: shows a help topic, by number, in one
// help window that it keeps for the program's lifetime. A topic whose page is
// missing shows a page that says which topic and file are missing; links
// between topics are followed inside the window.
#ifndef KORAV_COMMON_WINDOW_HELP_LAUNCHER_H_
#define KORAV_COMMON_WINDOW_HELP_LAUNCHER_H_

#include <QTextBrowser>
#include <memory>
#include <string>

namespace korav {

class HelpLauncher {
 public:
  // `help_directory` holds "<topic>.html" for each topic and ends in "/".
  explicit HelpLauncher(std::string help_directory);
  ~HelpLauncher();

  // Shows topic `topic` and brings the help window to the front.
  void ShowTopic(int topic);

  // Closes the help window, as the program ends.
  void Close() { browser_->close(); }

  // The help window's page view.
  const QTextBrowser& browser() const { return *browser_; }

 private:
  std::string help_directory_;
  std::unique_ptr<QTextBrowser> browser_;
};

}  // namespace korav

#endif  // KORAV_COMMON_WINDOW_HELP_LAUNCHER_H_
