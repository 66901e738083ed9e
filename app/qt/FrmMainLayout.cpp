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

#include "app/qt/FrmMain.h"
#include "app/qt/TextFit.h"
#include "worker/Job.h"

namespace vantora {

namespace {

// "ＭＳ Ｐゴシック" first; where it is missing, a Japanese Gothic font that has
// the glyphs.
QFont GothicFont(int pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                    QStringLiteral("TakaoPGothic")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
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
  setFont(GothicFont(12));
  setFixedSize(kFormWidth, kFormHeight);
  move(0, 0);

  chkCtgr = new QCheckBox(QStringLiteral(" 業種の選択 : "), this);
  chkCtgr->setObjectName(QStringLiteral("chkCtgr"));
  chkCtgr->setGeometry(11, 8, 102, 17);
  FitTextToWidth(chkCtgr);

  // Beside the sector selection: read every result page of a listing.
  chkAllPages = new QCheckBox(QString::fromUtf8(text::kAllPages), this);
  chkAllPages->setObjectName(QStringLiteral("chkAllPages"));
  chkAllPages->setGeometry(150, 8, 98, 17);
  FitTextToWidth(chkAllPages);

  lstCtgr = new QListWidget(this);
  lstCtgr->setObjectName(QStringLiteral("lstCtgr"));
  lstCtgr->setGeometry(8, 28, 240, 228);
  lstCtgr->setFont(GothicFont(13));
  lstCtgr->setUniformItemSizes(true);
  lstCtgr->setAttribute(Qt::WA_InputMethodEnabled, false);
  for (int i = 0; i < kSectorCount; ++i) {
    auto* item = new QListWidgetItem(QString::fromUtf8(SectorNameUtf8(i)), lstCtgr);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(0, 16));
  }

  grp01 = new QGroupBox(QStringLiteral(" 取得条件の設定 "), this);
  grp01->setObjectName(QStringLiteral("grp01"));
  grp01->setGeometry(8, 266, 240, 70);

  chkCode = new QCheckBox(QStringLiteral(" 銘柄コードから取得 （','で複数指定可）"), grp01);
  chkCode->setObjectName(QStringLiteral("chkCode"));
  chkCode->setGeometry(10, 16, 227, 17);
  FitTextToWidth(chkCode);

  txtCode = new QLineEdit(grp01);
  txtCode->setObjectName(QStringLiteral("txtCode"));
  txtCode->setGeometry(10, 38, 220, 20);
  txtCode->setAttribute(Qt::WA_InputMethodEnabled, false);
  txtCode->setEnabled(false);
  SetFieldLook(Ctl::txtCode, false);

  btnAction = new QPushButton(QStringLiteral("取得開始 (&R)"), this);
  btnAction->setObjectName(QStringLiteral("btnAction"));
  btnAction->setGeometry(8, 345, 119, 28);

  btnCancel = new QPushButton(QStringLiteral("キャンセル (&C)"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setGeometry(128, 345, 120, 28);
  btnCancel->setEnabled(false);

  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblStatus->setGeometry(235, 376, 16, 12);
  SetStatusText(QStringLiteral("\u3000\u3000"));

  prgBar = new QProgressBar(this);
  prgBar->setObjectName(QStringLiteral("prgBar"));
  prgBar->setGeometry(0, 390, 256, 16);
  prgBar->setRange(0, 100);
  prgBar->setValue(0);
  prgBar->setTextVisible(false);

  lblTotal = new QLabel(this);
  lblTotal->setObjectName(QStringLiteral("lblTotal"));
  lblTotal->setGeometry(8, 410, 240, 14);

  grpSite = new QGroupBox(QString::fromUtf8(text::kSiteGroup), this);
  grpSite->setObjectName(QStringLiteral("grpSite"));
  grpSite->setGeometry(8, 428, 240, 126);

  txtSite = new QLineEdit(grpSite);
  txtSite->setObjectName(QStringLiteral("txtSite"));
  txtSite->setGeometry(10, 18, 162, 22);
  txtSite->setPlaceholderText(QString::fromUtf8(text::kSitePrompt));
  txtSite->setAttribute(Qt::WA_InputMethodEnabled, false);

  btnSite = new QPushButton(QString::fromUtf8(text::kSiteApply), grpSite);
  btnSite->setObjectName(QStringLiteral("btnSite"));
  btnSite->setGeometry(174, 17, 58, 24);
  FitTextToWidth(btnSite);

  lblSite = new QLabel(grpSite);
  lblSite->setObjectName(QStringLiteral("lblSite"));
  lblSite->setGeometry(10, 44, 222, 52);
  lblSite->setWordWrap(true);
  lblSite->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  btnSampleSite = new QPushButton(QString::fromUtf8(text::kSiteSample), grpSite);
  btnSampleSite->setObjectName(QStringLiteral("btnSampleSite"));
  btnSampleSite->setGeometry(10, 98, 222, 24);

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
