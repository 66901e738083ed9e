// LoadSettings and SaveSettings of TFrmMain: the input mode, the code text,
// the sector ticks, the quote site address, the folder of the last output
// and the all-pages setting in section "Config" of the settings file.
#include <filesystem>
#include <system_error>

#include "app/FrmMainBehaviour.h"
#include "common/FileName.h"
#include "app/Settings.h"
#include "app/SiteAddress.h"
#include "app/TextConversions.h"
#include "common/SiteConfig.h"

namespace vantora {

namespace {
constexpr char kSection[] = "Config";
constexpr char kSiteKey[] = "BaseUrl";
constexpr char kFolderKey[] = "OutputFolder";
constexpr char kAllPagesKey[] = "AllPages";
}  // namespace

void FrmMainBehaviour::LoadSettings() {
  settingsLoaded_ = true;
  const std::string path = settingsPath_;
  // A missing file reads as empty: no site yet, no folder yet. A stored
  // address that fails the check is left alone in the file and not used.
  const auto address = NormalizeSiteAddress(ReadProfileString(path, kSection, kSiteKey, ""));
  siteKeyKnown_ = address.has_value();
  siteAddress_ = address.value_or(std::string());
  SetConfiguredQuoteSiteBase(siteAddress_);
  ShowSiteState();
  lastOutputFolder_ = FromSjis(ReadProfileString(path, kSection, kFolderKey, ""));
  const std::string allPages = ReadProfileString(path, kSection, kAllPagesKey, "");
  allPagesKeyKnown_ = !allPages.empty();
  view_.SetChecked(Ctl::chkAllPages, allPages == "1");

  std::error_code ec;
  if (!std::filesystem::exists(NativePath(path), ec)) {
    view_.SetCurrentSector(0);
    return;
  }

  ReadInputs(path, kSection);
}

void FrmMainBehaviour::ReadInputs(const std::string& path, const char* section) {
  ApplyInputs(ReadProfileBool(path, section, "Code", false), ReadProfileString(path, section, "CodeList", ""),
              ReadProfileString(path, section, "Category", ""));
}

void FrmMainBehaviour::WriteInputs(const std::string& path, const char* section) {
  WriteProfileString(path, section, "Code", view_.Checked(Ctl::chkCode) ? "1" : "0");
  WriteProfileString(path, section, "CodeList", ToSjis(TrimControls(view_.Text(Ctl::txtCode))));
  WriteProfileString(path, section, "Category", SectorTicks());
}

void FrmMainBehaviour::ApplyInputs(bool codeMode, const std::string& codeListSjis, const std::string& category) {
  // Ticking the box puts the window into code mode, as a click does.
  if (codeMode != view_.Checked(Ctl::chkCode)) {
    view_.SetChecked(Ctl::chkCode, codeMode);
    chkCodeClick();
  }
  view_.SetText(Ctl::txtCode, FromSjis(codeListSjis));

  int ticks = 0;
  for (int i = 0; i < view_.SectorCount(); ++i) {
    const bool ticked = static_cast<std::size_t>(i) < category.size() && category[i] == '1';
    view_.SetSectorTicked(i, ticked);
    ticks += ticked;
  }
  // Every sector ticked: the all-sectors box is ticked, as by a click.
  if (ticks == view_.SectorCount() && !view_.Checked(Ctl::chkCtgr)) {
    view_.SetChecked(Ctl::chkCtgr, true);
    chkCtgrClick();
  } else if (ticks != view_.SectorCount()) {
    view_.SetChecked(Ctl::chkCtgr, false);
  }

  int selected = 0;
  for (int i = 0; i < view_.SectorCount(); ++i) {
    if (view_.SectorTicked(i)) {
      selected = i;
      break;
    }
  }
  view_.SetCurrentSector(selected);
}

std::string FrmMainBehaviour::SectorTicks() const {
  std::string category;
  for (int i = 0; i < view_.SectorCount(); ++i) category += view_.SectorTicked(i) ? '1' : '0';
  return category;
}

void FrmMainBehaviour::SaveSettings() {
  const std::string path = settingsPath_;
  std::error_code ec;
  if (!std::filesystem::is_directory(NativePath(path).parent_path(), ec)) return;
  try {
    WriteSettings();
  } catch (const ProfileWriteError& error) {
    // Shown like any error the framework reports; closing goes on.
    dialogs_.ShowException(error.what());
  }
}

void FrmMainBehaviour::WriteSettings() {
  const std::string path = settingsPath_;
  const bool allPages = view_.Checked(Ctl::chkAllPages);
  WriteInputs(path, kSection);
  if (siteKeyKnown_) WriteProfileString(path, kSection, kSiteKey, siteAddress_);
  // Off is the default: the key is written once it was ever on.
  if (allPagesKeyKnown_ || allPages) WriteProfileString(path, kSection, kAllPagesKey, allPages ? "1" : "0");
  if (!lastOutputFolder_.empty()) WriteProfileString(path, kSection, kFolderKey, ToSjis(lastOutputFolder_));
}

}  // namespace vantora
