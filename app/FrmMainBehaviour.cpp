// TFrmMain's event handlers: start of a run and its checks, Cancel and the
// worker's completion, FinishRun, closing the window, the sector ticks and
// the mode switch.
#include "app/FrmMainBehaviour.h"

#include <filesystem>
#include <system_error>

#include "common/FileName.h"
#include "app/TextConversions.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/CsvFile.h"
#include "worker/JobSummary.h"
#include "worker/MyThread.h"

namespace vantora {

namespace {

// Whether `extension` is ".csv" in any case.
bool IsCsvExtension(std::string_view extension) {
  if (extension.size() != 4 || extension[0] != '.') return false;
  for (std::size_t i = 1; i < 4; ++i) {
    const char c = static_cast<char>(extension[i] | 0x20);
    if (c != "_csv"[i]) return false;
  }
  return true;
}

// Removes the file (or link) at `utf8`; true when nothing is there any more.
// A folder at the name is never removed.
bool RemoveIfPresent(const std::string& utf8) {
  const std::filesystem::path path = NativePath(utf8);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found ||
      status.type() == std::filesystem::file_type::none)
    return true;
  if (status.type() == std::filesystem::file_type::directory) return false;
  return std::filesystem::remove(path, ec) && !ec;
}

}  // namespace

FrmMainBehaviour::FrmMainBehaviour(FrmMainView& view, DialogService& dialogs)
    : view_(view),
      dialogs_(dialogs),
      settingsPath_(SettingsFolder() + kSettingsFileName),
      terminateApplication_([this] { view_.QuitApplication(); }) {}

FrmMainBehaviour::~FrmMainBehaviour() = default;

void FrmMainBehaviour::FormCreate() {
  taskbarReady_ = view_.InitializeTaskbar();
  view_.InstallSynchronizeHook();
  ShowSiteState();
}

void FrmMainBehaviour::FormShow() {
  // Posted, so that the settings are loaded from the event loop once the
  // window is on screen (unless a signal's close has loaded them already).
  view_.PostToEventLoop([this] {
    if (settingsLoaded_) return;
    LoadSettings();
    OfferResume();
  });
}

void FrmMainBehaviour::ReleaseBusyCursor() {
  if (!busyCursor_) return;
  view_.SetBusyCursor(false);
  busyCursor_ = false;
}

void FrmMainBehaviour::ShowInfo(const std::string& message, const char* caption) {
  dialogs_.MessageBox(view_.DialogOwner(), message, caption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

int FrmMainBehaviour::Ask(const std::string& question, const char* caption, bool defaultNo) {
  return dialogs_.MessageBox(view_.DialogOwner(), question, caption,
                             MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | (defaultNo ? MB_DEFBUTTON2 : 0u));
}

void FrmMainBehaviour::btnActionClick() {
  if (view_.Checked(Ctl::chkCode)) {
    if (TrimControls(view_.Text(Ctl::txtCode)).empty()) {
      ShowInfo(text::kNoCode, text::kCaptionError);
      return;
    }
  } else {
    bool anyTicked = false;
    for (int i = 0; i < view_.SectorCount() && !anyTicked; ++i) anyTicked = view_.SectorTicked(i);
    if (!anyTicked) {
      ShowInfo(text::kNoSector, text::kCaptionError);
      return;
    }
  }

  // A run never goes to the placeholder address: it names no site.
  if (IsPlaceholderQuoteSiteBase(QuoteSiteBase())) {
    ShowInfo(text::kNoSite, text::kCaptionError);
    view_.Focus(Ctl::txtSite);
    return;
  }

  // Every run starts from the default name, not from the last file chosen,
  // in the folder the last output went to.
  OutputFileName = text::kDefaultFileName;
  saveDlg.fileName = OutputFileName;
  saveDlg.folder = lastOutputFolder_;
  const std::optional<std::string> chosen = dialogs_.ExecuteSaveDialog(view_.DialogOwner(), saveDlg);
  if (!chosen) return;

  OutputFileName = *chosen;
  const std::string fileName = NameOf(NativePath(OutputFileName).filename());
  const std::size_t dot = fileName.rfind('.');
  if (!IsCsvExtension(dot == std::string::npos ? std::string_view() : std::string_view(fileName).substr(dot)))
    OutputFileName += ".csv";
  std::error_code ec;
  lastOutputFolder_ = NameOf(std::filesystem::absolute(NativePath(OutputFileName), ec).parent_path());

  // The file and the outcome report beside it are replaced together; a file
  // that another run is writing is in use.
  for (const std::string& file : {OutputFileName, ReportFileName()}) {
    if (FileInUseByAnotherWriter(file) || !RemoveIfPresent(file)) {
      ShowInfo(text::kFileInUse, text::kCaptionFileError);
      return;
    }
  }

  StartWorker(RunKind::kFresh);
}

void FrmMainBehaviour::StartWorker(RunKind kind) {
  runKind_ = kind;
  // A fresh run or a resume is remembered until it has gone through, so
  // that the next start can offer to take it up if it is cut short.
  if (kind != RunKind::kRetry) RememberRunInProgress(true);
  EnterRunningState();

  if (Worker == nullptr) {
    // The worker deletes itself when its thread ends (free-on-terminate);
    // the window only forgets the pointer in the completion callback.
    Worker = new TMyThread(true, *this);
    Worker->SetFreeOnTerminate(true);
    Worker->Start();
  }
}

void FrmMainBehaviour::EnterRunningState() {
  RunStatus = rsActive;
  if (!busyCursor_) {
    view_.SetBusyCursor(true);
    busyCursor_ = true;
  }
  for (Ctl control : {Ctl::btnAction, Ctl::chkCtgr, Ctl::chkCode, Ctl::txtCode, Ctl::lstCtgr,
                      Ctl::chkAllPages, Ctl::grpSite})
    view_.SetEnabled(control, false);
  view_.SetEnabled(Ctl::btnCancel, true);
  view_.SetBarPosition(0);
  runStart_ = std::chrono::steady_clock::now();
  overallPermille_ = -1;
  ShowOverallProgress(0.0);
  view_.SetWarningColour(Ctl::lblStatus, false);
  view_.SetText(Ctl::lblStatus, text::kStarting);
  view_.RepaintNow(Ctl::lblStatus);
}

void FrmMainBehaviour::btnCancelClick() { HandleCancel(false); }

void FrmMainBehaviour::JobCompleted(TMyThread* sender) {
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
void FrmMainBehaviour::HandleCancel(bool completion) {
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
    if (cancelQuestionOpen_) dialogs_.DismissMessageBox(view_.DialogOwner());
    if (status == rsActive) ShowOverallProgress(1.0);
    FinishRun(status);
    view_.SetText(Ctl::lblTotal, std::string());
    view_.SetEnabled(Ctl::grpSite, true);
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
          view_.SetEnabled(Ctl::btnCancel, false);
        }
      }
      cancelQuestionOpen_ = false;
      break;
    case rsCloseRequested:
      Worker->Terminate();
      RunStatus = rsCloseWaiting;
      view_.SetEnabled(Ctl::btnCancel, false);
      break;
    default:
      break;  // a stop is pending: wait for the completion
  }
}

void FrmMainBehaviour::FinishRun(TRunStatus status) {
  ReleaseBusyCursor();
  summary_ = LastJobSummary();
  if (runKind_ == RunKind::kRetry) status = FinishRetry(status);
  const bool wentThrough = status == rsActive || status == rsNothingFound;
  if (wentThrough && runKind_ != RunKind::kRetry) RememberRunInProgress(false);
  runKind_ = RunKind::kFresh;

  switch (status) {
    case rsActive:
      dialogs_.MessageBeep(MB_ICONQUESTION);
      dialogs_.FlashWindow(view_.DialogOwner(), 30, 700);
      AskOpenFinishedFile(summary_.AllOk() ? std::string(text::kAskOpen) : NotAllReadQuestion());
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
      view_.SetEnabled(Ctl::btnCancel, false);
      SaveSettings();
      terminateApplication_();
      return;
    case rsOutputFileError:
      // A file that could not be opened is in use; one that failed while
      // being written says why.
      ShowInfo(summary_.outputOpened ? WriteFailedMessage() : std::string(text::kFileInUse),
               text::kCaptionFileError);
      break;
    case rsSiteUnreachable:
      ShowInfo(SiteUnreachableMessage(), text::kCaptionFileError);
      break;
    default:
      break;
  }

  if (taskbarReady_) view_.SetTaskbarState(TTaskBarProgressState::tbpsNone);
  view_.SetText(Ctl::lblStatus, std::string());
  view_.SetBarPosition(0);

  view_.SetEnabled(Ctl::btnAction, true);
  view_.SetEnabled(Ctl::btnCancel, false);
  view_.SetEnabled(Ctl::chkCode, true);
  if (view_.Checked(Ctl::chkCode)) {
    view_.SetEnabled(Ctl::txtCode, true);
  } else {
    for (Ctl control : {Ctl::chkCtgr, Ctl::lstCtgr, Ctl::chkAllPages}) view_.SetEnabled(control, true);
  }
  // Offered once the window is idle again; Yes starts the retry at once.
  if (status == rsActive && !summary_.AllOk()) OfferRetry();
}

void FrmMainBehaviour::FormCloseQuery(bool& canClose) {
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

void FrmMainBehaviour::CloseFromSignal() {
  // Saving settings never loaded would overwrite the stored ones with the
  // empty inputs of a window not yet filled in.
  if (!settingsLoaded_) LoadSettings();
  closeWithoutQuestion_ = true;
  // Idle: closed and saved at once. During a run the close is refused and
  // the program ends once the worker has stopped (FinishRun).
  if (view_.CloseWindow()) terminateApplication_();
}

void FrmMainBehaviour::StopWorkerForExit() {
  if (Worker == nullptr) return;
  RunStatus = rsCloseWaiting;
  terminateApplication_ = [] {};
  Worker->Terminate();
}

void FrmMainBehaviour::SetAllSectorTicks(bool ticked) {
  for (int i = 0; i < view_.SectorCount(); ++i) view_.SetSectorTicked(i, ticked);
}

void FrmMainBehaviour::chkCtgrClick() {
  SetAllSectorTicks(view_.Checked(Ctl::chkCtgr));
  if (view_.SectorCount() > 0 && view_.Enabled(Ctl::lstCtgr)) view_.Focus(Ctl::lstCtgr);
}

void FrmMainBehaviour::lstCtgrClickCheck() {
  bool allTicked = true;
  for (int i = 0; i < view_.SectorCount() && allTicked; ++i) allTicked = view_.SectorTicked(i);
  // The all-sectors box follows the list without its own handler running,
  // which would rewrite every tick.
  if (view_.Checked(Ctl::chkCtgr) != allTicked) view_.SetChecked(Ctl::chkCtgr, allTicked);
}

void FrmMainBehaviour::chkCodeClick() {
  const bool codeMode = view_.Checked(Ctl::chkCode);
  for (Ctl control : {Ctl::chkCtgr, Ctl::lstCtgr, Ctl::chkAllPages}) view_.SetEnabled(control, !codeMode);
  view_.SetEnabled(Ctl::txtCode, codeMode);
  view_.SetFieldLook(Ctl::txtCode, codeMode);
}

}  // namespace vantora
