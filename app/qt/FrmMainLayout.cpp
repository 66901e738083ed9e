// TFrmMain's controls: their names, classes, texts, bounds, fonts, tab order
// and initial states, and the window's own properties (caption, fixed client
// size, no maximise box, top-left position). Under the progress bar, where
// the designed window ended, come the whole job's progress line and the quote
// site setting.
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "app/FrmMainLayout.h"
#include "app/qt/FrmMain.h"
#include "app/qt/TextFit.h"
#include "worker/Job.h"

namespace vantora {

namespace {

// "ＭＳ Ｐゴシック" first; where it is missing, a Japanese Gothic font that has
// the glyphs.
QFont GothicFont(int pixelSize) {
  QFont font;
  QStringList families;
  for (const char* face : kGothicFaces) families << QString::fromUtf8(face);
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

QRect Bounds(Ctl control) {
  const ControlLayout& entry = LayoutOf(control);
  return QRect(entry.x, entry.y, entry.width, entry.height);
}

// The designed bounds were made for a narrow Gothic face; where the installed
// face runs wider, the text is narrowed a little instead of being cut off.
void FitTextToWidth(QWidget* control) { NarrowFontToWidth(control, control->width(), 75); }

}  // namespace

void TFrmMain::CreateControls() {
  setObjectName(QStringLiteral("FrmMain"));
  setWindowTitle(QString::fromUtf8(text::kTitle));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(GothicFont(kFontPixels));
  setFixedSize(kFormWidth, kFormHeight);
  move(0, 0);

  chkCtgr = new QCheckBox(QString::fromUtf8(text::kCtgr), this);
  chkCtgr->setObjectName(QStringLiteral("chkCtgr"));
  chkCtgr->setGeometry(Bounds(Ctl::chkCtgr));
  FitTextToWidth(chkCtgr);

  // Beside the sector selection: read every result page of a listing.
  chkAllPages = new QCheckBox(QString::fromUtf8(text::kAllPages), this);
  chkAllPages->setObjectName(QStringLiteral("chkAllPages"));
  chkAllPages->setGeometry(Bounds(Ctl::chkAllPages));
  FitTextToWidth(chkAllPages);

  lstCtgr = new QListWidget(this);
  lstCtgr->setObjectName(QStringLiteral("lstCtgr"));
  lstCtgr->setGeometry(Bounds(Ctl::lstCtgr));
  lstCtgr->setFont(GothicFont(kListFontPixels));
  lstCtgr->setUniformItemSizes(true);
  lstCtgr->setAttribute(Qt::WA_InputMethodEnabled, false);
  for (int i = 0; i < kSectorCount; ++i) {
    auto* item = new QListWidgetItem(QString::fromUtf8(SectorNameUtf8(i)), lstCtgr);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(0, 16));
  }

  grp01 = new QGroupBox(QString::fromUtf8(text::kGrp01), this);
  grp01->setObjectName(QStringLiteral("grp01"));
  grp01->setGeometry(Bounds(Ctl::grp01));

  chkCode = new QCheckBox(QString::fromUtf8(text::kCode), grp01);
  chkCode->setObjectName(QStringLiteral("chkCode"));
  chkCode->setGeometry(Bounds(Ctl::chkCode));
  FitTextToWidth(chkCode);

  txtCode = new QLineEdit(grp01);
  txtCode->setObjectName(QStringLiteral("txtCode"));
  txtCode->setGeometry(Bounds(Ctl::txtCode));
  txtCode->setAttribute(Qt::WA_InputMethodEnabled, false);
  txtCode->setEnabled(false);
  SetFieldLook(Ctl::txtCode, false);

  btnAction = new QPushButton(QString::fromUtf8(text::kAction), this);
  btnAction->setObjectName(QStringLiteral("btnAction"));
  btnAction->setGeometry(Bounds(Ctl::btnAction));

  btnCancel = new QPushButton(QString::fromUtf8(text::kCancel), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setGeometry(Bounds(Ctl::btnCancel));
  btnCancel->setEnabled(false);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblStatus->setGeometry(Bounds(Ctl::lblStatus));
  SetStatusText(QStringLiteral("\u3000\u3000"));

  prgBar = new QProgressBar(this);
  prgBar->setObjectName(QStringLiteral("prgBar"));
  prgBar->setGeometry(Bounds(Ctl::prgBar));
  prgBar->setRange(0, 100);
  prgBar->setValue(0);
  prgBar->setTextVisible(false);

  lblTotal = new QLabel(this);
  lblTotal->setObjectName(QStringLiteral("lblTotal"));
  lblTotal->setGeometry(Bounds(Ctl::lblTotal));

  grpSite = new QGroupBox(QString::fromUtf8(text::kSiteGroup), this);
  grpSite->setObjectName(QStringLiteral("grpSite"));
  grpSite->setGeometry(Bounds(Ctl::grpSite));

  txtSite = new QLineEdit(grpSite);
  txtSite->setObjectName(QStringLiteral("txtSite"));
  txtSite->setGeometry(Bounds(Ctl::txtSite));
  txtSite->setPlaceholderText(QString::fromUtf8(text::kSitePrompt));
  txtSite->setAttribute(Qt::WA_InputMethodEnabled, false);

  btnSite = new QPushButton(QString::fromUtf8(text::kSiteApply), grpSite);
  btnSite->setObjectName(QStringLiteral("btnSite"));
  btnSite->setGeometry(Bounds(Ctl::btnSite));
  FitTextToWidth(btnSite);

  lblSite = new QLabel(grpSite);
  lblSite->setObjectName(QStringLiteral("lblSite"));
  lblSite->setGeometry(Bounds(Ctl::lblSite));
  lblSite->setWordWrap(true);
  lblSite->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  btnSampleSite = new QPushButton(QString::fromUtf8(text::kSiteSample), grpSite);
  btnSampleSite->setObjectName(QStringLiteral("btnSampleSite"));
  btnSampleSite->setGeometry(Bounds(Ctl::btnSampleSite));

  // Enter presses the focused button, as Space does.
  for (QPushButton* button : {btnAction, btnCancel, btnSite, btnSampleSite})
    button->setAutoDefault(true);

  setTabOrder(chkCtgr, chkAllPages);
  setTabOrder(chkAllPages, lstCtgr);
  setTabOrder(lstCtgr, chkCode);
  setTabOrder(chkCode, txtCode);
  setTabOrder(txtCode, btnAction);
  setTabOrder(btnAction, btnCancel);
  setTabOrder(btnCancel, prgBar);
  setTabOrder(prgBar, txtSite);
  setTabOrder(txtSite, btnSite);
  setTabOrder(btnSite, btnSampleSite);

  saveDlg.title = text::kSaveTitle;
  saveDlg.filter = text::kSaveFilter;
  saveDlg.options = ofHideReadOnly | ofOverwritePrompt | ofEnableSizing;
}

}  // namespace vantora
