// An installed program (its folder not writable, through the test seam):
// the settings live in $XDG_CONFIG_HOME/vantora/, the scratch file in
// $XDG_CACHE_HOME/vantora/, and runs still write full records.
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "support_Window.h"
#include "worker/Job.h"

namespace vantora::test {
namespace {

using InstalledTest = WindowTest;

TEST_F(InstalledTest, SettingsAndScratchGoToTheUsersFoldersAndRecordsAreFull) {
  const QString config = Path(QStringLiteral("config"));
  const QString cache = Path(QStringLiteral("cache"));
  qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
  qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
  QuoteServer sample(VANTORA_SOURCE_DIR "/demo/site");
  ::setenv("VANTORA_BASE_URL", sample.BaseUrl().c_str(), 1);
  SetProgramFolderWritableOverride(false);
  SetJobScratchFilePath("");  // the program's own choice, not the fixture's
  const bool folderHadSettings = QFileInfo::exists(QString::fromStdString(ProgramFolder() + "fnc.ini"));

  EXPECT_EQ(ScratchFilePath(), cache.toStdString() + "/vantora/tmp.dat");
  TFrmMain installed(dialogs);
  installed.SetTerminateApplication([] {});
  EXPECT_EQ(installed.SettingsPath(), config.toStdString() + "/vantora/fnc.ini");
  installed.show();
  ASSERT_TRUE(WaitUntil([&] { return installed.SettingsLoaded(); }));
  installed.chkCode->setChecked(true);
  installed.txtCode->setText(QStringLiteral("1301,7203"));
  dialogs.ChooseFile(Path(QStringLiteral("installed.csv")));
  installed.btnAction->click();
  ASSERT_TRUE(WaitUntil([&] { return installed.Worker == nullptr; }));
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_TRUE(installed.close());

  const std::string csv = ReadBytes(Path(QStringLiteral("installed.csv")).toStdString());
  EXPECT_NE(csv.find(Utf8ToCp932("\"株式会社潮見水産\"")), std::string::npos) << Cp932ToUtf8(csv);
  EXPECT_NE(csv.find(Utf8ToCp932("\"燕モーター工業株式会社\"")), std::string::npos) << Cp932ToUtf8(csv);
  EXPECT_FALSE(QFileInfo::exists(cache + QStringLiteral("/vantora/tmp.dat")));
  EXPECT_EQ(ReadBytes(config.toStdString() + "/vantora/fnc.ini").rfind("[Config]\r\nCode=1\r\nCodeList=1301,7203\r\n", 0), 0u);
  EXPECT_EQ(QFileInfo::exists(QString::fromStdString(ProgramFolder() + "fnc.ini")), folderHadSettings);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(ProgramFolder() + "tmp.dat")));

  SetProgramFolderWritableOverride(std::nullopt);
  EXPECT_EQ(ScratchFilePath(), ProgramFolder() + "tmp.dat");
  qunsetenv("XDG_CONFIG_HOME");
  qunsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace vantora::test
