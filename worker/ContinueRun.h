// Runs that start from an output file already there, for the window and the
// CLI alike: taking up an interrupted run of the same inputs, and reading
// again the companies whose outcome was not ok, whose new lines then go in
// place of the old ones.
#pragma once

#include <cstddef>
#include <string>

#include "worker/JobHost.h"
#include "worker/JobSummary.h"

namespace vantora {

// Why a run from an existing output file cannot start.
enum class ContinueRefusal {
  kNone,
  kInUse,           // another run is writing the file
  kUnreadable,      // the file or its report is missing or not a pair this program wrote
  kOtherCodes,      // code mode: the file was written for other codes
  kNothingToRetry,  // every company of the file is ok
};

struct ContinuePlan {
  ContinueRefusal refusal = ContinueRefusal::kNone;
  std::string error;      // kUnreadable: why, in English
  std::size_t kept = 0;   // resume: the records kept; retry: the companies asked for again
  std::size_t sectors = 0;  // retry: the sectors whose listing is read again
};

// Fills `inputs.resume` (and the encoding) from `target` and its report, for
// the inputs already in `inputs` (mode, codes, sectors). The company in hand
// when the run stopped, and a record whose report line never came, are read
// again.
ContinuePlan PlanResume(const std::string& target, JobInputs& inputs);

// Makes `inputs` a code-mode run over the companies of `target`'s report that
// were not ok, writing to `jobFile`.
ContinuePlan PlanRetry(const std::string& target, const std::string& jobFile, JobInputs& inputs);

// Puts the lines of the retry run in `jobFile` in place of the old lines of
// `target` and its report, adds the companies found in the listings read
// again, and, when the retry went through (not stopped), drops the old
// failure lines of those listings; the two files are replaced as a pair
// (see PairReplacement.h). Then removes `jobFile` and its report. False,
// with `error` set, when the files could not be read or written; the old
// pair then stays.
bool MergeRetry(const std::string& target, const std::string& jobFile, bool wentThrough, std::string& error);

// "out.csv" -> "out.retry-<id>.csv": where a retry writes its new lines.
std::string RetryFileName(const std::string& target, long long id);

// The summary of a whole output file and its report (the records, their
// outcomes, the sector listings not read); empty when they cannot be read.
JobSummary WholeFileSummary(const std::string& target);

}  // namespace vantora
