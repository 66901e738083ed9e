// TFrmMain's quote site setting: the address field and its check, the state
// line (no site yet, the environment's address, the sample site), the
// bundled sample site started from the window, and bringing the window to the
// front when the program is started a second time.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "app/DemoSite.h"
#include "app/FrmMain.h"
#include "app/SiteAddress.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {

void TFrmMain::btnSiteClick() {
  const QString typed = txtSite->text().trimmed();
  if (typed.isEmpty()) {
    siteAddress_.clear();
  } else {
    const std::optional<QString> address = NormalizeSiteAddress(typed);
    if (!address) {
      ShowInfo(text::kSiteInvalid, text::kCaptionError);
      txtSite->setFocus();
      txtSite->selectAll();
      return;
    }
    siteAddress_ = address->toStdString();
  }
  siteKeyKnown_ = true;
  sampleSiteBase_.clear();  // the user's own choice replaces the sample site
  SetConfiguredQuoteSiteBase(siteAddress_);
  ShowSiteState();
}

void TFrmMain::btnSampleSiteClick() {
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

void TFrmMain::SetSampleSiteAddress(const std::string& base) {
  sampleSiteBase_ = base;
  ShowSiteState();
}

// The field shows the address a run would use; the line under it says where
// that address comes from, or, in red, that there is none yet.
void TFrmMain::ShowSiteState() {
  const std::string base = QuoteSiteBase();
  const bool fromEnvironment = QuoteSiteBaseFromEnvironment();
  const bool unset = IsPlaceholderQuoteSiteBase(base);
  const bool sample = !unset && base == sampleSiteBase_;
  // The environment's address is not the window's to change.
  txtSite->setReadOnly(fromEnvironment);
  txtSite->setText(unset ? QString() : QString::fromStdString(base));
  btnSite->setEnabled(!fromEnvironment);
  btnSampleSite->setVisible(unset);
  QPalette palette = lblSite->palette();
  palette.setColor(QPalette::WindowText, unset ? QColor(Qt::red)
                                               : QPalette().color(QPalette::Active, QPalette::WindowText));
  lblSite->setPalette(palette);
  if (unset) {
    lblSite->setText(QString::fromUtf8(text::kSiteUnset));
  } else if (sample) {
    lblSite->setText(QString::fromUtf8(text::kSiteSampleInUse));
  } else if (fromEnvironment) {
    lblSite->setText(QString::fromUtf8(text::kSiteFromEnvironment));
  } else {
    lblSite->clear();
  }
}

void TFrmMain::SetSiteControlsEnabled(bool enabled) { grpSite->setEnabled(enabled); }

void TFrmMain::BringToFront() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
  QApplication::alert(this);
}

}  // namespace vantora
