// The worker's regular-expression searches: each pattern compiled once per
// job and thread, the pattern and the subject in UTF-16 (converted from
// Shift-JIS), the case-insensitive option alone, and the whole match (group
// 0) converted back to Shift-JIS. A pattern the engine rejects finds
// nothing; so does a search that reaches one of the engine's limits, which
// is counted.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vantora::detail {

// The whole first match of `patternSjis` in `subject` (already UTF-16), or
// the empty text when there is none.
// The subject is shared with the engine, never copied.
using SharedSubject = std::shared_ptr<const std::u16string>;
inline SharedSubject ShareSubject(std::u16string text) {
  return std::make_shared<const std::u16string>(std::move(text));
}
std::string SearchFirst(const std::string& patternSjis, const SharedSubject& subject);

// Calls `onMatch` with the whole match of Exec and of every ExecNext that
// returns true, in order; stops early when `onMatch` returns false.
void SearchAll(const std::string& patternSjis, const SharedSubject& subject,
               const std::function<bool(const std::string& match)>& onMatch);

// Forgets the compiled searches of this thread (at the start of a job).
void ResetSearches();

// The searches of this thread that reached a limit since the last call.
int TakeSearchLimitsReached();

}  // namespace vantora::detail
