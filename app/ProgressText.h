// The text of the whole job's progress line: the share done and, once it can
// be told, the time left at the pace so far.
#pragma once

#include <QString>

namespace vantora {

// "全体 : 40%（残り約3分）" for `fraction` 0..1 done after `elapsedMs`; the
// time left only when something is done and the job has run a second.
QString OverallProgressText(double fraction, long long elapsedMs);

}  // namespace vantora
