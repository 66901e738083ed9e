// One run of vantora-cli after its arguments were accepted: output file
// checks, the demo server, the job on the worker thread with a console host,
// cancel by a stop request (SIGINT/SIGTERM, Ctrl+C), and the closing line and exit code.
#pragma once

#include "cli/CliOptions.h"

namespace vantora::cli {

inline constexpr int kExitRecordsWritten = 0;
inline constexpr int kExitNothingFound = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSiteUnreachable = 3;
inline constexpr int kExitOutputFileError = 4;    // also a scratch file that fails
inline constexpr int kExitSomeNotOk = 5;          // records written, not every company or listing ok
inline constexpr int kExitLayoutChanged = 6;      // stopped: the pages no longer have the expected layout
inline constexpr int kExitSiteRefusing = 7;       // stopped: the site kept refusing requests
inline constexpr int kExitInterrupted = 130;

// Runs the job described by `options`; returns the process exit code.
int RunCli(const CliOptions& options);

}  // namespace vantora::cli
