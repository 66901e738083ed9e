// Replacing an output file and its report as a pair, so that a kill at any
// moment leaves either the old pair or the new one, never a new file beside
// an old report. New files are made complete first; then a marker file
// beside the output names them; then each is renamed over its old file and
// the marker removed. A run that finds the marker completes the renames.
#pragma once

#include <string>

namespace vantora {

// Renames `newRecords` over `target` and `newReport` over target's report,
// as a pair. False, with `error` set, when the marker cannot be written or
// a rename fails (the marker then stays, and the next run completes it).
bool ReplacePair(const std::string& target, const std::string& newRecords, const std::string& newReport,
                 std::string& error);

// Completes a replacement of `target` and its report that a kill
// interrupted after its marker was written. False when a rename fails.
bool CompletePairReplacement(const std::string& target);

// Forgets an unfinished replacement of `target` (the marker only; the new
// files it names stay where they are): a run that writes `target` afresh
// makes it stale.
void DiscardPairReplacement(const std::string& target);

}  // namespace vantora
