// The runs of vantora-cli that start from an output file already there:
// --resume takes up an interrupted run of the same inputs, and
// --retry-failed reads again the companies whose outcome was not ok and puts
// their new lines in place of the old ones.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "cli/ProgressView.h"
#include "worker/JobHost.h"

namespace vantora::cli {

// Fills `inputs.resume` (and the encoding) from the output file and its
// report. Returns 0, or the exit code of a refusal after saying why.
int PrepareResume(const CliOptions& options, JobInputs& inputs, ProgressView& view);

// The companies of the report that were not ok, as the job's retry list,
// written to `jobFile` meanwhile. Returns 0, or the exit code of a refusal
// (or -1 when nothing needs asking again, after saying so).
int PrepareRetry(const CliOptions& options, const std::string& jobFile, JobInputs& inputs, ProgressView& view);

// Puts the lines of the retry run in `jobFile` in place of the old lines of
// the output file and its report (see vantora::MergeRetry). False after
// saying why when the files could not be written.
bool MergeRetry(const CliOptions& options, const std::string& jobFile, bool wentThrough, ProgressView& view);

}  // namespace vantora::cli
