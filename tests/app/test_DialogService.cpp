// The Qt dialog service: Windows-style flags become the right buttons,
// default button, icon and stay-on-top hint; a box taken away by the program;
// opening a file no application takes; the save dialog's filter and folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/qt/QtDialogService.h"
#include "support_App.h"

namespace vantora {
namespace {

// Runs `inspect` on the message box once it is on screen, then presses its
// default button (Enter).
int ShowAndPressEnter(unsigned flags, const std::function<void(QMessageBox&)>& inspect) {
  QtDialogService service;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    inspect(*box);
    if (QPushButton* button = box->defaultButton()) {
      button->click();
    } else {
      ADD_FAILURE() << "no default button";
      box->reject();
    }
  });
  return service.MessageBox(nullptr, QStringLiteral("line 1\r\nline 2"), QStringLiteral("Caption"),
                            flags);
}

TEST(QtDialogService, FlagsChooseButtonsDefaultIconAndTopmost) {
  EXPECT_EQ(ShowAndPressEnter(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | MB_DEFBUTTON2,
                              [](QMessageBox& box) {
                                EXPECT_EQ(box.windowTitle(), QStringLiteral("Caption"));
                                EXPECT_EQ(box.text(), QStringLiteral("line 1\nline 2"));
                                EXPECT_EQ(box.icon(), QMessageBox::Question);
                                EXPECT_EQ(box.buttons().size(), 2);
                                EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
                                EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
                              }),
            IDNO);
  EXPECT_EQ(ShowAndPressEnter(MB_YESNO | MB_ICONQUESTION, [](QMessageBox& box) {
              EXPECT_FALSE(box.windowFlags() & Qt::WindowStaysOnTopHint);
            }),
            IDYES);
  EXPECT_EQ(ShowAndPressEnter(MB_OK | MB_ICONINFORMATION | MB_TOPMOST, [](QMessageBox& box) {
              EXPECT_EQ(box.icon(), QMessageBox::Information);
              EXPECT_EQ(box.buttons().size(), 1);
            }),
            IDOK);
}

TEST(QtDialogService, ADismissedQuestionReadsAsNoAndOnlyTheInnermostGoes) {
  QtDialogService service;
  QWidget owner;
  service.DismissMessageBox(&owner);  // none open: nothing happens
  int inner = -1;
  QTimer::singleShot(0, [&] {
    // A second question over the first; the dismissal takes the inner one.
    QTimer::singleShot(0, [&] {
      service.DismissMessageBox(&owner);
      QTimer::singleShot(0, [&] { service.DismissMessageBox(&owner); });
    });
    inner = service.MessageBox(&owner, QStringLiteral("inner"), QStringLiteral("Inner"),
                               MB_YESNO | MB_ICONQUESTION);
  });
  // Yes is the default, so only a dismissal gives No here.
  EXPECT_EQ(service.MessageBox(&owner, QStringLiteral("outer"), QStringLiteral("Outer"),
                               MB_YESNO | MB_ICONQUESTION),
            IDNO);
  EXPECT_EQ(inner, IDNO);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtDialogService, OnlyAFileSomeApplicationTakesGoesToTheOpener) {
  QTemporaryDir tools;
  ASSERT_TRUE(tools.isValid());
  const QString marker = tools.filePath(QStringLiteral("opened"));
  const auto script = [&](const QString& name, const QByteArray& body) {
    QFile file(tools.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  };
  // The desktop's type database knows no application for CSV files.
  script(QStringLiteral("xdg-mime"), "exit 0");
  script(QStringLiteral("xdg-open"), "/usr/bin/touch '" + marker.toLocal8Bit() + "'");
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", tools.path().toLocal8Bit());
  const QString csv = tools.filePath(QStringLiteral("out.csv"));
  QtDialogService service;
  EXPECT_FALSE(service.OpenDocument(csv));
  EXPECT_FALSE(QFileInfo::exists(marker));
  // An application for the type: the opener gets the file.
  script(QStringLiteral("xdg-mime"), "echo calc.desktop");
  EXPECT_TRUE(service.OpenDocument(csv));
  EXPECT_TRUE(test::WaitUntil([&] { return QFileInfo::exists(marker); }));
  // No desktop tools at all.
  QFile::remove(marker);
  QFile::remove(tools.filePath(QStringLiteral("xdg-mime")));
  EXPECT_FALSE(service.OpenDocument(csv));
  qputenv("PATH", path);
}

TEST(QtDialogService, TheSaveDialogOpensInTheUsersFoldersNeverTheCurrentOne) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
  EXPECT_EQ(SaveDialogFolder(QString()), QDir::homePath()) << "no documents folder yet";
  const QString documents = home.path() + QStringLiteral("/Documents");
  ASSERT_TRUE(QDir().mkpath(documents));
  EXPECT_EQ(SaveDialogFolder(QString()), documents) << "a first start";
  EXPECT_EQ(SaveDialogFolder(home.path() + QStringLiteral("/gone")), documents) << "a folder since removed";
  const QString last = home.path() + QStringLiteral("/out");
  ASSERT_TRUE(QDir().mkpath(last));
  EXPECT_EQ(SaveDialogFolder(last), last) << "the folder the last output went to";
  qputenv("HOME", savedHome);
  if (savedConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", savedConfig);
}

TEST(QtDialogService, FilterInQtSyntax) {
  EXPECT_EQ(ToQtFilter(test::Utf8("CSVファイル (*.csv)|*.csv")), test::Utf8("CSVファイル (*.csv)"));
  EXPECT_EQ(ToQtFilter(QStringLiteral("Text|*.txt;*.log|All (*.*)|*.*")),
            QStringLiteral("Text (*.txt *.log);;All (*.*)"));
}

}  // namespace
}  // namespace vantora
