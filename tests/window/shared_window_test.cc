// The window pieces both programs share: the about box and the help launcher.
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "common/window/about_box.h"
#include "common/window/help_launcher.h"

namespace korav {

class SharedWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aboutBoxShowsItsLinesAndCopiesTheAddress();
  void helpShowsATopicOrSaysItIsMissing();
};

void SharedWindowTest::aboutBoxShowsItsLinesAndCopiesTheAddress() {
  QTemporaryDir dir;
  const std::string program = dir.path().toStdString() + "/korave";
  std::ofstream(program) << "x";
  // The executable's own date, written as the box writes it.
  const QString built =
      QFileInfo(QString::fromStdString(program)).lastModified().toString("yyyy-MM-dd HH:mm:ss");
  QGuiApplication::clipboard()->setText("before");
  AboutBox box(AboutTextFor("KORAVE - KORAV Edit", program));
  QCOMPARE(box.windowTitle(), "About");
  QCOMPARE(box.size(), QSize(417, 336));
  const QStringList lines = box.Lines();
  QCOMPARE(lines.size(), 8);
  QCOMPARE(lines[0], "KORAVE - KORAV Edit");
  QCOMPARE(lines[1], "Version 0.7");
  QVERIFY(!lines[2].isEmpty());
  QCOMPARE(lines[3], "All rights reserved");
  QVERIFY(lines[4].startsWith("URL: https://"));
  QCOMPARE(lines[5], "Program Executable");
  QCOMPARE(lines[6], QString::fromStdString(program));
  QCOMPARE(lines[7], "Built " + built);
  QCOMPARE(QGuiApplication::clipboard()->text(), "before");

  box.show();
  QCOMPARE(QGuiApplication::clipboard()->text(), lines[4].mid(5));
  auto* ok = box.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  QCOMPARE(ok->text().remove('&'), "OK");
  QTest::mouseClick(ok, Qt::LeftButton);
  QVERIFY(!box.isVisible());
}

void SharedWindowTest::helpShowsATopicOrSaysItIsMissing() {
  QTemporaryDir dir;
  const std::string help = dir.path().toStdString() + "/";
  std::ofstream(help + "1000.html")
      << "<html><body><h1>Overview</h1><a href=\"1030.html\">Run file</a></body></html>";
  HelpLauncher launcher(help);
  launcher.ShowTopic(1000);
  QVERIFY(launcher.browser().isVisible());
  QVERIFY(launcher.browser().toPlainText().startsWith("Overview"));
  launcher.ShowTopic(1030);
  const QString missing = launcher.browser().toPlainText();
  QVERIFY2(missing.contains("Help topic 1030 is missing"), qPrintable(missing));
  QVERIFY(missing.contains(QString::fromStdString(help + "1030.html")));
}

}  // namespace korav

QTEST_MAIN(korav::SharedWindowTest)
#include "shared_window_test.moc"
