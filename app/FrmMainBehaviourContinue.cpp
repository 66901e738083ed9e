// TFrmMain's runs from the output file already there. A fresh run (and a
// resumed one) is remembered from its start until it has gone through, in
// a file of its own beside the settings file ("run.ini": the output file
// and the run's inputs; the settings file itself is written only on
// close). When the window opens and finds a run remembered whose file and
// report are still a pair no other run writes, it offers to take it up
// (default No; No forgets it and leaves the files as they are). When a run
// ends with companies or listings that could not be read, it offers to read
// those again; their new lines then go in place of the old ones.
#include <chrono>

#include "app/FrmMainBehaviour.h"
#include "app/Settings.h"
#include "app/TextConversions.h"
#include "common/FileName.h"
#include "worker/ContinueRun.h"

namespace vantora {

namespace {
constexpr char kSection[] = "Run";
}  // namespace

std::string FrmMainBehaviour::RunFilePath() const {
  return NameOf(NativePath(settingsPath_).parent_path() / "run.ini");
}

void FrmMainBehaviour::RememberRunInProgress(bool inProgress) {
  const std::string path = RunFilePath();
  RemoveFile(path);
  if (!inProgress) return;
  // A folder that cannot take the file only loses the offer.
  try {
    WriteProfileString(path, kSection, "Output", ToSjis(OutputFileName));
    WriteInputs(path, kSection);
    WriteProfileString(path, kSection, "AllPages", view_.Checked(Ctl::chkAllPages) ? "1" : "0");
  } catch (const ProfileWriteError&) {
  }
}

void FrmMainBehaviour::OfferResume() {
  const std::string path = RunFilePath();
  const std::string stored = FromSjis(ReadProfileString(path, kSection, "Output", ""));
  if (stored.empty() || Worker != nullptr) return;
  // The window shows the inputs of the run it offers to take up.
  ReadInputs(path, kSection);
  view_.SetChecked(Ctl::chkAllPages, ReadProfileBool(path, kSection, "AllPages", false));
  OutputFileName = stored;
  JobInputs inputs = Inputs();
  const ContinuePlan plan = PlanResume(stored, inputs);
  // A file gone, changed or in use is no run to take up.
  if (plan.refusal != ContinueRefusal::kNone || Ask(text::kAskResume, text::kCaptionOpen, true) != IDYES) {
    RememberRunInProgress(false);
    // The window goes back to the inputs of the settings file.
    ApplyInputs(false, std::string(), std::string());
    LoadSettings();
    return;
  }
  plannedInputs_ = std::move(inputs);
  StartWorker(RunKind::kResume);
}

bool FrmMainBehaviour::OfferRetry() {
  const int failed = summary_.CompaniesNotOk() + summary_.listingsNotOk;
  if (failed <= 0 || Worker != nullptr) return false;
  if (Ask(FormatText(text::kAskRetry, {std::to_string(failed)}), text::kCaptionOpen, true) != IDYES) return false;
  const std::string& target = OutputFileName;
  const auto id = std::chrono::system_clock::now().time_since_epoch() / std::chrono::milliseconds(1);
  retryFile_ = RetryFileName(target, static_cast<long long>(id));
  JobInputs inputs = Inputs();
  const ContinuePlan plan = PlanRetry(target, retryFile_, inputs);
  if (plan.refusal == ContinueRefusal::kInUse) {
    ShowInfo(text::kFileInUse, text::kCaptionFileError);
    return false;
  }
  if (plan.refusal != ContinueRefusal::kNone) {
    ShowInfo(text::kFileMissing, text::kCaptionFileError);
    return false;
  }
  plannedInputs_ = std::move(inputs);
  StartWorker(RunKind::kRetry);
  return true;
}

TRunStatus FrmMainBehaviour::FinishRetry(TRunStatus status) {
  const bool wentThrough = status == rsActive || status == rsNothingFound;
  const std::string& target = OutputFileName;
  std::string error;
  const bool merged = MergeRetry(target, retryFile_, wentThrough, error);
  // The end messages tell of the whole file, not of the retry alone.
  JobSummary whole = WholeFileSummary(target);
  whole.stop = summary_.stop;
  whole.networkDetail = summary_.networkDetail;
  whole.networkReason = summary_.networkReason;
  whole.networkTls = summary_.networkTls;
  whole.scratchFolder = summary_.scratchFolder;
  whole.reason = summary_.reason;
  whole.outputOpened = true;
  summary_ = std::move(whole);
  if (!merged) {
    summary_.reason = error;
    return rsOutputFileError;
  }
  return status == rsNothingFound ? rsActive : status;
}

}  // namespace vantora
