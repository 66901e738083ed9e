// The files a job writes and what it counts: the output file and its
// outcome report, written line by line side by side; the page downloads with
// their outcomes; the summary; and the job's own stops (a failed write, a
// scratch file that fails, pages of another layout several times in a row).
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "common/Download.h"
#include "common/Thread.h"
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
  int layoutRun = 0;  // companies in a row whose pages have another layout
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
  g_summary = JobSummary{};
  g_summary.reportPath = ReportPathFor(inputs.outputFileName);
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
    default: break;
  }
  if (g_out.downloadsAttempted > 0 && g_out.downloadsAnswered == 0) {
    host->ResultCode().store(kResultSiteUnreachable);
  } else if (g_summary.records > 0) {
    host->ResultCode().store(kResultRecordsWritten);
  }
}

PageOutcome FetchToScratch(const std::string& address) {
  // After a stop nothing more is asked of the site.
  if (Terminated()) return MakeOutcome(Outcome::kCancelled, address);
  ++g_out.downloadsAttempted;
  DownloadResult download;
  if (DownloadToFile(address, JobScratchFilePath(), &download)) ++g_out.downloadsAnswered;
  return OutcomeOfDownload(download, address);
}

std::string ReadScratchFile(bool* readable) {
  if (readable != nullptr) *readable = true;
  const std::string path = JobScratchFilePath();
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    // A missing file is an empty page; one that exists but cannot be opened
    // is a local failure.
    if (readable != nullptr) *readable = ::access(path.c_str(), F_OK) != 0;
    return {};
  }
  std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad() && readable != nullptr) *readable = false;
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
  if (outcome.outcome == Outcome::kLocalError) ScratchFailed(outcome);
  if (g_out.layoutRun >= kLayoutStopRun) StopJob(JobStop::kLayoutChanged);
  return true;
}

void ReportListing(const std::string& sectorCode, const PageOutcome& outcome) {
  if (outcome.outcome == Outcome::kOk) return;
  ++g_summary.listingsNotOk;
  NoteNetwork(outcome);
  WriteReportLine("sector:" + sectorCode, outcome);
  if (outcome.outcome == Outcome::kLocalError) ScratchFailed(outcome);
}

}  // namespace detail
}  // namespace vantora
