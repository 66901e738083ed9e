// The worker's regular-expression searches: a new engine object per search,
// the pattern and the subject in UTF-16 (converted from Shift-JIS), the
// case-insensitive option alone, and the whole match (group 0) converted back
// to Shift-JIS. A pattern the engine rejects finds nothing.
#pragma once

#include <functional>
#include <string>

namespace vantora::detail {

// The whole first match of `patternSjis` in `subject` (already UTF-16), or
// the empty text when there is none.
std::string SearchFirst(const std::string& patternSjis, const std::u16string& subject);

// Calls `onMatch` with the whole match of Exec and of every ExecNext that
// returns true, in order; stops early when `onMatch` returns false.
void SearchAll(const std::string& patternSjis, const std::u16string& subject,
               const std::function<bool(const std::string& match)>& onMatch);

}  // namespace vantora::detail
