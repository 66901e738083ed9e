// The files a job writes and what it counts: the output file and its
// outcome report, written line by line side by side; the page downloads with
// their outcomes; the summary; and the job's own stops (a failed write, a
// scratch file that fails, pages of another layout several times in a row).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "common/Download.h"
#include "common/FileName.h"
#include "common/SiteConfig.h"
#include "common/Thread.h"
#include "worker/PairReplacement.h"
#include "worker/CsvFile.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"
#include "worker/JobSummary.h"

namespace vantora {
namespace {

struct OutputState {
  JobHost* host = nullptr;
  CsvFile records;
  CsvFile report;
  int downloadsAttempted = 0;
  int downloadsAnswered = 0;
  int layoutRun = 0;   // companies in a row whose pages have another layout
  int blockedRun = 0;  // companies in a row that stayed blocked
  int refusalsInRow = 0;  // refusals of the site in a row, for the back-off
  std::vector<std::string> doneSectors;  // a resumed run: listings reported already
};

OutputState g_out;
JobSummary g_summary;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

void StopJob(JobStop reason) {
  if (g_summary.stop == JobStop::kNone || g_summary.stop == JobStop::kCancelled) g_summary.stop = reason;
}

void OutputFailed(const CsvFile& file) {
  if (g_summary.reason.empty() || g_summary.stop != JobStop::kOutputFile) g_summary.reason = file.Error();
  g_summary.stop = JobStop::kOutputFile;
}

// Writes one report line; a failure stops the job like a failed record.
bool WriteReportLine(const std::string& code, const PageOutcome& outcome) {
  if (g_out.report.WriteLine(FormatReportLine(code, outcome))) return true;
  OutputFailed(g_out.report);
  return false;
}

void NoteNetwork(const PageOutcome& outcome) {
  if (outcome.outcome != Outcome::kNetwork) return;
  g_summary.networkDetail = outcome.detail;
  g_summary.networkReason = outcome.reason;
  g_summary.networkTls = IsTlsFailure(outcome.failure);
}

void ScratchFailed(const PageOutcome& outcome) {
  StopJob(JobStop::kScratchFile);
  g_summary.scratchFolder = FolderOf(JobScratchFilePath());
  g_summary.reason = outcome.reason;
}

}  // namespace

const JobSummary& LastJobSummary() { return g_summary; }

namespace detail {

bool JobStopped() {
  return g_summary.stop != JobStop::kNone && g_summary.stop != JobStop::kCancelled;
}

bool BeginOutputs(JobHost& host, const JobInputs& inputs) {
  g_out.records.Close();
  g_out.report.Close();
  g_out.host = &host;
  g_out.downloadsAttempted = 0;
  g_out.downloadsAnswered = 0;
  g_out.layoutRun = 0;
  g_out.blockedRun = 0;
  g_out.refusalsInRow = 0;
  g_summary = JobSummary{};
  g_summary.reportPath = ReportPathFor(inputs.outputFileName);
  g_out.doneSectors = inputs.resume.active ? inputs.resume.doneSectors : std::vector<std::string>{};
  if (!inputs.resume.active) DiscardPairReplacement(inputs.outputFileName);
  if (inputs.resume.active) {
    // The kept part stays as it is; the run writes on after it.
    const ResumeFrom& r = inputs.resume;
    if (!g_out.records.OpenToContinue(inputs.outputFileName, inputs.outputEncoding, r.recordBytes)) {
      OutputFailed(g_out.records);
      return false;
    }
    if (!g_out.report.OpenToContinue(g_summary.reportPath, inputs.outputEncoding, r.reportBytes)) {
      OutputFailed(g_out.report);
      return false;
    }
    g_summary.records = r.companiesDone;
    g_summary.companies = r.outcomes;
    g_summary.listingsNotOk = r.listingsNotOk;
    g_summary.outputOpened = true;
    return true;
  }
  if (!g_out.records.Open(inputs.outputFileName, inputs.outputEncoding, inputs.createOutputExclusively) ||
      !g_out.records.WriteLine(HeaderLine())) {
    OutputFailed(g_out.records);
    return false;
  }
  if (!g_out.report.Open(g_summary.reportPath, inputs.outputEncoding, inputs.createOutputExclusively) ||
      !g_out.report.WriteLine(ReportHeaderLine())) {
    OutputFailed(g_out.report);
    return false;
  }
  g_summary.outputOpened = true;
  return true;
}

void EndOutputs(bool cancelled) {
  JobHost* host = g_out.host;
  g_out.host = nullptr;
  const bool recordsOpen = g_out.records.IsOpen();
  const bool reportOpen = g_out.report.IsOpen();
  if (recordsOpen && !g_out.records.Close()) OutputFailed(g_out.records);
  if (reportOpen && !g_out.report.Close()) OutputFailed(g_out.report);
  if (cancelled && g_summary.stop == JobStop::kNone) g_summary.stop = JobStop::kCancelled;
  if (host == nullptr) return;

  switch (g_summary.stop) {
    case JobStop::kOutputFile: host->ResultCode().store(kResultOutputFileError); return;
    case JobStop::kScratchFile: host->ResultCode().store(kResultScratchFileError); return;
    case JobStop::kLayoutChanged: host->ResultCode().store(kResultLayoutChanged); return;
    case JobStop::kSiteRefusing: host->ResultCode().store(kResultSiteRefusing); return;
    default: break;
  }
  if (g_out.downloadsAttempted > 0 && g_out.downloadsAnswered == 0) {
    host->ResultCode().store(kResultSiteUnreachable);
  } else if (g_summary.records > 0) {
    host->ResultCode().store(kResultRecordsWritten);
  }
}

PageOutcome FetchToScratch(const std::string& address) {
  static const std::string kSiteAsked = Sjis("サイトの要求により待機中");
  static const std::string kRetrying = Sjis("通信に失敗したため再試行を待機中");
  for (int attempt = 1;; ++attempt) {
    // After a stop nothing more is asked of the site.
    if (Terminated()) return MakeOutcome(Outcome::kCancelled, address);
    ++g_out.downloadsAttempted;
    DownloadResult download;
    if (DownloadToFile(address, JobScratchFilePath(), &download)) ++g_out.downloadsAnswered;
    PageOutcome outcome = OutcomeOfDownload(download, address);

    double wait = -1;
    const std::string* what = &kRetrying;
    if (outcome.outcome == Outcome::kBlocked) {
      ++g_out.refusalsInRow;
      if (attempt < kBlockedTries) {
        wait = BackOffSeconds(g_out.refusalsInRow, download.retryAfter, std::time(nullptr));
        what = &kSiteAsked;
      }
    } else {
      g_out.refusalsInRow = 0;
      const bool transient = (outcome.outcome == Outcome::kNetwork &&
                              (download.failure == DownloadFailure::kRefused ||
                               download.failure == DownloadFailure::kDropped ||
                               download.failure == DownloadFailure::kTimedOut)) ||
                             (outcome.outcome == Outcome::kHttpError && download.httpStatus >= 500);
      const int waits = static_cast<int>(std::size(kTransientWaits));
      if (transient && attempt <= waits) wait = kTransientWaits[attempt - 1];
    }
    if (wait < 0) return outcome;
    if (!WaitBeforeAsking(wait, *what)) return MakeOutcome(Outcome::kCancelled, address, outcome.httpStatus);
  }
}

double BackOffSeconds(int refusalsInRow, const std::string& retryAfter, std::time_t now) {
  double wait = RetryAfterSeconds(retryAfter, now);
  if (wait < 0) wait = kFirstBackOffSeconds * std::pow(2.0, std::clamp(refusalsInRow - 1, 0, 16));
  return std::min(wait, kLongestWaitSeconds);
}

bool WaitBeforeAsking(double seconds, const std::string& what) {
  const double scaled = seconds * PauseScale();
  if (!(scaled > 0)) return !Terminated();
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(scaled));
  int shown = -1;
  for (;;) {
    if (Terminated()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    const int left = static_cast<int>(std::ceil(std::chrono::duration<double>(end - now).count()));
    if (left != shown) {
      shown = left;
      SyncShowWaiting(what, left);
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(20)));
  }
}

std::string ReadScratchFile(bool* readable) {
  if (readable != nullptr) *readable = true;
  const std::string path = JobScratchFilePath();
  std::ifstream file(NativePath(path), std::ios::binary);
  if (!file) {
    // A missing file is an empty page; one that exists but cannot be opened
    // is a local failure.
    std::error_code error;
    if (readable != nullptr) *readable = !std::filesystem::exists(NativePath(path), error);
    return {};
  }
  // Read at the file's size, so that the text takes no more room than the page.
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0, std::ios::beg);
  std::string data(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) file.read(data.data(), size);
  if ((file.bad() || file.gcount() != size) && readable != nullptr) *readable = false;
  return data;
}

StringList LoadScratchLines(bool* readable) {
  const std::string data = ReadScratchFile(readable);
  StringList lines;
  ForEachLine(data, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

bool FinishCompany(PageOutcome outcome) {
  if (Terminated()) outcome = MakeOutcome(Outcome::kCancelled, outcome.url, outcome.httpStatus);
  if (!g_out.records.WriteLine(FormatRecord())) {
    OutputFailed(g_out.records);
    return false;
  }
  ++g_summary.records;
  ++g_summary.companies[static_cast<std::size_t>(outcome.outcome)];
  if (g_out.host != nullptr) g_out.host->ResultCode().store(kResultRecordsWritten);
  if (!WriteReportLine(Job().fieldSlots[kColCode], outcome)) return false;

  NoteNetwork(outcome);
  g_out.layoutRun = outcome.outcome == Outcome::kLayoutChanged ? g_out.layoutRun + 1 : 0;
  g_out.blockedRun = outcome.outcome == Outcome::kBlocked ? g_out.blockedRun + 1 : 0;
  if (outcome.outcome == Outcome::kLocalError) ScratchFailed(outcome);
  if (g_out.layoutRun >= kLayoutStopRun) StopJob(JobStop::kLayoutChanged);
  if (g_out.blockedRun >= kBlockedStopRun) StopJob(JobStop::kSiteRefusing);
  return true;
}

void ReportListing(const std::string& sectorCode, const PageOutcome& outcome) {
  if (outcome.outcome == Outcome::kOk) return;
  if (std::find(g_out.doneSectors.begin(), g_out.doneSectors.end(), sectorCode) != g_out.doneSectors.end())
    return;  // the run taken up again reported this listing already
  ++g_summary.listingsNotOk;
  NoteNetwork(outcome);
  WriteReportLine("sector:" + sectorCode, outcome);
  if (outcome.outcome == Outcome::kLocalError) ScratchFailed(outcome);
}

}  // namespace detail
}  // namespace vantora
