// What the last retrieval job did, for the window's and the CLI's closing
// words: the records written, how many companies ended with each outcome,
// the listings that could not be read, why the job stopped early, and the
// report file. Written by the worker during the job; read after it (the
// completion callback runs while the worker waits, or once it has ended).
#pragma once

#include <array>
#include <string>

#include "worker/Outcome.h"

namespace vantora {

enum class JobStop {
  kNone,           // the job went through its whole list
  kCancelled,      // the run was stopped (Cancel, closing, a signal)
  kLayoutChanged,  // several companies in a row had pages of another layout
  kScratchFile,    // the scratch file could not be written or read back
  kOutputFile,     // the output or the report file could not be written
  kSiteRefusing,   // several companies in a row stayed blocked after every wait
};

// Companies in a row whose pages have another layout before the job stops.
inline constexpr int kLayoutStopRun = 3;
// Companies in a row that stay blocked before the job stops.
inline constexpr int kBlockedStopRun = 3;

// Asking again: a page the site refuses (429, 503) is asked for at most this
// often in all, after a wait of Retry-After or of the back-off (30 s,
// doubling with each further refusal in a row, at most 10 minutes); a page
// that failed on the way (refused or dropped connection, time-out, another
// 5xx) is asked for three times, after 5 s and after 30 s. All waits are
// scaled like the pauses.
inline constexpr int kBlockedTries = 5;
inline constexpr double kFirstBackOffSeconds = 30;
inline constexpr double kLongestWaitSeconds = 600;
inline constexpr double kTransientWaits[] = {5, 30};

struct JobSummary {
  int records = 0;                                // record lines written
  std::array<int, kOutcomeCount> companies{};     // companies per outcome
  int listingsNotOk = 0;                          // report lines of sector listings
  JobStop stop = JobStop::kNone;
  std::string reportPath;                         // native path of the report file
  bool outputOpened = false;                      // the output and its report were opened and begun
  std::string scratchFolder;                      // the scratch file's folder (kScratchFile)
  std::string reason;                             // the system's reason of a kScratchFile / kOutputFile stop
  // The last failure to reach the site: its Japanese detail (Shift-JIS),
  // the transfer's reason in English, and whether it was a certificate.
  std::string networkDetail;
  std::string networkReason;
  bool networkTls = false;

  int Companies(Outcome outcome) const { return companies[static_cast<std::size_t>(outcome)]; }
  // Companies whose outcome is not ok.
  int CompaniesNotOk() const { return records - Companies(Outcome::kOk); }
  bool AllOk() const { return CompaniesNotOk() == 0 && listingsNotOk == 0; }
};

// The summary of the job that ran last (empty before the first).
const JobSummary& LastJobSummary();

}  // namespace vantora
