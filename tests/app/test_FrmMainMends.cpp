// Window behaviour a new user relies on: Enter presses the focused button,
// the save dialog opens where the last output went, the start message is
// wholly visible, the whole job's progress in sector mode, a Cancel question
// closed by the run's end, a file no application opens, and a second start
// bringing the window to the front.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>

#include "app/qt/InstanceBeacon.h"
#include "app/SingleInstance.h"
#include "support_Window.h"

namespace vantora::test {
namespace {

using MendsTest = WindowTest;

void PressKey(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

TEST_F(MendsTest, EnterPressesTheFocusedButton) {
  ShowAndLoad();
  form->chkCode->setChecked(true);
  form->txtCode->setText(QStringLiteral("1301"));
  form->btnAction->setFocus();
  PressKey(form->btnAction, Qt::Key_Return);
  EXPECT_EQ(dialogs.saveRequests.size(), 1u);
  PressKey(form->btnAction, Qt::Key_Enter);
  EXPECT_EQ(dialogs.saveRequests.size(), 2u);
  // During a run, Enter on Cancel asks the Cancel question.
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("a.csv")));
  form->btnCancel->setFocus();
  dialogs.Answer(IDNO);
  PressKey(form->btnCancel, Qt::Key_Return);
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("中断確認"));
  ASSERT_TRUE(WaitForEnd());
}

TEST_F(MendsTest, TheSaveDialogOpensWhereTheLastOutputWent) {
  ShowAndLoad();
  QDir(dir.path()).mkpath(QStringLiteral("reports"));
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("reports/first")));
  ASSERT_TRUE(WaitForEnd());
  dialogs.CancelSaveDialog();
  form->btnAction->click();
  ASSERT_EQ(dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(dialogs.saveRequests[1].folder, Path(QStringLiteral("reports")));
  EXPECT_EQ(dialogs.saveRequests[1].fileName, Utf8("Vantora情報.csv"));

  // And after the next start.
  EXPECT_TRUE(form->close());
  const std::unique_ptr<TFrmMain> next = NextStart();
  dialogs.CancelSaveDialog();
  next->btnAction->click();
  ASSERT_EQ(dialogs.saveRequests.size(), 3u);
  EXPECT_EQ(dialogs.saveRequests[2].folder, Path(QStringLiteral("reports")));
}

TEST_F(MendsTest, TheStartMessageIsWhollyVisible) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("a.csv")));
  const QLabel* status = form->lblStatus;
  EXPECT_EQ(status->text(), Utf8("ページ情報を取得中です。暫くお待ちください。"));
  EXPECT_GE(status->geometry().left(), 0);
  EXPECT_EQ(status->geometry().right() + 1, 251);
  EXPECT_LE(QFontMetrics(status->font()).horizontalAdvance(status->text()), status->width());
  ASSERT_TRUE(WaitForEnd());
}

TEST_F(MendsTest, SectorModeShowsTheWholeJobsProgress) {
  QuoteServer sample(VANTORA_SOURCE_DIR "/demo/site");
  ::setenv("VANTORA_BASE_URL", sample.BaseUrl().c_str(), 1);
  ShowAndLoad();
  std::vector<int> shares;
  QObject::connect(form.get(), &TFrmMain::overallProgressChanged,
                   [&](int permille) { shares.push_back(permille); });
  form->lstCtgr->item(0)->setCheckState(Qt::Checked);   // 0050: three companies
  form->lstCtgr->item(16)->setCheckState(Qt::Checked);  // 3700: two companies
  QString status;
  QString total;
  int maximum = 0;
  dialogs.AnswerWith([&] {
    status = form->lblStatus->text();
    total = form->lblTotal->text();
    maximum = form->prgBar->maximum();
    return IDNO;
  });
  dialogs.ChooseFile(Path(QStringLiteral("sectors.csv")));
  form->btnAction->click();
  ASSERT_TRUE(WaitForEnd());
  // The per-sector status and the bar over the sectors are as before.
  EXPECT_EQ(status, Utf8("業種 : [輸送用機器] 取得中 - 2/2件"));
  EXPECT_EQ(maximum, 2);
  // The whole job's share only grows, passes through the first sector's
  // companies, is one half when the second sector begins, and ends full.
  ASSERT_FALSE(shares.empty());
  EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
  EXPECT_TRUE(std::any_of(shares.begin(), shares.end(), [](int s) { return s > 0 && s < 500; }));
  EXPECT_NE(std::find(shares.begin(), shares.end(), 500), shares.end());
  EXPECT_TRUE(std::any_of(shares.begin(), shares.end(), [](int s) { return s > 500 && s < 1000; }));
  EXPECT_EQ(shares.back(), 1000);
  EXPECT_TRUE(total.startsWith(Utf8("全体 : 100%"))) << total.toStdString();
  EXPECT_TRUE(form->lblTotal->text().isEmpty());
}

TEST_F(MendsTest, ACancelQuestionClosesWhenTheRunEndsBeneathIt) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("a.csv")));
  int dismissedBeforeOpenQuestion = -1;
  dialogs.AnswerWith([&] {
    EXPECT_TRUE(WaitUntil([&] { return form->Worker == nullptr; }));
    return IDYES;  // too late: the box was taken away
  });
  dialogs.AnswerWith([&] {
    dismissedBeforeOpenQuestion = dialogs.dismissals;
    return IDNO;
  });
  form->btnCancel->click();
  EXPECT_EQ(dismissedBeforeOpenQuestion, 1);
  EXPECT_EQ(dialogs.dismissals, 1);
  EXPECT_TRUE(Idle());

  // A Cancel answered before the end takes nothing away.
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("b.csv")));
  dialogs.Answer(IDNO);
  form->btnCancel->click();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(dialogs.dismissals, 1);
}

TEST_F(MendsTest, AFileNoApplicationOpensSaysWhyAndWhere) {
  ShowAndLoad();
  dialogs.openSucceeds = false;
  dialogs.Answer(IDYES);
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("open.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.opened.size(), 1u);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text,
            Utf8(text::kNoOpener).arg(QDir::toNativeSeparators(Path(QStringLiteral("open.csv")))));
  EXPECT_EQ(dialogs.boxes[1].caption, QStringLiteral("Error"));
}

TEST_F(MendsTest, ASecondStartBringsTheWindowToTheFront) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  const std::string lockFile = SingleInstance::LockFilePath("Vantora_Test");
  EXPECT_FALSE(InstanceBeacon::Call(lockFile)) << "nobody listens yet";
  form->showMinimized();
  ASSERT_TRUE(form->isMinimized());
  {
    InstanceBeacon beacon(lockFile, [this] { form->BringToFront(); });
    ASSERT_TRUE(beacon.Listening());
    EXPECT_TRUE(InstanceBeacon::Call(lockFile));
    EXPECT_TRUE(WaitUntil([this] { return !form->isMinimized(); }));
    EXPECT_TRUE(form->isVisible());
  }
  EXPECT_FALSE(InstanceBeacon::Call(lockFile)) << "the socket goes with the program";
  qunsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace vantora::test
