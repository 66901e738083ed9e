// The Qt view's side of TFrmMain: the controls' events handed to the
// behaviour, and the FrmMainView operations done on the Qt widgets.
#include "app/qt/FrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/FrmMainLayout.h"
#include "app/qt/AltKeyFix.h"
#include "app/qt/GuiSynchronize.h"
#include "app/qt/TextFit.h"

namespace vantora {

TFrmMain::TFrmMain(DialogService& dialogs, QWidget* parent)
    : QWidget(parent), FrmMainBehaviour(static_cast<FrmMainView&>(*this), dialogs) {
  CreateControls();
  connect(chkCtgr, &QCheckBox::toggled, this, [this] { chkCtgrClick(); });
  connect(lstCtgr, &QListWidget::itemChanged, this, [this] { lstCtgrClickCheck(); });
  connect(chkCode, &QCheckBox::toggled, this, [this] { chkCodeClick(); });
  connect(btnAction, &QPushButton::clicked, this, [this] { btnActionClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
  connect(btnSite, &QPushButton::clicked, this, [this] { btnSiteClick(); });
  connect(txtSite, &QLineEdit::returnPressed, this, [this] { btnSiteClick(); });
  connect(btnSampleSite, &QPushButton::clicked, this, [this] { btnSampleSiteClick(); });
  altKeyFix_ = new TAltKeyFix(this);
  FormCreate();
}

TFrmMain::~TFrmMain() { ReleaseBusyCursor(); }

void TFrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FormShow();
  }
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TFrmMain::BringToFront() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
  QApplication::alert(this);
}

QWidget* TFrmMain::Control(Ctl control) const {
  switch (control) {
    case Ctl::chkCtgr: return chkCtgr;
    case Ctl::chkAllPages: return chkAllPages;
    case Ctl::lstCtgr: return lstCtgr;
    case Ctl::grp01: return grp01;
    case Ctl::chkCode: return chkCode;
    case Ctl::txtCode: return txtCode;
    case Ctl::btnAction: return btnAction;
    case Ctl::btnCancel: return btnCancel;
    case Ctl::lblStatus: return lblStatus;
    case Ctl::prgBar: return prgBar;
    case Ctl::lblTotal: return lblTotal;
    case Ctl::grpSite: return grpSite;
    case Ctl::txtSite: return txtSite;
    case Ctl::btnSite: return btnSite;
    case Ctl::lblSite: return lblSite;
    case Ctl::btnSampleSite: return btnSampleSite;
  }
  return nullptr;
}

void TFrmMain::SetStatusText(const QString& text) {
  lblStatus->setText(text);
  // A text wider than the room left of the fixed right edge is narrowed
  // rather than cut at the left.
  lblStatus->setFont(font());
  NarrowFontToWidth(lblStatus, kStatusRight - kStatusLeft, 50);
  const int width = std::min(lblStatus->sizeHint().width(), kStatusRight - kStatusLeft);
  lblStatus->setGeometry(kStatusRight - width, kStatusTop, width, kStatusHeight);
}

void TFrmMain::SetEnabled(Ctl control, bool enabled) { Control(control)->setEnabled(enabled); }

bool TFrmMain::Enabled(Ctl control) const { return Control(control)->isEnabled(); }

void TFrmMain::SetVisible(Ctl control, bool visible) { Control(control)->setVisible(visible); }

void TFrmMain::Focus(Ctl control) { Control(control)->setFocus(); }

void TFrmMain::RepaintNow(Ctl control) { Control(control)->repaint(); }

bool TFrmMain::Checked(Ctl box) const {
  const auto* check = qobject_cast<const QCheckBox*>(Control(box));
  return check != nullptr && check->isChecked();
}

void TFrmMain::SetChecked(Ctl box, bool checked) {
  if (auto* check = qobject_cast<QCheckBox*>(Control(box))) {
    const QSignalBlocker detach(check);
    check->setChecked(checked);
  }
}

std::string TFrmMain::Text(Ctl control) const {
  QWidget* widget = Control(control);
  if (const auto* field = qobject_cast<const QLineEdit*>(widget)) return field->text().toStdString();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text().toStdString();
  return {};
}

void TFrmMain::SetText(Ctl control, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (control == Ctl::lblStatus) {
    SetStatusText(shown);
  } else if (auto* field = qobject_cast<QLineEdit*>(Control(control))) {
    field->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(Control(control))) {
    label->setText(shown);
  }
}

void TFrmMain::SetWarningColour(Ctl label, bool warning) {
  QWidget* widget = Control(label);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText,
                   warning ? QColor(Qt::red) : QPalette().color(QPalette::Active, QPalette::WindowText));
  widget->setPalette(palette);
}

void TFrmMain::SetReadOnly(Ctl field, bool readOnly) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(field))) edit->setReadOnly(readOnly);
}

void TFrmMain::SelectAllText(Ctl field) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(field))) edit->selectAll();
}

void TFrmMain::SetFieldLook(Ctl field, bool editable) {
  QWidget* widget = Control(field);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, editable ? QPalette().color(QPalette::Active, QPalette::Base)
                                            : QPalette().color(QPalette::Active, QPalette::Button));
  widget->setPalette(palette);
}

int TFrmMain::SectorCount() const { return lstCtgr->count(); }

bool TFrmMain::SectorTicked(int index) const { return lstCtgr->item(index)->checkState() == Qt::Checked; }

void TFrmMain::SetSectorTicked(int index, bool ticked) {
  const QSignalBlocker detach(lstCtgr);
  lstCtgr->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TFrmMain::SetCurrentSector(int index) { lstCtgr->setCurrentRow(index); }

void TFrmMain::SetBarRange(int maximum) { prgBar->setRange(0, maximum); }

void TFrmMain::SetBarPosition(int position) { prgBar->setValue(position); }

int TFrmMain::BarPosition() const { return prgBar->value(); }

int TFrmMain::BarMaximum() const { return prgBar->maximum(); }

void TFrmMain::SetBusyCursor(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void TFrmMain::PostToEventLoop(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void TFrmMain::QuitApplication() { QCoreApplication::quit(); }

void TFrmMain::InstallSynchronizeHook() { InstallGuiSynchronizeHook(); }

bool TFrmMain::InitializeTaskbar() { return vantora::InitializeTaskbarAPI(); }

void TFrmMain::SetTaskbarState(TTaskBarProgressState state) { vantora::SetTaskbarProgressState(state); }

void TFrmMain::SetTaskbarValue(std::uint64_t completed, std::uint64_t total) {
  vantora::SetTaskbarProgressValue(completed, total);
}

}  // namespace vantora
