// Runs driven through the real window: input checks, the save dialog and the
// ".csv" rule, an undeletable file, the outcomes (records, nothing found,
// site unreachable, output file error), Cancel and closing during a run (by
// the close button or a termination signal),
// and completions that arrive while a question is on screen.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>
#include <csignal>

#include "app/qt/TerminationSignals.h"
#include "support_Window.h"
#include "common/Charset.h"
#include "worker/Job.h"

namespace vantora::test {
namespace {

constexpr unsigned kInfo = MB_OK | MB_ICONINFORMATION | MB_TOPMOST;
constexpr unsigned kQuestionYes = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;
constexpr unsigned kQuestionNo = kQuestionYes | MB_DEFBUTTON2;

int LineCount(const std::string& bytes) {
  int lines = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) lines += bytes[i] == '\r' && bytes[i + 1] == '\n';
  return lines;
}

using RunTest = WindowTest;

TEST_F(RunTest, InputChecksStopBeforeTheSaveDialog) {
  ShowAndLoad();
  form->chkCode->setChecked(true);
  form->txtCode->setText(QStringLiteral(" \t "));
  form->btnAction->click();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("銘柄コードが入力されていません。"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("エラー"));
  EXPECT_EQ(dialogs.boxes[0].flags, kInfo);

  form->chkCode->setChecked(false);
  form->btnAction->click();
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text, Utf8("業種は1つ以上を指定してください。"));
  EXPECT_EQ(dialogs.boxes[1].caption, Utf8("エラー"));
  EXPECT_TRUE(dialogs.saveRequests.empty());
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(form->lstCtgr->isEnabled());
}

TEST_F(RunTest, SaveDialogOffersTheDefaultNameAndCancellingStartsNothing) {
  ShowAndLoad();
  form->lstCtgr->item(5)->setCheckState(Qt::Checked);
  dialogs.CancelSaveDialog();
  form->btnAction->click();
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  const ScriptedDialogs::SaveRequest& request = dialogs.saveRequests[0];
  EXPECT_EQ(request.title, Utf8("取得情報の保存先を指定してください"));
  EXPECT_EQ(request.filter, Utf8("CSVファイル (*.csv)|*.csv"));
  EXPECT_EQ(request.fileName, Utf8("Vantora情報.csv"));
  EXPECT_EQ(request.options, unsigned{ofHideReadOnly | ofOverwritePrompt | ofEnableSizing});
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(form->lstCtgr->isEnabled());
  EXPECT_TRUE(form->chkCtgr->isEnabled());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(dialogs.boxes.empty());

  // A later run starts from the default name again, not from the last choice.
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("first.csv")));
  ASSERT_TRUE(WaitForEnd());
  dialogs.CancelSaveDialog();
  form->btnAction->click();
  ASSERT_EQ(dialogs.saveRequests.size(), 3u);
  EXPECT_EQ(dialogs.saveRequests[2].fileName, Utf8("Vantora情報.csv"));
}

TEST_F(RunTest, TheChosenNameEndsInCsv) {
  ShowAndLoad();
  const struct {
    const char* chosen;
    const char* written;
  } cases[] = {{"out.txt", "out.txt.csv"}, {"OUT.CSV", "OUT.CSV"}, {"list", "list.csv"},
               {"list.Csv", "list.Csv"}, {"v1.0/data", "v1.0/data.csv"}};
  QDir(dir.path()).mkpath(QStringLiteral("v1.0"));
  for (const auto& c : cases) {
    StartCodeRun(QStringLiteral("1301"), Path(QString::fromUtf8(c.chosen)));
    ASSERT_TRUE(WaitForEnd()) << c.chosen;
    EXPECT_EQ(QString::fromStdString(form->OutputFileName), Path(QString::fromUtf8(c.written)));
    EXPECT_TRUE(QFileInfo::exists(Path(QString::fromUtf8(c.written)))) << c.written;
  }
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out.txt"))));
}

TEST_F(RunTest, AnExistingFileIsReplacedAndAnUndeletableOneIsReported) {
  ShowAndLoad();
  const QString existing = Path(QStringLiteral("old.csv"));
  WriteBytes(existing.toStdString(), "old contents that must go\r\n");
  StartCodeRun(QStringLiteral("1301"), existing);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(LineCount(ReadBytes(existing.toStdString())), 2);

  // A folder of that name cannot be deleted.
  QDir(dir.path()).mkpath(QStringLiteral("busy.csv"));
  dialogs.boxes.clear();
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("busy.csv")));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("選択されたファイルが他のアプリケーションで使用中の為\n開くことができませんでした。"));
  EXPECT_EQ(dialogs.boxes[0].caption, QStringLiteral("Error"));
  EXPECT_EQ(dialogs.boxes[0].flags, kInfo);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(QString::fromStdString(form->OutputFileName), Path(QStringLiteral("busy.csv")));
}

TEST_F(RunTest, ARunWithRecordsEndsWithBeepFlashAndTheOpenQuestion) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("result.csv")));
  // Running state, before the worker has reported anything.
  EXPECT_NE(form->Worker, nullptr);
  EXPECT_FALSE(form->btnAction->isEnabled());
  EXPECT_TRUE(form->btnCancel->isEnabled());
  EXPECT_FALSE(form->chkCode->isEnabled());
  EXPECT_FALSE(form->txtCode->isEnabled());
  EXPECT_FALSE(form->chkCtgr->isEnabled());
  EXPECT_FALSE(form->lstCtgr->isEnabled());
  EXPECT_EQ(form->lblStatus->text(), Utf8("ページ情報を取得中です。暫くお待ちください。"));
  EXPECT_EQ(form->lblStatus->geometry().right() + 1, 251);  // grows to the left
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);

  QString statusAtQuestion;
  int positionAtQuestion = -1;
  dialogs.AnswerWith([&] {
    statusAtQuestion = form->lblStatus->text();
    positionAtQuestion = form->prgBar->value();
    return IDNO;
  });
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(statusAtQuestion, Utf8("銘柄コード : [7203] 取得中 - 2/2件"));
  EXPECT_EQ(positionAtQuestion, 2);
  ASSERT_EQ(dialogs.beeps.size(), 1u);
  EXPECT_EQ(dialogs.beeps[0], MB_ICONQUESTION);
  ASSERT_EQ(dialogs.flashes.size(), 1u);
  EXPECT_EQ(dialogs.flashes[0].window, form.get());
  EXPECT_EQ(dialogs.flashes[0].count, 30);
  EXPECT_EQ(dialogs.flashes[0].intervalMs, 700);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("情報の取得が完了しました。\n保存したファイルを開きますか？"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("処理確認"));
  EXPECT_EQ(dialogs.boxes[0].flags, kQuestionNo);
  EXPECT_TRUE(dialogs.opened.empty());
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("result.csv")).toStdString())), 3);
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("tmp.dat"))));

  // Back to idle in code mode.
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(form->txtCode->isEnabled());
  EXPECT_FALSE(form->lstCtgr->isEnabled());
  EXPECT_TRUE(form->lblStatus->text().isEmpty());
  EXPECT_EQ(form->prgBar->value(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // Yes opens the file; Yes when the file has gone says so.
  dialogs.Answer(IDYES);
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("again.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.opened.size(), 1u);
  EXPECT_EQ(dialogs.opened[0], Path(QStringLiteral("again.csv")));

  dialogs.boxes.clear();
  dialogs.AnswerWith([&] {
    QFile::remove(Path(QStringLiteral("gone.csv")));
    return IDYES;
  });
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("gone.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text, Utf8("該当するファイルが見つかりませんでした。"));
  EXPECT_EQ(dialogs.boxes[1].caption, QStringLiteral("Error"));
  EXPECT_EQ(dialogs.opened.size(), 1u);
}

TEST_F(RunTest, OutcomesWithoutRecordsShowTheirMessages) {
  ShowAndLoad();
  // Nothing found: a code list of commas only.
  StartCodeRun(QStringLiteral(",,,"), Path(QStringLiteral("empty.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("該当する情報は見つかりませんでした。"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("検索終了"));
  EXPECT_EQ(dialogs.boxes[0].flags, kInfo);
  EXPECT_TRUE(dialogs.beeps.empty());
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("empty.csv")).toStdString())), 1);
  EXPECT_TRUE(Idle());

  // The output file cannot be created: its folder does not exist.
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("nofolder/out.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text,
            Utf8("選択されたファイルが他のアプリケーションで使用中の為\n開くことができませんでした。"));
  EXPECT_EQ(dialogs.boxes[1].caption, QStringLiteral("Error"));
  EXPECT_TRUE(Idle());

  // Site unreachable: nothing listens at the base address any more.
  server->Stop();
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("offline.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[2].text,
            Utf8("サイトへのアクセスができませんでした。\r\nしばらく時間を置いてから再度実行してください。"));
  EXPECT_EQ(dialogs.boxes[2].caption, QStringLiteral("Error"));
  EXPECT_EQ(dialogs.boxes[2].flags, kInfo);
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(dialogs.beeps.empty());
}

TEST_F(RunTest, CancelAnsweredNoLetsTheRunFinish) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
  // The worker waits for the GUI thread, so the run is surely still going.
  dialogs.Answer(IDNO);
  form->btnCancel->click();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("取得処理を中断します。\nよろしいですか？"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("中断確認"));
  EXPECT_EQ(dialogs.boxes[0].flags, kQuestionYes);
  EXPECT_EQ(form->RunStatus, rsActive);
  EXPECT_TRUE(form->btnCancel->isEnabled());
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("c.csv")).toStdString())), 4);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].caption, Utf8("処理確認"));
}

TEST_F(RunTest, CancelAnsweredYesStopsAfterTheCurrentRecordAndHoldsTheWindow) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
  dialogs.Answer(IDYES);
  form->btnCancel->click();
  EXPECT_EQ(form->RunStatus, rsCancelled);
  EXPECT_TRUE(form->StopPending());
  // While the stop is pending, Cancel is disabled and a further press (or a
  // direct call) neither ends the run early nor asks again.
  EXPECT_FALSE(form->btnCancel->isEnabled());
  EXPECT_FALSE(form->btnAction->isEnabled());
  form->btnCancelClick();
  EXPECT_NE(form->Worker, nullptr);
  EXPECT_EQ(dialogs.boxes.size(), 1u);

  ASSERT_TRUE(WaitForEnd());
  // A cancelled run says how many records were kept, and where.
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text, Utf8("取得を中断しました。\n1 件の情報を次のファイルに保存しました。\n") +
                                       Path(QStringLiteral("c.csv")));
  EXPECT_EQ(dialogs.boxes[1].caption, Utf8("中断確認"));
  EXPECT_EQ(dialogs.boxes[1].flags, kInfo);
  EXPECT_TRUE(dialogs.beeps.empty());
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("c.csv")).toStdString())), 2);
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("tmp.dat"))));
  EXPECT_TRUE(Idle());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(RunTest, CloseDuringARunAnsweredNoChangesNothing) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("c.csv")));
  dialogs.Answer(IDNO);
  EXPECT_FALSE(form->close());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8("取得処理の実行中ですが終了しますか？"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("終了確認"));
  EXPECT_EQ(dialogs.boxes[0].flags, kQuestionYes);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->RunStatus, rsActive);
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(terminated, 0);
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("c.csv")).toStdString())), 3);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(SettingsFile())));
}

TEST_F(RunTest, CloseDuringARunAnsweredYesSavesAndEndsOnlyOnceTheWorkerHasStopped) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
  dialogs.Answer(IDYES);
  EXPECT_FALSE(form->close());
  EXPECT_EQ(form->RunStatus, rsCloseWaiting);
  EXPECT_FALSE(form->btnCancel->isEnabled());
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(SettingsFile())));
  EXPECT_EQ(terminated, 0);
  // A second close while closing asks nothing and does not end the program.
  EXPECT_FALSE(form->close());
  form->btnCancelClick();
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(terminated, 0);
  EXPECT_NE(form->Worker, nullptr);

  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(terminated, 1);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(ReadBytes(SettingsFile()),
            "[Config]\r\nCode=1\r\nCodeList=1301,7203,9984\r\nCategory=" + std::string(33, '0') +
                "\r\nOutputFolder=" + dir.path().toStdString() + "\r\n");
  EXPECT_EQ(LineCount(ReadBytes(Path(QStringLiteral("c.csv")).toStdString())), 2);
}

TEST_F(RunTest, ATerminationSignalDuringARunStopsTheWorkerFirstWithoutAQuestion) {
  ShowAndLoad();
  const TerminationSignals caught;
  ASSERT_TRUE(caught.Installed());
  TerminationSignalWatcher watcher(caught, [this] { form->CloseFromSignal(); });
  // The last page never comes unless the run is stopped: the signal is seen
  // while the run is under way.
  server->SetFault("/quote/9984/profile", QuoteFault::StallBeforeResponse(std::chrono::minutes(10)));
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
  ASSERT_EQ(::raise(SIGTERM), 0);
  ASSERT_TRUE(WaitUntil([this] { return form->RunStatus == rsCloseWaiting; }));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(terminated, 1);
  EXPECT_TRUE(dialogs.boxes.empty());  // no close question, no end message
  EXPECT_EQ(ReadBytes(SettingsFile()).rfind("[Config]\r\nCode=1\r\nCodeList=1301,7203,9984\r\n", 0),
            0u);
}

TEST_F(RunTest, CloseWhileACancelIsPendingEndsOnlyWhenTheWorkerStops) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
  dialogs.Answer(IDYES);  // Cancel
  form->btnCancel->click();
  ASSERT_EQ(form->RunStatus, rsCancelled);
  dialogs.Answer(IDYES);  // close
  EXPECT_FALSE(form->close());
  EXPECT_EQ(form->RunStatus, rsCloseWaiting);
  EXPECT_EQ(terminated, 0);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(SettingsFile())));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(terminated, 1);
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(SettingsFile())));
  EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST_F(RunTest, CompletionWhileAQuestionIsOnScreen) {
  ShowAndLoad();
  // The run ends while the Cancel question is open: the run finishes first
  // (with its own open question), and the later Yes has no effect.
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("a.csv")));
  dialogs.AnswerWith([&] {
    EXPECT_TRUE(WaitUntil([&] { return form->Worker == nullptr; }));
    return IDYES;
  });
  form->btnCancel->click();
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("中断確認"));
  EXPECT_EQ(dialogs.boxes[1].caption, Utf8("処理確認"));
  EXPECT_EQ(form->RunStatus, rsActive);
  EXPECT_TRUE(Idle());
  ASSERT_TRUE(WaitForWorkers());

  // The run ends while the close question is open: Yes ends at once, with
  // the settings saved.
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("b.csv")));
  dialogs.AnswerWith([&] {
    EXPECT_TRUE(WaitUntil([&] { return form->Worker == nullptr; }));
    return IDYES;
  });
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(SettingsFile())));
  EXPECT_EQ(dialogs.boxes[2].caption, Utf8("終了確認"));
  EXPECT_EQ(dialogs.boxes[3].caption, Utf8("処理確認"));
}

TEST_F(RunTest, SectorModeHandsTheTickedSectorsToTheWorker) {
  ShowAndLoad();
  form->lstCtgr->item(0)->setCheckState(Qt::Checked);
  form->lstCtgr->item(32)->setCheckState(Qt::Checked);
  form->txtCode->setText(QStringLiteral("1301"));  // kept, but not used in sector mode
  form->OutputFileName = Path(QStringLiteral("s.csv")).toStdString();
  const JobInputs inputs = form->Inputs();
  EXPECT_FALSE(inputs.codeMode);
  ASSERT_EQ(inputs.sectors.size(), 33u);
  EXPECT_TRUE(inputs.sectors[0].ticked);
  EXPECT_TRUE(inputs.sectors[32].ticked);
  EXPECT_FALSE(inputs.sectors[1].ticked);
  EXPECT_EQ(inputs.sectors[0].text, Utf8ToCp932("水産・農林業"));
  EXPECT_EQ(inputs.sectors[32].text, Utf8ToCp932("サービス業"));
  EXPECT_EQ(inputs.outputFileName, Path(QStringLiteral("s.csv")).toStdString());

  dialogs.ChooseFile(Path(QStringLiteral("s.csv")));
  form->btnAction->click();
  ASSERT_TRUE(WaitForEnd());
  std::vector<std::string> listings;
  for (const RecordedRequest& request : server->Requests())
    if (request.path.rfind("/search/", 0) == 0) listings.push_back(request.target);
  if (!listings.empty()) {  // once the sector crawl fetches listings
    EXPECT_EQ(listings.front(), "/search/qi/?ids=0050");
    EXPECT_EQ(listings.back().rfind("/search/qi/?ids=9050", 0), 0u);
  }
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("s.csv"))));
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(form->lstCtgr->isEnabled());
  EXPECT_TRUE(form->chkCtgr->isEnabled());
  EXPECT_FALSE(form->txtCode->isEnabled());
}

}  // namespace
}  // namespace vantora::test
