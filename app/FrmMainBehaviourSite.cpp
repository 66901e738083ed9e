// TFrmMain's quote site setting: the address field and its check, the state
// line (no site yet, the environment's address, the sample site) and the
// bundled sample site started from the window.
#include <exception>

#include "app/DemoSite.h"
#include "app/FrmMainBehaviour.h"
#include "app/SiteAddress.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {

void FrmMainBehaviour::btnSiteClick() {
  const std::string typed = view_.Text(Ctl::txtSite);
  if (TrimSpaces(typed).empty()) {
    siteAddress_.clear();
  } else {
    const std::optional<std::string> address = NormalizeSiteAddress(typed);
    if (!address) {
      ShowInfo(text::kSiteInvalid, text::kCaptionError);
      view_.Focus(Ctl::txtSite);
      view_.SelectAllText(Ctl::txtSite);
      return;
    }
    siteAddress_ = *address;
  }
  siteKeyKnown_ = true;
  sampleSiteBase_.clear();  // the user's own choice replaces the sample site
  SetConfiguredQuoteSiteBase(siteAddress_);
  ShowSiteState();
}

void FrmMainBehaviour::btnSampleSiteClick() {
  if (sampleSite_ == nullptr) {
    const std::string folder = FindDemoSiteFolder();
    try {
      if (!folder.empty()) sampleSite_ = std::make_unique<QuoteServer>(folder);
    } catch (const std::exception&) {
      sampleSite_.reset();
    }
    if (sampleSite_ == nullptr) {
      ShowInfo(text::kSampleSiteMissing, text::kCaptionError);
      return;
    }
  }
  // For this session only: the settings file keeps the user's own address.
  SetConfiguredQuoteSiteBase(sampleSite_->BaseUrl());
  SetSampleSiteAddress(sampleSite_->BaseUrl());
}

void FrmMainBehaviour::SetSampleSiteAddress(const std::string& base) {
  sampleSiteBase_ = base;
  ShowSiteState();
}

// The field shows the address a run would use; the line under it says where
// that address comes from, or, in red, that there is none yet.
void FrmMainBehaviour::ShowSiteState() {
  const std::string base = QuoteSiteBase();
  const bool fromEnvironment = QuoteSiteBaseFromEnvironment();
  const bool unset = IsPlaceholderQuoteSiteBase(base);
  const bool sample = !unset && base == sampleSiteBase_;
  // The environment's address is not the window's to change.
  view_.SetReadOnly(Ctl::txtSite, fromEnvironment);
  view_.SetText(Ctl::txtSite, unset ? std::string() : base);
  view_.SetEnabled(Ctl::btnSite, !fromEnvironment);
  view_.SetVisible(Ctl::btnSampleSite, unset);
  view_.SetWarningColour(Ctl::lblSite, unset);
  if (unset) {
    view_.SetText(Ctl::lblSite, text::kSiteUnset);
  } else if (sample) {
    view_.SetText(Ctl::lblSite, text::kSiteSampleInUse);
  } else if (fromEnvironment) {
    view_.SetText(Ctl::lblSite, text::kSiteFromEnvironment);
  } else {
    view_.SetText(Ctl::lblSite, std::string());
  }
}

}  // namespace vantora
