// Shared between the worker's own source files: the stop checks, the page
// download with its outcome, the scratch-file read-back, the writing of a
// company's record and report lines, and the crawl's test seam. Not for use
// outside worker/.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "common/TextUtil.h"
#include "worker/Outcome.h"

namespace vantora::detail {

// Whether the thread running the job has been asked to terminate (false
// outside a TThread).
bool Terminated();

// Whether the job has stopped itself (output or scratch file failure, pages
// of another layout); the loops stop as on a cancel.
bool JobStopped();

// Downloads `address` into the job's scratch file, counts the attempt and
// whether it got a response, and returns what the download decides; after a
// stop was asked for, requests nothing and returns cancelled. A page the
// site refuses, or one that failed on the way, is asked for again after the
// waits of JobSummary.h.
PageOutcome FetchToScratch(const std::string& address);

// The wait before asking again after the site refused `refusalsInRow` times
// in a row, the last time with `retryAfter` (Retry-After, may be empty), in
// unscaled seconds: what Retry-After asks, else the back-off; at most the
// longest wait.
double BackOffSeconds(int refusalsInRow, const std::string& retryAfter, std::time_t now);

// Waits `seconds` (scaled like the pauses), showing `what` (Shift-JIS) and
// the seconds left in the status label; false as soon as a stop is asked for.
bool WaitBeforeAsking(double seconds, const std::string& what);

// The scratch file's bytes; empty when the file does not exist. `readable`,
// when given, becomes false when the file exists but cannot be read.
std::string ReadScratchFile(bool* readable = nullptr);

// The scratch file's lines (ForEachLine); empty when it does not exist.
StringList LoadScratchLines(bool* readable = nullptr);

// Writes the record line of the field slots and the company's report line,
// counts the outcome, and stops the job on a failed write, a scratch-file
// failure or the third page in a row of another layout. The company in hand
// when a stop was asked for counts as cancelled. Returns false when the
// record could not be written; a stop of the job itself shows in JobStopped().
bool FinishCompany(PageOutcome outcome);

// Writes the report line of a sector listing that was not ok (and stops the
// job when the scratch file failed).
void ReportListing(const std::string& sectorCode, const PageOutcome& outcome);

// A seam for the tests: CrawlSector reports "hit-count" before its hit-count
// pass and "harvest" before its harvest pass, and ReadCompanyProfile
// "extract" between the download and the extraction (on the worker thread),
// so that a test can cancel at exactly that point. No observer: nothing
// happens.
void SetCrawlObserver(std::function<void(const std::string& phase)> observer);
void NotifyCrawl(const char* phase);

// A UTF-8 text (the source files' literals) in Shift-JIS.
std::string Sjis(std::string_view utf8);

}  // namespace vantora::detail

namespace vantora {
class JobHost;
struct JobInputs;
}  // namespace vantora

namespace vantora::detail {

// Starts the run's output for `host`: a fresh summary, the output file and
// its report opened and their header lines written. False when either file
// cannot be written (the summary then says why).
bool BeginOutputs(JobHost& host, const JobInputs& inputs);

// Closes both files and sets ResultCode from the summary (records written,
// output failure, site unreachable, layout or scratch-file stop).
void EndOutputs(bool cancelled);

}  // namespace vantora::detail
