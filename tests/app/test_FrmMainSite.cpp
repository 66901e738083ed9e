// The quote site setting of the window: no address yet (said plainly, no run
// starts, the sample site offered and usable), an address checked when
// entered and remembered in the settings file, and VANTORA_BASE_URL taking
// precedence over it.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "support_Window.h"

namespace vantora::test {
namespace {

using SiteTest = WindowTest;

bool Requested(const QuoteServer& site, const std::string& path) {
  for (const RecordedRequest& request : site.Requests())
    if (request.path == path) return true;
  return false;
}

TEST_F(SiteTest, WithoutAnAddressTheWindowSaysSoAndOffersTheSampleSite) {
  ::unsetenv("VANTORA_BASE_URL");
  ShowAndLoad();
  EXPECT_TRUE(form->txtSite->text().isEmpty());
  EXPECT_EQ(form->lblSite->text(), Utf8(text::kSiteUnset));
  EXPECT_TRUE(form->btnSampleSite->isVisibleTo(form.get()));

  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("never.csv")));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, Utf8(text::kNoSite));
  EXPECT_EQ(dialogs.boxes[0].caption, Utf8("エラー"));
  EXPECT_TRUE(dialogs.saveRequests.empty());
  EXPECT_EQ(form->Worker, nullptr);
  EXPECT_TRUE(Idle());
  dialogs.saveAnswers.clear();  // the file chosen for the run that never started

  // The sample site: served by the window, used for this session only.
  form->btnSampleSite->click();
  EXPECT_EQ(QuoteSiteBase().rfind("http://127.0.0.1:", 0), 0u) << QuoteSiteBase();
  EXPECT_EQ(form->txtSite->text(), QString::fromStdString(QuoteSiteBase()));
  EXPECT_EQ(form->lblSite->text(), Utf8(text::kSiteSampleInUse));
  EXPECT_FALSE(form->btnSampleSite->isVisibleTo(form.get()));
  dialogs.ChooseFile(Path(QStringLiteral("sample.csv")));
  form->btnAction->click();
  ASSERT_TRUE(WaitForEnd());
  const std::string written = ReadBytes(Path(QStringLiteral("sample.csv")).toStdString());
  EXPECT_NE(written.find(Utf8ToCp932("株式会社潮見水産")), std::string::npos) << Cp932ToUtf8(written);
  EXPECT_TRUE(form->close());
  EXPECT_EQ(ReadBytes(SettingsFile()).find("BaseUrl"), std::string::npos);
}

TEST_F(SiteTest, AnAddressIsCheckedRememberedAndTheVariableWins) {
  ::unsetenv("VANTORA_BASE_URL");
  WriteBytes(SettingsFile(), "[Other]\nA=1\n[Config]\nCode=1\n");
  ShowAndLoad();
  for (const char* bad : {"ftp://127.0.0.1", "quote.example.jp", "https://", "https://host/path",
                          "https://host/?q=1", "https://user@host", "http://ho st"}) {
    dialogs.boxes.clear();
    form->txtSite->setText(Utf8(bad));
    form->btnSite->click();
    ASSERT_EQ(dialogs.boxes.size(), 1u) << bad;
    EXPECT_EQ(dialogs.boxes[0].text, Utf8(text::kSiteInvalid)) << bad;
    EXPECT_TRUE(form->SiteAddress().empty()) << bad;
    EXPECT_TRUE(IsPlaceholderQuoteSiteBase(QuoteSiteBase())) << bad;
  }

  // Entered with a capital scheme and a trailing slash, kept in the job's form.
  dialogs.boxes.clear();
  const std::string base = server->BaseUrl();
  form->txtSite->setText(QString::fromStdString("HTTP" + base.substr(4) + "/"));
  form->btnSite->click();
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(form->SiteAddress(), base);
  EXPECT_EQ(QuoteSiteBase(), base);
  EXPECT_EQ(form->txtSite->text(), QString::fromStdString(base));
  EXPECT_TRUE(form->lblSite->text().isEmpty());
  EXPECT_FALSE(form->btnSampleSite->isVisibleTo(form.get()));
  StartCodeRun(QStringLiteral("1301"), Path(QStringLiteral("own.csv")));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(Requested(*server, "/quote/1301/profile"));
  EXPECT_TRUE(form->close());
  // The new key joins section Config; the file's LF line ends and other
  // section stay.
  const std::string saved = ReadBytes(SettingsFile());
  EXPECT_EQ(saved.rfind("[Other]\nA=1\n[Config]\nCode=1\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("\nBaseUrl=" + base + "\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find('\r'), std::string::npos);

  // The next start uses the remembered address...
  SetConfiguredQuoteSiteBase("");
  EXPECT_EQ(NextStart()->SiteAddress(), base);
  EXPECT_EQ(QuoteSiteBase(), base);

  // ...unless VANTORA_BASE_URL names another, which the window shows and
  // cannot change.
  QuoteServer other(Path(QStringLiteral("site")).toStdString());
  ::setenv("VANTORA_BASE_URL", other.BaseUrl().c_str(), 1);
  const std::unique_ptr<TFrmMain> withVariable = NextStart();
  TFrmMain& third = *withVariable;
  EXPECT_EQ(third.SiteAddress(), base);
  EXPECT_EQ(third.txtSite->text(), QString::fromStdString(other.BaseUrl()));
  EXPECT_TRUE(third.txtSite->isReadOnly());
  EXPECT_FALSE(third.btnSite->isEnabled());
  EXPECT_EQ(third.lblSite->text(), Utf8(text::kSiteFromEnvironment));
  server->ClearRequests();
  third.txtCode->setText(QStringLiteral("7203"));
  dialogs.ChooseFile(Path(QStringLiteral("env.csv")));
  third.btnAction->click();
  ASSERT_TRUE(WaitUntil([&] { return third.Worker == nullptr; }));
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_TRUE(Requested(other, "/quote/7203/profile"));
  EXPECT_TRUE(server->Requests().empty());
}

}  // namespace
}  // namespace vantora::test
