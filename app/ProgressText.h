// The text of the whole job's progress line: the share done and, once it can
// be told, the time left at the pace so far.
#pragma once

#include <string>

namespace vantora {

// "全体 : 40%（残り約3分）" (UTF-8) for `fraction` 0..1 done after
// `elapsedMs`; the time left only when something is done and the job has run
// a second.
std::string OverallProgressText(double fraction, long long elapsedMs);

}  // namespace vantora
