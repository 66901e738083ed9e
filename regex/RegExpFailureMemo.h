// The failure memo: remembers the (state, position, loop context) points
// from which the backtracking search has already run, so that a point that
// failed once is not explored again (this is what keeps (a*)*b, (a|aa)+$
// and (x+x+)+y linear instead of exponential).
//
// Soundness. Cutting a point is only right when everything the rest of the
// search can depend on is part of the key. The matcher therefore consults
// the memo only when every state and leaf kind of the program is one it
// knows to be safe (no back-references, group conditions, subroutine calls,
// verbs, callouts or \G; REAnalyseMatch denies every kind it does not
// know), when no
// look-around/atomic marker is open, and when every active loop has a place
// in the key. Per active general loop the key holds one bit saying whether
// the current iteration began at the present position (the empty-iteration
// guard) and, for a counted loop such as {2} or {2,}, its iteration count
// clamped to the largest value that still matters (the maximum, or the
// minimum of an unbounded loop): (?:x?y){2}z on yyyz needs it. The memo is
// emptied whenever a match is found, so every entry it holds stands for an
// exploration that failed.
//
// Layout: an open-addressing hash set of 24-byte keys, grown at 1/2 load up
// to kMaxSlots (6 MB). A full table at the ceiling is emptied and starts a
// new generation: forgetting failures is always sound, it only costs time,
// and the step budget still bounds that time (a search the smaller memo no
// longer keeps polynomial ends with the match-limit error, never a wrong
// answer).
// Covered by tests/regex/test_match_memo.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantora {

class TREFailureMemo {
 public:
  // Inserts the key; returns true when it was already present.
  static constexpr std::size_t kMaxSlots = std::size_t{1} << 18;

  bool TestAndSet(std::uint64_t k1, std::uint64_t k2, std::uint64_t k3);
  void Clear();
  std::size_t Size() const { return FCount; }
  // Changes at every Clear: caches derived from the memo compare it.
  std::uint64_t Generation() const { return FGeneration; }

 private:
  struct TSlot {
    std::uint64_t K1 = 0, K2 = 0, K3 = 0;  // K1 == 0: empty
  };
  void Grow();
  void Forget();
  std::vector<TSlot> FSlots;
  std::size_t FCount = 0;
  std::uint64_t FGeneration = 1;
};

}  // namespace vantora
