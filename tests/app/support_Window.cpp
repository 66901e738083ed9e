// WindowTest: the window under test, its folder and its local quote site.
#include "support_Window.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "common/SiteConfig.h"
#include "worker/Job.h"

namespace vantora::test {

void WindowTest::SetUp() {
  ASSERT_TRUE(dir.isValid());
  QDir(dir.path()).mkpath(QStringLiteral("site/profile"));
  // Pages whose one value is the company name (the code), so that they read
  // as pages of the expected layout.
  for (const char* code : {"1301", "7203", "9984"}) {
    WriteBytes(Path(QStringLiteral("site/profile/%1.html").arg(QLatin1String(code))).toStdString(),
               std::string("<html><body><div><h2 class=\"_BasePriceBoard__name_a\">") + code +
                   "</h2></div></body></html>\n");
  }
  server = std::make_unique<QuoteServer>(Path(QStringLiteral("site")).toStdString());
  ::setenv("VANTORA_BASE_URL", server->BaseUrl().c_str(), 1);
  ::setenv("VANTORA_PAUSE_SCALE", "0", 1);
  SetJobScratchFilePath(Path(QStringLiteral("tmp.dat")).toStdString());
  form = std::make_unique<TFrmMain>(dialogs);
  form->SetSettingsPath(SettingsFile());
  form->SetTerminateApplication([this] { ++terminated; });
}

void WindowTest::TearDown() {
  EXPECT_TRUE(WaitForEnd());
  form.reset();
  server.reset();
  SetJobScratchFilePath("");
  SetConfiguredQuoteSiteBase("");
}

void WindowTest::ShowAndLoad() {
  form->show();
  ASSERT_TRUE(WaitUntil([this] { return form->SettingsLoaded(); }));
}

QString WindowTest::Path(const QString& name) const { return dir.filePath(name); }

std::string WindowTest::SettingsFile() const {
  return Path(QStringLiteral("fnc.ini")).toStdString();
}

void WindowTest::StartCodeRun(const QString& codes, const QString& file) {
  form->chkCode->setChecked(true);
  form->txtCode->setText(codes);
  dialogs.ChooseFile(file);
  form->btnAction->click();
}

std::unique_ptr<TFrmMain> WindowTest::NextStart() {
  auto next = std::make_unique<TFrmMain>(dialogs);
  next->SetSettingsPath(SettingsFile());
  next->show();
  EXPECT_TRUE(WaitUntil([&] { return next->SettingsLoaded(); }));
  return next;
}

bool WindowTest::WaitForEnd() {
  return WaitUntil([this] { return form == nullptr || form->Worker == nullptr; }) &&
         WaitForWorkers();
}

bool WindowTest::Idle() const {
  return form->Worker == nullptr && form->btnAction->isEnabled() && !form->btnCancel->isEnabled();
}

}  // namespace vantora::test
