// Shared between the worker's own source files: the running job's host and
// output file, the stop checks, the download counting and the scratch-file
// read-back. Not for use outside worker/.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/TextUtil.h"

namespace vantora::detail {

// Whether the thread running the job has been asked to terminate (false
// outside a TThread).
bool Terminated();

// Whether writing the output file has failed; the loops stop as on a cancel.
bool OutputFailed();

// Writes the record line of the field slots and a CR LF, flushed at once.
// Returns false (and marks the output failed) when the write fails.
bool WriteRecordLine();

// ResultCode := 1 (a record line has been written).
void RecordWritten();

// Downloads `address` into the job's scratch file and counts the attempt and
// whether it got a response.
void FetchToScratch(const std::string& address);

// The scratch file's lines (split at CR LF, CR or LF; line ends dropped);
// empty when the file does not exist.
StringList LoadScratchLines();

// A seam for the tests: CrawlSector reports "hit-count" before its hit-count
// pass and "harvest" before its harvest pass (on the worker thread), so that
// a test can cancel at exactly that point. No observer: nothing happens.
void SetCrawlObserver(std::function<void(const std::string& phase)> observer);
void NotifyCrawl(const char* phase);

// A UTF-8 text (the source files' literals) in Shift-JIS.
std::string Sjis(std::string_view utf8);

}  // namespace vantora::detail
