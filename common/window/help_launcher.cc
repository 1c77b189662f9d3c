#include "common/window/help_launcher.h"

#include <QApplication>
#include <QUrl>
#include <utility>

#include "common/help_topics.h"
#include "common/paths.h"
#include "common/window/window_text.h"

namespace korav {

HelpLauncher::HelpLauncher(std::string help_directory)
    : help_directory_(std::move(help_directory)), browser_(std::make_unique<QTextBrowser>()) {
  browser_->setWindowTitle(QApplication::applicationName() + " Help");
  browser_->setSearchPaths({FromBytes(help_directory_)});
  browser_->setOpenExternalLinks(true);
  browser_->resize(760, 620);
}

HelpLauncher::~HelpLauncher() = default;

void HelpLauncher::ShowTopic(int topic) {
  const std::string path = HelpTopicPath(help_directory_, topic);
  if (FileExists(path)) {
    browser_->setSource(QUrl::fromLocalFile(FromBytes(path)));
  } else {
    browser_->setHtml(FromBytes(MissingTopicPage(topic, path)));
  }
  browser_->show();
  browser_->raise();
  browser_->activateWindow();
}

}  // namespace korav
