// The window's end messages when not every page could be read: the open-file
// question naming the report, the stop for pages of another layout, the stop
// for a scratch file that cannot be written, a write that fails; and the
// report replaced with its file at the start of a run.
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <signal.h>
#include <sys/resource.h>

#include "support_Window.h"
#include "worker/Job.h"

namespace vantora::test {
namespace {

constexpr unsigned kInfo = MB_OK | MB_ICONINFORMATION | MB_TOPMOST;
constexpr unsigned kQuestionNo = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | MB_DEFBUTTON2;

using OutcomeTest = WindowTest;

TEST_F(OutcomeTest, CompaniesThatCouldNotBeReadAreCountedAndTheReportNamed) {
  ShowAndLoad();
  // A report left from an earlier run is replaced with its file.
  WriteBytes(Path(QStringLiteral("r.report.csv")).toStdString(), "old report");
  dialogs.Answer(IDYES);
  StartCodeRun(QStringLiteral("1301,5555,7203,6666"), Path(QStringLiteral("r.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 2u) << "the end message, then the offer to read the two again (No)";
  EXPECT_EQ(dialogs.boxes[1].text, Utf8("失敗した 2 件を再取得しますか？"));
  EXPECT_EQ(dialogs.boxes[1].flags, kQuestionNo);
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("情報の取得が完了しましたが、2 件の企業の情報を読み取れませんでした。\n"
                 "詳しくは次のファイルをご覧ください。\n") +
                Path(QStringLiteral("r.report.csv")) + Utf8("\n保存したファイルを開きますか？"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("処理確認"));
  EXPECT_EQ(dialogs.boxes[0].flags, kQuestionNo);
  ASSERT_EQ(dialogs.opened.size(), 1u) << "Yes opens the file as usual";
  EXPECT_EQ(dialogs.opened[0], Path(QStringLiteral("r.csv")));
  const std::string report = ReadBytes(Path(QStringLiteral("r.report.csv")).toStdString());
  EXPECT_EQ(report.rfind("\"code\",\"outcome\"", 0), 0u) << report;
  EXPECT_NE(report.find("\"5555\",\"not-found\",\"404\""), std::string::npos);
}

TEST_F(OutcomeTest, AListingThatCouldNotBeReadIsCountedWhenEveryCompanyWasRead) {
  // The project's fixture site, with listings whose companies all read.
  server = std::make_unique<QuoteServer>(std::string(VANTORA_FIXTURES_DIR) + "/site");
  ::setenv("VANTORA_BASE_URL", server->BaseUrl().c_str(), 1);
  ShowAndLoad();
  server->SetFault("/search/qi/?ids=9050", QuoteFault::Refuse(404));
  form->lstCtgr->item(0)->setCheckState(Qt::Checked);
  form->lstCtgr->item(32)->setCheckState(Qt::Checked);
  dialogs.ChooseFile(Path(QStringLiteral("s.csv")));
  form->btnAction->click();
  ASSERT_TRUE(WaitForEnd());
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("情報の取得が完了しましたが、1 件の業種の一覧を読み取れませんでした。\n"
                 "詳しくは次のファイルをご覧ください。\n") +
                Path(QStringLiteral("s.report.csv")) + Utf8("\n保存したファイルを開きますか？"))
      << "no count of companies that were all read";
}

TEST_F(OutcomeTest, PagesOfAnotherLayoutStopTheRunWithAMessageOfItsOwn) {
  for (const char* code : {"4001", "4002", "4003", "4004"})
    server->SetPage(std::string("/quote/") + code + "/profile", "<html><body><p>new</p></body></html>");
  ShowAndLoad();
  StartCodeRun(QStringLiteral("4001,4002,4003,4004"), Path(QStringLiteral("l.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("サイトのページが想定した形式ではなくなったため、取得を中止しました。\n"
                 "3 件の情報を次のファイルに保存しました。\n") +
                Path(QStringLiteral("l.csv")) + Utf8("\n詳しくは次のファイルをご覧ください。\n") +
                Path(QStringLiteral("l.report.csv")));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("Error"));
  EXPECT_EQ(dialogs.boxes[0].flags, kInfo);
  EXPECT_TRUE(Idle());
}

TEST_F(OutcomeTest, AScratchFileThatCannotBeWrittenNamesItsFolderAndTheReason) {
  const QString folder = Path(QStringLiteral("gone"));
  SetJobScratchFilePath((folder + QStringLiteral("/tmp.dat")).toStdString());
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203"), Path(QStringLiteral("s.csv")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("作業ファイルを書き込めないため、取得を中止しました。\nフォルダ: ") + folder +
                Utf8("\n理由: No such file or directory"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("Error"));
  EXPECT_EQ(server->Requests().size(), 1u) << "the run stops at once";
}

TEST_F(OutcomeTest, AWriteThatFailsSaysWhyInsteadOfBlamingAnotherProgram) {
  // Files of this process may not grow past 400 bytes: the header and one
  // record fit, the second record does not.
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = 400;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("w.csv")));
  const bool ended = WaitForEnd();
  ::setrlimit(RLIMIT_FSIZE, &old);
  ASSERT_TRUE(ended);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            Utf8("ファイルへの書き込みに失敗したため、取得を中止しました。\n") + Path(QStringLiteral("w.csv")) +
                Utf8("\n理由: File too large\nそれまでの 1 件の情報はファイルに残っています。"));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("Error"));
  // The file ends with its last complete record.
  const std::string bytes = ReadBytes(Path(QStringLiteral("w.csv")).toStdString());
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(bytes.find("\"7203\""), std::string::npos);
}

}  // namespace
}  // namespace vantora::test
