// The behaviour of TFrmMain, the program's one window, apart from any
// toolkit. It collects the input mode (ticked sectors or typed stock codes),
// asks for the output file, runs one retrieval worker at a time, shows its
// progress, lets the user cancel, reports the outcome and keeps the inputs in
// the settings file. It is the worker's host: the worker reads the inputs and
// calls the progress and completion callbacks on the GUI thread through the
// synchronous call. It reaches the controls through a FrmMainView and the
// boxes and dialogs through a DialogService; each view derives its TFrmMain
// from this class and forwards the controls' events to the handlers here.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/DialogService.h"
#include "app/FrmMainTexts.h"
#include "app/FrmMainView.h"
#include "worker/JobHost.h"
#include "worker/JobSummary.h"

namespace vantora {

class QuoteServer;
class TMyThread;

class FrmMainBehaviour : public JobHost {
 public:
  // `view` and `dialogs` must outlive the behaviour. Nothing is asked of the
  // view until FormCreate.
  FrmMainBehaviour(FrmMainView& view, DialogService& dialogs);
  ~FrmMainBehaviour() override;
  FrmMainBehaviour(const FrmMainBehaviour&) = delete;
  FrmMainBehaviour& operator=(const FrmMainBehaviour&) = delete;

  SaveDialogRequest saveDlg;

  // The running worker, null when none. It frees itself when its thread
  // ends; the window forgets it in the completion callback.
  TMyThread* Worker = nullptr;
  std::string OutputFileName;  // UTF-8
  TRunStatus RunStatus = rsActive;

  // Event handlers. FormCreate runs once the view's controls exist;
  // FormShow when the window is first shown.
  void FormCreate();
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void btnActionClick();
  void btnCancelClick();
  void FinishRun(TRunStatus status);
  void chkCtgrClick();
  void lstCtgrClickCheck();
  void chkCodeClick();
  void btnSiteClick();
  void btnSampleSiteClick();
  void LoadSettings();
  void SaveSettings();

  // Closes the window as its close button does, without the question a run
  // in progress would ask (a termination signal asks so): the settings are
  // saved, a running worker is stopped first, then the program is ended.
  void CloseFromSignal();
  // The bundled sample site serves at `base` for this session (--demo).
  void SetSampleSiteAddress(const std::string& base);
  // The address the user set and the settings file keeps; empty: none.
  const std::string& SiteAddress() const { return siteAddress_; }

  // The settings file (program folder + "fnc.ini" unless set otherwise).
  std::string SettingsPath() const { return settingsPath_; }
  void SetSettingsPath(std::string path) { settingsPath_ = std::move(path); }
  // What ends the program from the closing state (the view's
  // QuitApplication unless set otherwise).
  void SetTerminateApplication(std::function<void()> terminate) {
    terminateApplication_ = std::move(terminate);
  }
  bool SettingsLoaded() const { return settingsLoaded_; }
  bool IsTaskbarReady() const { return taskbarReady_; }
  // Whether a stop of the running worker has been asked for and not yet
  // reported back.
  bool StopPending() const {
    return Worker != nullptr && (RunStatus == rsCancelled || RunStatus == rsCloseRequested ||
                                 RunStatus == rsCloseWaiting);
  }
  // At the program's end with a worker still running (the event loop ended
  // some other way): tells it to stop; its completion then only saves the
  // settings. The view waits for the thread to end before it goes.
  void StopWorkerForExit();
  // Gives back the busy cursor if a run still holds it (the view calls this
  // as it goes).
  void ReleaseBusyCursor();

  // JobHost: called by the worker through the synchronous call.
  JobInputs Inputs() override;
  void ResetProgress(int maximum) override;
  void StepProgress() override;
  int ProgressPosition() override;
  int ProgressMaximum() override;
  bool TaskbarReady() override { return taskbarReady_; }
  void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) override;
  void ShowStatus(const std::string& caption) override;
  void JobCompleted(TMyThread* sender) override;
  std::atomic<bool>& IsRunning() override { return isRunning_; }
  std::atomic<int>& ResultCode() override { return resultCode_; }

 private:
  void EnterRunningState();
  void ShowInfo(const std::string& message, const char* caption);
  int Ask(const std::string& question, const char* caption, bool defaultNo);
  // The end messages that tell what could not be read (FrmMainBehaviourOutcome.cpp).
  void AskOpenFinishedFile(const std::string& question);
  std::string ReportFileName() const;
  std::string NotAllReadQuestion() const;
  std::string NothingFoundMessage() const;
  std::string CancelledMessage() const;
  std::string LayoutStoppedMessage() const;
  std::string ScratchStoppedMessage() const;
  std::string WriteFailedMessage() const;
  std::string SiteRefusingMessage() const;
  std::string SiteUnreachableMessage() const;
  void ReportOpenFailure();
  // Runs that start from the output file already there: a run interrupted
  // before is offered for resuming when the window opens, the companies
  // that failed for reading again when a run ends
  // (FrmMainBehaviourContinue.cpp).
  enum class RunKind { kFresh, kResume, kRetry };
  void StartWorker(RunKind kind);
  void RememberRunInProgress(bool inProgress);
  void OfferResume();
  bool OfferRetry();
  TRunStatus FinishRetry(TRunStatus status);
  std::string RunFilePath() const;
  void WriteSettings();
  // Puts inputs read from a file into the controls, as the user's clicks would.
  void ApplyInputs(bool codeMode, const std::string& codeListSjis, const std::string& category);
  std::string SectorTicks() const;
  // The mode, the code text and the sector ticks in `section` of a profile file.
  void ReadInputs(const std::string& path, const char* section);
  void WriteInputs(const std::string& path, const char* section);
  void SetAllSectorTicks(bool ticked);
  void HandleCancel(bool completion);
  void ShowSiteState();
  void ShowOverallProgress(double fraction);
  long long RunMilliseconds() const;

  RunKind runKind_ = RunKind::kFresh;
  std::optional<JobInputs> plannedInputs_;  // the inputs of a resume or a retry
  std::string retryFile_;                    // where a retry writes its new lines (native)
  JobSummary summary_;                       // of the run that ended (the whole file after a retry)
  FrmMainView& view_;
  DialogService& dialogs_;
  std::atomic<bool> isRunning_{false};
  std::atomic<int> resultCode_{0};
  bool taskbarReady_ = false;
  bool busyCursor_ = false;  // the application-starting cursor is in force
  bool allPagesKeyKnown_ = false;  // the settings file has the all-pages key
  bool settingsLoaded_ = false;
  bool cancelQuestionOpen_ = false;
  bool closeWithoutQuestion_ = false;  // a termination signal asked to close
  bool siteKeyKnown_ = false;  // the settings file holds the site key, or the user set it
  int overallPermille_ = 0;
  std::chrono::steady_clock::time_point runStart_;
  std::string lastOutputFolder_;
  std::string settingsPath_;
  std::string siteAddress_;
  std::string sampleSiteBase_;
  std::unique_ptr<QuoteServer> sampleSite_;  // started from the window's button
  std::function<void()> terminateApplication_;
};

}  // namespace vantora
