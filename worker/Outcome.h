// What became of each page a job read: the outcome keywords, the decision
// from a download's report, and the lines of the outcome report that sits
// beside the output file ("out.csv" -> "out.report.csv").
#pragma once

#include <array>
#include <string>

#include "common/Download.h"

namespace vantora {

enum class Outcome {
  kOk,             // the page was read and held values
  kNotFound,       // HTTP 404 or 410
  kBlocked,        // HTTP 429 or 503: the site refused for now
  kHttpError,      // any other status >= 400
  kNetwork,        // no usable response: refused, not resolved, TLS, time-out, dropped
  kLayoutChanged,  // HTTP 200, but the page has none of the expected values
  kCancelled,      // the page in hand when the run was stopped
  kLocalError,     // the scratch file could not be written or read back
  kTooLarge,       // the page passed the size limit; what came before it was read
};
inline constexpr int kOutcomeCount = 9;

// "ok", "not-found", "blocked", "http-error", "network", "layout-changed",
// "cancelled", "local-error", "too-large".
const char* OutcomeKeyword(Outcome outcome);

// The outcome of one page: the keyword, the status that came (0: none), a
// short Japanese explanation (Shift-JIS; empty for ok) and the address read.
struct PageOutcome {
  Outcome outcome = Outcome::kOk;
  int httpStatus = 0;
  std::string detail;
  std::string url;
  std::string reason;  // the system's reason of a local error, in English; empty otherwise
  DownloadFailure failure = DownloadFailure::kNone;  // how the download ended
};

// Whether the download failed on the secure connection (a certificate).
bool IsTlsFailure(DownloadFailure failure);

// The outcome a download alone decides: a failure class, or the status
// class; a response below 400 is kOk (what the page holds decides further).
PageOutcome OutcomeOfDownload(const DownloadResult& download, const std::string& url);

// An outcome without a download behind it, with its standard detail.
PageOutcome MakeOutcome(Outcome outcome, const std::string& url, int httpStatus = 0);

// The report file of `outputPath`: its final ".csv" (any case) replaced by
// ".report.csv", or ".report.csv" appended when it has none.
std::string ReportPathFor(const std::string& outputPath);

// The report's header line and one report line (Shift-JIS, no line end),
// values quoted like the CSV's.
std::string ReportHeaderLine();
std::string FormatReportLine(const std::string& code, const PageOutcome& outcome);

}  // namespace vantora
