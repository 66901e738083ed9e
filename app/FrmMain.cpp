// TFrmMain's event handlers: start of a run and its checks, Cancel and the
// worker's completion, FinishRun, closing the window, the sector ticks and
// the mode switch.
#include "app/FrmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/AltKeyFix.h"
#include "app/GuiSynchronize.h"
#include "app/SjisText.h"
#include "app/TaskbarProgress.h"
#include "app/TextFit.h"
#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/CsvFile.h"
#include "worker/JobSummary.h"
#include "worker/MyThread.h"

namespace vantora {

namespace {

// The right edge the auto-sized status label keeps while its text grows left.
constexpr int kStatusRight = 251;
constexpr int kStatusTop = 376;
constexpr int kStatusHeight = 14;
// The status text never starts left of this.
constexpr int kStatusLeft = 4;

// Taskbar progress needs Windows 7 (6.1) or later; elsewhere the launcher
// entry decides on its own.
bool TaskbarVersionSupported() {
#ifdef _WIN32
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return false;
  return info.dwMajorVersion >= 6 && info.dwMinorVersion >= 1;
#else
  return true;
#endif
}

}  // namespace

TFrmMain::TFrmMain(DialogService& dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      settingsPath_(SettingsFolder() + kSettingsFileName),
      terminateApplication_([] { QCoreApplication::quit(); }) {
  CreateControls();
  connect(chkCtgr, &QCheckBox::toggled, this, [this] { chkCtgrClick(); });
  connect(lstCtgr, &QListWidget::itemChanged, this, &TFrmMain::lstCtgrClickCheck);
  connect(chkCode, &QCheckBox::toggled, this, [this] { chkCodeClick(); });
  connect(btnAction, &QPushButton::clicked, this, [this] { btnActionClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
  connect(btnSite, &QPushButton::clicked, this, [this] { btnSiteClick(); });
  connect(txtSite, &QLineEdit::returnPressed, this, [this] { btnSiteClick(); });
  connect(btnSampleSite, &QPushButton::clicked, this, [this] { btnSampleSiteClick(); });
  FormCreate();
  ShowSiteState();
}

TFrmMain::~TFrmMain() {
  if (busyCursor_) QGuiApplication::restoreOverrideCursor();
}

void TFrmMain::FormCreate() {
  altKeyFix_ = new TAltKeyFix(this);
  taskbarReady_ = false;
  if (TaskbarVersionSupported()) taskbarReady_ = InitializeTaskbarAPI();
  InstallGuiSynchronizeHook();
}

void TFrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_) {
    shownOnce_ = true;
    FormShow();
  }
}

void TFrmMain::FormShow() {
  // Posted, so that the settings are loaded from the event loop once the
  // window is on screen (unless a signal's close has loaded them already).
  QMetaObject::invokeMethod(this, [this] { if (!settingsLoaded_) LoadSettings(); },
                            Qt::QueuedConnection);
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

void TFrmMain::ShowInfo(const char* message, const char* caption) {
  ShowInfo(QString::fromUtf8(message), caption);
}

void TFrmMain::ShowInfo(const QString& message, const char* caption) {
  dialogs_.MessageBox(this, message, QString::fromUtf8(caption), MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

int TFrmMain::Ask(const char* question, const char* caption, bool defaultNo) {
  return Ask(QString::fromUtf8(question), caption, defaultNo);
}

int TFrmMain::Ask(const QString& question, const char* caption, bool defaultNo) {
  return dialogs_.MessageBox(this, question, QString::fromUtf8(caption),
                             MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | (defaultNo ? MB_DEFBUTTON2 : 0u));
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

void TFrmMain::SetCodeFieldColour(bool enabled) {
  QPalette palette = txtCode->palette();
  const QColor colour = enabled ? QPalette().color(QPalette::Active, QPalette::Base)
                                : QPalette().color(QPalette::Active, QPalette::Button);
  palette.setColor(QPalette::Base, colour);
  txtCode->setPalette(palette);
}

void TFrmMain::btnActionClick() {
  if (chkCode->isChecked()) {
    if (TrimControls(txtCode->text()).isEmpty()) {
      ShowInfo(text::kNoCode, text::kCaptionError);
      return;
    }
  } else {
    bool anyTicked = false;
    for (int i = 0; i < lstCtgr->count() && !anyTicked; ++i)
      anyTicked = lstCtgr->item(i)->checkState() == Qt::Checked;
    if (!anyTicked) {
      ShowInfo(text::kNoSector, text::kCaptionError);
      return;
    }
  }

  // A run never goes to the placeholder address: it names no site.
  if (IsPlaceholderQuoteSiteBase(QuoteSiteBase())) {
    ShowInfo(text::kNoSite, text::kCaptionError);
    txtSite->setFocus();
    return;
  }

  // Every run starts from the default name, not from the last file chosen,
  // in the folder the last output went to.
  OutputFileName = QString::fromUtf8(text::kDefaultFileName);
  saveDlg.fileName = OutputFileName;
  saveDlg.folder = lastOutputFolder_;
  const std::optional<QString> chosen = dialogs_.ExecuteSaveDialog(this, saveDlg);
  if (!chosen) return;

  OutputFileName = *chosen;
  const QString fileName = QFileInfo(OutputFileName).fileName();
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? QString() : fileName.mid(dot);
  if (extension.compare(QStringLiteral(".CSV"), Qt::CaseInsensitive) != 0)
    OutputFileName += QStringLiteral(".csv");
  lastOutputFolder_ = QFileInfo(OutputFileName).absolutePath();

  // The file and the outcome report beside it are replaced together; a file
  // that another run is writing is in use.
  for (const QString& file : {OutputFileName, ReportFileName()}) {
    const QFileInfo target(file);
    if (FileInUseByAnotherWriter(QFile::encodeName(file).toStdString()) ||
        ((target.exists() || target.isSymLink()) && !QFile::remove(file))) {
      ShowInfo(text::kFileInUse, text::kCaptionFileError);
      return;
    }
  }

  EnterRunningState();

  if (Worker == nullptr) {
    // The worker deletes itself when its thread ends (free-on-terminate);
    // the window only forgets the pointer in the completion callback.
    Worker = new TMyThread(true, *this);
    Worker->SetFreeOnTerminate(true);
    Worker->Start();
  }
}

void TFrmMain::EnterRunningState() {
  RunStatus = rsActive;
  if (!busyCursor_) {
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursor_ = true;
  }
  btnAction->setEnabled(false);
  btnCancel->setEnabled(true);
  chkCtgr->setEnabled(false);
  chkCode->setEnabled(false);
  txtCode->setEnabled(false);
  lstCtgr->setEnabled(false);
  chkAllPages->setEnabled(false);
  SetSiteControlsEnabled(false);
  prgBar->setValue(0);
  runClock_.start();
  overallPermille_ = -1;
  ShowOverallProgress(0.0);
  QPalette palette = lblStatus->palette();
  palette.setColor(QPalette::WindowText, QPalette().color(QPalette::Active, QPalette::WindowText));
  lblStatus->setPalette(palette);
  SetStatusText(QString::fromUtf8(text::kStarting));
  lblStatus->repaint();
}

void TFrmMain::btnCancelClick() { HandleCancel(false); }

void TFrmMain::JobCompleted(TMyThread* sender) {
  // Only the worker the window holds can complete; a stray call changes
  // nothing.
  if (sender != nullptr && sender == Worker) HandleCancel(true);
}

// The Cancel button and the worker's completion share one handler. The
// completion is told apart by its sender, not by IsRunning, so that a press
// landing between the worker's last step and its completion still counts as
// a press. Once a stop is pending the button stays disabled and the window
// waits for the completion: a run never ends (and the program never quits)
// while its worker may still be writing.
void TFrmMain::HandleCancel(bool completion) {
  if (completion) {
    Worker = nullptr;
    TRunStatus status = RunStatus;
    if (status == rsActive) {
      switch (resultCode_.load()) {
        case kResultNothingFound: status = rsNothingFound; break;
        case kResultOutputFileError: status = rsOutputFileError; break;
        case kResultSiteUnreachable: status = rsSiteUnreachable; break;
        case kResultLayoutChanged: status = rsLayoutChanged; break;
        case kResultScratchFileError: status = rsScratchFileError; break;
        case kResultSiteRefusing: status = rsSiteRefusing; break;
        default: break;
      }
    }
    RunStatus = status;
    // A Cancel question still on screen has lapsed with the run.
    if (cancelQuestionOpen_) dialogs_.DismissMessageBox(this);
    if (status == rsActive) ShowOverallProgress(1.0);
    FinishRun(status);
    lblTotal->clear();
    SetSiteControlsEnabled(true);
    return;
  }

  if (Worker == nullptr) return;  // idle: nothing to cancel
  switch (RunStatus) {
    case rsActive:
      cancelQuestionOpen_ = true;
      if (Ask(text::kAskCancel, text::kCaptionCancel, false) == IDYES) {
        // The run may have ended while the question was on screen.
        if (Worker != nullptr && RunStatus == rsActive) {
          RunStatus = rsCancelled;
          Worker->Terminate();
          btnCancel->setEnabled(false);
        }
      }
      cancelQuestionOpen_ = false;
      break;
    case rsCloseRequested:
      Worker->Terminate();
      RunStatus = rsCloseWaiting;
      btnCancel->setEnabled(false);
      break;
    default:
      break;  // a stop is pending: wait for the completion
  }
}

void TFrmMain::FinishRun(TRunStatus status) {
  if (busyCursor_) {
    QGuiApplication::restoreOverrideCursor();
    busyCursor_ = false;
  }

  switch (status) {
    case rsActive:
      dialogs_.MessageBeep(MB_ICONQUESTION);
      dialogs_.FlashWindow(window(), 30, 700);
      AskOpenFinishedFile(LastJobSummary().AllOk() ? QString::fromUtf8(text::kAskOpen) : NotAllReadQuestion());
      break;
    case rsNothingFound:
      ShowInfo(NothingFoundMessage(), text::kCaptionNothingFound);
      break;
    case rsCancelled:
      ShowInfo(CancelledMessage(), text::kCaptionCancel);
      break;
    case rsLayoutChanged:
      ShowInfo(LayoutStoppedMessage(), text::kCaptionFileError);
      break;
    case rsScratchFileError:
      ShowInfo(ScratchStoppedMessage(), text::kCaptionFileError);
      break;
    case rsSiteRefusing:
      ShowInfo(SiteRefusingMessage(), text::kCaptionFileError);
      break;
    case rsCloseRequested:
    case rsCloseWaiting:
      btnCancel->setEnabled(false);
      SaveSettings();
      terminateApplication_();
      return;
    case rsOutputFileError:
      // A file that could not be opened is in use; one that failed while
      // being written says why.
      if (LastJobSummary().outputOpened) {
        ShowInfo(WriteFailedMessage(), text::kCaptionFileError);
      } else {
        ShowInfo(text::kFileInUse, text::kCaptionFileError);
      }
      break;
    case rsSiteUnreachable:
      if (LastJobSummary().networkTls) {
        ShowInfo(QString::fromUtf8(text::kSiteCertificate)
                     .arg(QString::fromStdString(Cp932ToUtf8(LastJobSummary().networkDetail))),
                 text::kCaptionFileError);
      } else {
        ShowInfo(text::kSiteUnreachable, text::kCaptionFileError);
      }
      break;
    default:
      break;
  }

  if (taskbarReady_) SetTaskbarProgressState(TTaskBarProgressState::tbpsNone);
  SetStatusText(QString());
  prgBar->setValue(0);

  btnAction->setEnabled(true);
  btnCancel->setEnabled(false);
  chkCode->setEnabled(true);
  if (chkCode->isChecked()) {
    txtCode->setEnabled(true);
  } else {
    chkCtgr->setEnabled(true);
    lstCtgr->setEnabled(true);
    chkAllPages->setEnabled(true);
  }
}

void TFrmMain::FormCloseQuery(bool& canClose) {
  if (Worker == nullptr) {
    SaveSettings();
    canClose = true;
    return;
  }
  canClose = false;
  // Already closing: the program ends when the worker reports.
  if (RunStatus == rsCloseWaiting) return;
  if (!closeWithoutQuestion_ && Ask(text::kAskClose, text::kCaptionClose, false) != IDYES) return;
  if (Worker == nullptr) {
    // The run ended while the question was on screen: end now.
    SaveSettings();
    canClose = true;
    return;
  }
  RunStatus = RunStatus == rsCloseRequested ? rsCloseWaiting : rsCloseRequested;
  HandleCancel(false);
}

void TFrmMain::CloseFromSignal() {
  // Saving settings never loaded would overwrite the stored ones with the
  // empty inputs of a window not yet filled in.
  if (!settingsLoaded_) LoadSettings();
  closeWithoutQuestion_ = true;
  // Idle: closed and saved at once. During a run the close is refused and
  // the program ends once the worker has stopped (FinishRun).
  if (close()) terminateApplication_();
}

void TFrmMain::SetAllSectorTicks(bool ticked) {
  ++programmaticTicks_;
  for (int i = 0; i < lstCtgr->count(); ++i)
    lstCtgr->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  --programmaticTicks_;
}

void TFrmMain::chkCtgrClick() {
  SetAllSectorTicks(chkCtgr->isChecked());
  if (lstCtgr->count() > 0 && lstCtgr->isEnabled()) lstCtgr->setFocus();
}

void TFrmMain::lstCtgrClickCheck(QListWidgetItem*) {
  if (programmaticTicks_ > 0) return;
  bool allTicked = true;
  for (int i = 0; i < lstCtgr->count() && allTicked; ++i)
    allTicked = lstCtgr->item(i)->checkState() == Qt::Checked;
  // The all-sectors box follows the list without its own handler running,
  // which would rewrite every tick.
  const QSignalBlocker detach(chkCtgr);
  if (chkCtgr->isChecked() && !allTicked) {
    chkCtgr->setChecked(false);
  } else if (!chkCtgr->isChecked() && allTicked) {
    chkCtgr->setChecked(true);
  }
}

void TFrmMain::chkCodeClick() {
  const bool codeMode = chkCode->isChecked();
  chkCtgr->setEnabled(!codeMode);
  lstCtgr->setEnabled(!codeMode);
  chkAllPages->setEnabled(!codeMode);
  txtCode->setEnabled(codeMode);
  SetCodeFieldColour(codeMode);
}

}  // namespace vantora
