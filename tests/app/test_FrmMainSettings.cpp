// The settings file through the window: first start without a file, the
// Code, CodeList and Category keys as read, saving on close (Shift-JIS,
// trimmed code text, other content kept), a refused write, and a file that
// starts with a byte-order mark and is a symbolic link.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "common/Charset.h"
#include "support_Window.h"

namespace vantora::test {
namespace {

using SettingsTest = WindowTest;

int TickCount(QListWidget* list) {
  int ticked = 0;
  for (int i = 0; i < list->count(); ++i) ticked += list->item(i)->checkState() == Qt::Checked;
  return ticked;
}

TEST_F(SettingsTest, FirstStartWithoutAFileAndSavingOnClose) {
  form->show();
  EXPECT_FALSE(form->SettingsLoaded());  // posted: loaded from the event loop
  ASSERT_TRUE(WaitUntil([this] { return form->SettingsLoaded(); }));
  EXPECT_FALSE(form->chkCode->isChecked());
  EXPECT_TRUE(form->lstCtgr->isEnabled());
  EXPECT_EQ(TickCount(form->lstCtgr), 0);
  EXPECT_EQ(form->lstCtgr->currentRow(), 0);
  EXPECT_TRUE(form->txtCode->text().isEmpty());

  EXPECT_TRUE(form->close());
  EXPECT_EQ(ReadBytes(SettingsFile()),
            "[Config]\r\nCode=0\r\nCodeList=\r\nCategory=" + std::string(33, '0') + "\r\n");
}

TEST_F(SettingsTest, TheAllPagesSettingIsRememberedAndReachesOnlySectorRuns) {
  WriteBytes(SettingsFile(), "[Config]\r\nCode=0\r\nAllPages=1\r\n");
  ShowAndLoad();
  EXPECT_TRUE(form->chkAllPages->isChecked());
  EXPECT_TRUE(form->chkAllPages->isEnabled());
  EXPECT_TRUE(form->Inputs().allListingPages);
  form->chkCode->setChecked(true);
  EXPECT_FALSE(form->chkAllPages->isEnabled()) << "a code run has no listings";
  EXPECT_FALSE(form->Inputs().allListingPages);
  form->chkCode->setChecked(false);
  form->chkAllPages->setChecked(false);
  EXPECT_TRUE(form->close());
  EXPECT_NE(ReadBytes(SettingsFile()).find("AllPages=0\r\n"), std::string::npos) << "once on, the key stays";
}

TEST_F(SettingsTest, CategoryTicksWhatItHas) {
  WriteBytes(SettingsFile(), "[Config]\r\nCategory=" + std::string(33, '1') + "\r\n");
  ShowAndLoad();
  EXPECT_EQ(TickCount(form->lstCtgr), 33);
  EXPECT_TRUE(form->chkCtgr->isChecked());
  EXPECT_EQ(form->lstCtgr->currentRow(), 0);
  EXPECT_EQ(form->focusWidget(), form->lstCtgr);
}

TEST_F(SettingsTest, ShortOrOddCategoryTicksOnlyItsOnes) {
  WriteBytes(SettingsFile(), "[Config]\r\nCategory=1x1\r\n");
  ShowAndLoad();
  EXPECT_EQ(TickCount(form->lstCtgr), 2);
  EXPECT_EQ(form->lstCtgr->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(form->lstCtgr->item(2)->checkState(), Qt::Checked);
  EXPECT_FALSE(form->chkCtgr->isChecked());
  EXPECT_EQ(form->lstCtgr->currentRow(), 0);
}

TEST_F(SettingsTest, FirstTickedSectorIsSelectedAndExtraCharactersIgnored) {
  WriteBytes(SettingsFile(),
             "[Config]\nCode=abc\nCategory=0001" + std::string(29, '0') + "1111\n");
  ShowAndLoad();
  EXPECT_FALSE(form->chkCode->isChecked());  // not a number: sector mode
  EXPECT_EQ(TickCount(form->lstCtgr), 1);
  EXPECT_EQ(form->lstCtgr->currentRow(), 3);
}

TEST_F(SettingsTest, CodeModeWithAnEmptyCodeListAsksForCodes) {
  WriteBytes(SettingsFile(), "[Config]\r\nCode=0x1\r\nCodeList=\r\n");
  ShowAndLoad();
  EXPECT_TRUE(form->chkCode->isChecked());
  EXPECT_TRUE(form->txtCode->isEnabled());
  EXPECT_FALSE(form->lstCtgr->isEnabled());
  form->btnAction->click();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("銘柄コードが入力されていません。"));
}

TEST_F(SettingsTest, RoundTripInShiftJisKeepsOtherContentAndTrimsTheCodes) {
  const std::string before = "; user notes\r\n[Window]\r\nLeft=10\r\n\r\n[Config]\r\nCode=0\r\n"
                             "Extra=" + Utf8ToCp932("残す") + "\r\n";
  WriteBytes(SettingsFile(), before);
  ShowAndLoad();
  form->chkCode->setChecked(true);
  // Blanks around the list go, blanks inside and an ideographic space stay.
  form->txtCode->setText(Utf8(" \t1301, 7203　９９８４  "));
  form->lstCtgr->item(0)->setCheckState(Qt::Checked);
  form->lstCtgr->item(32)->setCheckState(Qt::Checked);
  EXPECT_TRUE(form->close());
  EXPECT_EQ(ReadBytes(SettingsFile()),
            "; user notes\r\n[Window]\r\nLeft=10\r\n\r\n[Config]\r\nCode=1\r\nExtra=" +
                Utf8ToCp932("残す") + "\r\nCodeList=" + Utf8ToCp932("1301, 7203　９９８４") +
                "\r\nCategory=1" + std::string(31, '0') + "1\r\n");

  // A new window reads the same inputs back.
  TFrmMain second(dialogs);
  second.SetSettingsPath(SettingsFile());
  second.show();
  ASSERT_TRUE(WaitUntil([&] { return second.SettingsLoaded(); }));
  EXPECT_TRUE(second.chkCode->isChecked());
  EXPECT_EQ(second.txtCode->text(), Utf8("1301, 7203　９９８４"));
  EXPECT_EQ(second.lstCtgr->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(second.lstCtgr->item(32)->checkState(), Qt::Checked);
  EXPECT_EQ(TickCount(second.lstCtgr), 2);
  EXPECT_FALSE(second.chkCtgr->isChecked());
  second.SetSettingsPath(Path(QStringLiteral("second.ini")).toStdString());
}

TEST_F(SettingsTest, ARefusedWriteIsShownAndTheWindowStillCloses) {
  // A folder where the file should be: the folder exists, the write fails.
  QDir(dir.path()).mkpath(QStringLiteral("fnc.ini"));
  ShowAndLoad();
  EXPECT_TRUE(form->close());
  ASSERT_EQ(dialogs.exceptions.size(), 1u);
  EXPECT_EQ(dialogs.exceptions[0], QString::fromStdString(SettingsFile()) + Utf8(" に書き込めません"));

  // No folder at all: nothing is written and nothing is shown.
  form->SetSettingsPath(Path(QStringLiteral("none/fnc.ini")).toStdString());
  form->show();
  EXPECT_TRUE(form->close());
  EXPECT_EQ(dialogs.exceptions.size(), 1u);
  EXPECT_FALSE(QDir(Path(QStringLiteral("none"))).exists());
}

TEST_F(SettingsTest, AFileWithAByteOrderMarkBehindALinkIsReadAndReplacedNotWrittenThrough) {
  // An editor's UTF-8 mark before the section, and the name a link to a
  // file elsewhere.
  const std::string elsewhere = Path(QStringLiteral("elsewhere.ini")).toStdString();
  const std::string original =
      "\xEF\xBB\xBF[Config]\r\nCode=1\r\nCodeList=1301\r\n; kept\r\n[Other]\r\nK=v\r\n";
  WriteBytes(elsewhere, original);
  ASSERT_TRUE(QFile::link(QString::fromStdString(elsewhere), QString::fromStdString(SettingsFile())));
  ShowAndLoad();
  EXPECT_TRUE(form->chkCode->isChecked());
  EXPECT_EQ(form->txtCode->text(), QStringLiteral("1301"));

  EXPECT_TRUE(form->close());
  EXPECT_TRUE(dialogs.exceptions.empty());
  EXPECT_EQ(ReadBytes(elsewhere), original);  // the link's target is untouched
  EXPECT_FALSE(QFileInfo(QString::fromStdString(SettingsFile())).isSymLink());
  EXPECT_EQ(ReadBytes(SettingsFile()),
            "[Config]\r\nCode=1\r\nCodeList=1301\r\n; kept\r\nCategory=" + std::string(33, '0') +
                "\r\n[Other]\r\nK=v\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("fnc.ini*")}, QDir::AllEntries | QDir::System),
            QStringList{QStringLiteral("fnc.ini")});
}

}  // namespace
}  // namespace vantora::test
