// The window's runs from the output file already there: the companies that
// failed read again when the end message reports them, and a run cut short
// offered for taking up at the next start.
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "support_Window.h"

namespace vantora::test {
namespace {

constexpr unsigned kQuestionNo = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | MB_DEFBUTTON2;

using ContinueTest = WindowTest;

std::size_t Lines(const std::string& bytes) {
  std::size_t n = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++n;
  return n;
}

std::string Page(const char* code) {
  return std::string("<html><body><div><h2 class=\"_BasePriceBoard__name_a\">") + code +
         "</h2></div></body></html>\n";
}

TEST_F(ContinueTest, FailedCompaniesReadAgainReplaceTheirLinesInPlace) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,5555,7203"), Path(QStringLiteral("r.csv")));
  dialogs.Answer(IDNO);  // do not open the file
  // The site has the page by the time the retry runs.
  dialogs.AnswerWith([this] {
    server->SetPage("/quote/5555/profile", Page("5555"));
    return IDYES;
  });
  ASSERT_TRUE(WaitUntil([this] { return dialogs.boxes.size() >= 3; }));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[1].text, Utf8("失敗した 1 件を再取得しますか？"));
  EXPECT_EQ(dialogs.boxes[2].text, Utf8("情報の取得が完了しました。\n保存したファイルを開きますか？"))
      << "the end of the retry tells of the whole file, now read in full";
  const std::string file = ReadBytes(Path(QStringLiteral("r.csv")).toStdString());
  EXPECT_EQ(Lines(file), 4u);
  const std::size_t retried = file.find("\r\n\"5555\",\"5555\",");
  EXPECT_NE(retried, std::string::npos) << "with its values now";
  EXPECT_LT(file.find("\r\n\"1301\""), retried) << "in its place";
  EXPECT_GT(file.find("\r\n\"7203\""), retried) << "in its place";
  const std::string report = ReadBytes(Path(QStringLiteral("r.report.csv")).toStdString());
  EXPECT_EQ(report.find("not-found"), std::string::npos) << report;
  EXPECT_TRUE(Idle());
}

TEST_F(ContinueTest, ARunCutShortIsOfferedAtTheNextStartAndTakenUp) {
  ShowAndLoad();
  StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("whole.csv")));
  ASSERT_TRUE(WaitForEnd());
  const auto cutShort = [this] {
    StartCodeRun(QStringLiteral("1301,7203,9984"), Path(QStringLiteral("c.csv")));
    dialogs.Answer(IDYES);
    form->btnCancel->click();  // stops after the first record
    ASSERT_TRUE(WaitForEnd());
    // The settings saved on closing differ from the run's inputs.
    form->txtCode->setText(QStringLiteral("7203"));
    form->close();
  };
  cutShort();
  const std::size_t before = dialogs.boxes.size();
  form = NextStart();
  ASSERT_EQ(dialogs.boxes.size(), before + 1);
  EXPECT_EQ(dialogs.boxes[before].text, Utf8("前回中断した取得を再開しますか？"));
  EXPECT_EQ(dialogs.boxes[before].flags, kQuestionNo);
  EXPECT_EQ(form->Worker, nullptr) << "No, the default, leaves everything as it is";
  EXPECT_EQ(form->txtCode->text(), QStringLiteral("7203")) << "the inputs of the settings file";
  EXPECT_EQ(Lines(ReadBytes(Path(QStringLiteral("c.csv")).toStdString())), 2u);
  form->close();
  form = NextStart();
  EXPECT_EQ(dialogs.boxes.size(), before + 1) << "asked once: No forgets the run";

  cutShort();
  dialogs.Answer(IDYES);
  form = NextStart();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(form->txtCode->text(), QStringLiteral("1301,7203,9984")) << "the run's own inputs";
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("c.csv")).toStdString()),
            ReadBytes(Path(QStringLiteral("whole.csv")).toStdString()))
      << "the file of an uninterrupted run";
  EXPECT_TRUE(Idle());
}

}  // namespace
}  // namespace vantora::test
