// The limits of one search and the error raised when one is reached.
//
// A backtracking search can take exponential time or unbounded memory on
// patterns the failure memo cannot bound (back-references, calls, verbs,
// counted loops beyond what the memo key can hold...). Each search
// (one Match call: Exec, ExecNext or ExecPos) therefore has
//   - a step budget: kStepBase + kStepQuadratic * (n + 1)^2 processed states
//     for a range of n code units. Any search whose cost grows like n^2 in
//     steps (n^3 in time through back-reference compares) completes; an
//     exponential one is stopped within about a second;
//   - a call depth: nested subroutine calls beyond kCallDepthBase + n
//     (a call that consumes nothing cannot nest, so a depth above the range
//     length is rare);
//   - a backtrack stack ceiling: kStackEntriesBase + kStackEntriesPerUnit * n
//     entries.
// Reaching a limit raises ERegExpMatchLimit, never a "no match".
// Covered by tests/regex/test_match_limits.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "regex/RegExpW.h"

namespace vantora {

inline constexpr std::uint64_t kStepBase = 100'000'000ull;
inline constexpr std::uint64_t kStepQuadratic = 4ull;
inline constexpr std::size_t kCallDepthBase = 20'000;
inline constexpr std::size_t kStackEntriesBase = std::size_t{1} << 22;
inline constexpr std::size_t kStackEntriesPerUnit = 8;

// The step budget of a search over 'units' code units (saturates instead of
// overflowing: n^2 * kStepQuadratic stays below 2^63 under kMaxN).
constexpr std::uint64_t REStepBudget(std::size_t units) {
  const std::uint64_t n = static_cast<std::uint64_t>(units) + 1;
  constexpr std::uint64_t kMaxN = 1ull << 30;
  return n >= kMaxN ? ~0ull : kStepBase + kStepQuadratic * n * n;
}

[[noreturn]] void RaiseMatchLimit(ERegExpMatchLimit::TLimit limit);

}  // namespace vantora
