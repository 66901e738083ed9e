// LoadSettings and SaveSettings of TFrmMain: the input mode, the code text,
// the sector ticks, the quote site address, the folder of the last output
// and the all-pages setting in section "Config" of the settings file.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>
#include <system_error>

#include "app/FrmMain.h"
#include "app/Settings.h"
#include "app/SiteAddress.h"
#include "app/SjisText.h"
#include "common/SiteConfig.h"

namespace vantora {

namespace {
constexpr char kSection[] = "Config";
constexpr char kSiteKey[] = "BaseUrl";
constexpr char kFolderKey[] = "OutputFolder";
constexpr char kAllPagesKey[] = "AllPages";
}

void TFrmMain::LoadSettings() {
  settingsLoaded_ = true;
  const std::string path = settingsPath_;
  // A missing file reads as empty: no site yet, no folder yet. A stored
  // address that fails the check is left alone in the file and not used.
  const auto address =
      NormalizeSiteAddress(QString::fromStdString(ReadProfileString(path, kSection, kSiteKey, "")));
  siteKeyKnown_ = address.has_value();
  siteAddress_ = address ? address->toStdString() : std::string();
  SetConfiguredQuoteSiteBase(siteAddress_);
  ShowSiteState();
  lastOutputFolder_ = FromSjis(ReadProfileString(path, kSection, kFolderKey, ""));
  const std::string allPages = ReadProfileString(path, kSection, kAllPagesKey, "");
  allPagesKeyKnown_ = !allPages.empty();
  chkAllPages->setChecked(allPages == "1");

  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    lstCtgr->setCurrentRow(0);
    return;
  }

  // Ticking the box runs chkCodeClick, which puts the window into code mode.
  chkCode->setChecked(ReadProfileBool(path, kSection, "Code", false));
  txtCode->setText(FromSjis(ReadProfileString(path, kSection, "CodeList", "")));

  const std::string category = ReadProfileString(path, kSection, "Category", "");
  int ticks = 0;
  if (!category.empty()) {
    ++programmaticTicks_;
    for (int i = 0; i < lstCtgr->count(); ++i) {
      if (static_cast<std::size_t>(i) < category.size() && category[i] == '1') {
        lstCtgr->item(i)->setCheckState(Qt::Checked);
        ++ticks;
      }
    }
    --programmaticTicks_;
  }
  // Ticking the all-sectors box runs chkCtgrClick.
  if (ticks == lstCtgr->count()) chkCtgr->setChecked(true);

  int selected = 0;
  for (int i = 0; i < lstCtgr->count(); ++i) {
    if (lstCtgr->item(i)->checkState() == Qt::Checked) {
      selected = i;
      break;
    }
  }
  lstCtgr->setCurrentRow(selected);
}

void TFrmMain::SaveSettings() {
  const std::string path = settingsPath_;
  std::error_code ec;
  if (!std::filesystem::is_directory(std::filesystem::path(path).parent_path(), ec)) return;
  std::string category;
  for (int i = 0; i < lstCtgr->count(); ++i)
    category += lstCtgr->item(i)->checkState() == Qt::Checked ? '1' : '0';
  try {
    WriteProfileString(path, kSection, "Code", chkCode->isChecked() ? "1" : "0");
    WriteProfileString(path, kSection, "CodeList", ToSjis(TrimControls(txtCode->text())));
    WriteProfileString(path, kSection, "Category", category);
    if (siteKeyKnown_) WriteProfileString(path, kSection, kSiteKey, siteAddress_);
    // Off is the default: the key is written once it was ever on.
    if (allPagesKeyKnown_ || chkAllPages->isChecked())
      WriteProfileString(path, kSection, kAllPagesKey, chkAllPages->isChecked() ? "1" : "0");
    if (!lastOutputFolder_.isEmpty())
      WriteProfileString(path, kSection, kFolderKey, ToSjis(lastOutputFolder_));
  } catch (const ProfileWriteError& error) {
    // Shown like any error the framework reports; closing goes on.
    dialogs_.ShowException(QString::fromUtf8(error.what()));
  }
}

}  // namespace vantora
