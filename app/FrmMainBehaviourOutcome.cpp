// TFrmMain's end messages about what a run could not read: the open-file
// question naming the report when some companies failed, the nothing-found
// message with the listings that failed, and the messages of a cancelled run
// and of a job that stopped itself (pages of another layout, a scratch file
// or an output file that could not be written, a site that kept refusing or
// could not be reached). A run in which every page was read keeps the plain
// messages.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/FrmMainBehaviour.h"
#include "common/FileName.h"
#include "app/TextConversions.h"
#include "worker/JobSummary.h"
#include "worker/Outcome.h"

namespace vantora {

namespace {

std::string Count(long long n) { return std::to_string(n); }

// A path as the user reads it: with the platform's separators.
std::string DisplayPath(std::string path) {
#ifdef _WIN32
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

}  // namespace

std::string FrmMainBehaviour::ReportFileName() const {
  return ReportPathFor(OutputFileName);
}

void FrmMainBehaviour::AskOpenFinishedFile(const std::string& question) {
  if (Ask(question, text::kCaptionOpen, true) != IDYES) return;
  std::error_code ec;
  if (std::filesystem::exists(NativePath(OutputFileName), ec)) {
    if (!dialogs_.OpenDocument(OutputFileName)) ReportOpenFailure();
  } else {
    ShowInfo(text::kFileMissing, text::kCaptionFileError);
  }
}

void FrmMainBehaviour::ReportOpenFailure() {
  ShowInfo(FormatText(text::kNoOpener, {DisplayPath(OutputFileName)}), text::kCaptionFileError);
}

std::string FrmMainBehaviour::NotAllReadQuestion() const {
  const JobSummary& summary = summary_;
  // Every company read, but not every listing: the question counts those.
  if (summary.CompaniesNotOk() == 0)
    return FormatText(text::kAskOpenListingsNotRead, {Count(summary.listingsNotOk), ReportFileName()});
  std::string question = FormatText(text::kAskOpenNotAllRead, {Count(summary.CompaniesNotOk()), ReportFileName()});
  if (summary.listingsNotOk > 0)
    question = FormatText(text::kListingsNotRead, {Count(summary.listingsNotOk)}) + '\n' + question;
  return question;
}

std::string FrmMainBehaviour::NothingFoundMessage() const {
  const JobSummary& summary = summary_;
  std::string message = text::kNothingFound;
  if (summary.listingsNotOk > 0) {
    message += '\n' + FormatText(text::kListingsNotRead, {Count(summary.listingsNotOk)}) + '\n' +
               FormatText(text::kSeeReport, {ReportFileName()});
  }
  return message;
}

std::string FrmMainBehaviour::CancelledMessage() const {
  return FormatText(text::kCancelledKept, {Count(summary_.records), OutputFileName});
}

std::string FrmMainBehaviour::LayoutStoppedMessage() const {
  return FormatText(text::kLayoutStopped, {Count(summary_.records), OutputFileName, ReportFileName()});
}

std::string FrmMainBehaviour::SiteRefusingMessage() const {
  return FormatText(text::kSiteRefusing, {Count(summary_.records), OutputFileName});
}

std::string FrmMainBehaviour::WriteFailedMessage() const {
  const JobSummary& summary = summary_;
  return FormatText(text::kWriteFailed, {OutputFileName, summary.reason, Count(summary.records)});
}

std::string FrmMainBehaviour::ScratchStoppedMessage() const {
  const JobSummary& summary = summary_;
  return FormatText(text::kScratchStopped, {summary.scratchFolder, summary.reason});
}

std::string FrmMainBehaviour::SiteUnreachableMessage() const {
  // A certificate that fails: waiting does not help, so the message says
  // what failed instead.
  const JobSummary& summary = summary_;
  if (summary.networkTls) return FormatText(text::kSiteCertificate, {Cp932ToUtf8(summary.networkDetail)});
  return text::kSiteUnreachable;
}

}  // namespace vantora
