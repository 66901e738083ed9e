// Loops of the matcher.
//
// Fast loops (nkStar, nkPlus, nkBound) repeat one leaf with its Repeat and
// give repetitions back one at a time with PrevRepeat: a single stack entry
// (ekStarRange) stands for every position between the minimum and the
// furthest repetition, so a loop over n characters costs one entry, not n.
// Possessive fast loops push nothing. For a leaf that matches exactly one
// code point, repetitions from any start pass through the same positions, so
// the loop remembers its latest runs (a start inside a known run ends where
// it ended; a scan that reaches a known run adopts its end) and, with the
// memo, intervals of give-back positions already known to fail. Both are
// tied to the memo's generation, so they live exactly as long as its
// entries. This keeps (a*)*b, (x+x+)+y and ^(\w+\s?)*$ linear.
//
// General loops (nkLoop ... nkLoopEnd -> nkLoopExit) keep a count, the
// position where the current iteration began and an "active" flag per loop
// index, all changed through undo entries. At the exit: below the minimum
// the body runs again (an empty iteration counts as one); above it, an
// iteration that consumed nothing leaves the loop (empty-iteration guard);
// otherwise greedy loops push "leave" and iterate, reluctant loops push
// "iterate" and leave, and possessive loops
// are greedy loops inside a marker that is cut when the loop is left.
// A loop runs at most twice the subject length iterations.
// Covered by tests/regex/test_match_loops.cpp and tests/regex/test_match_memo.cpp.
#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {

// Repeats one code point at a time from p until 'target'; true when the
// repetitions reach it exactly.
bool ReachRun(const TREContext& cx, const TRECode* code, const char16_t*& p, const char16_t* target) {
  while (p < target)
    if (code->Repeat(cx, p, 1) != 1) return false;
  return p == target;
}
}  // namespace

// A leaf that matches exactly one code point, read without context: its
// repetitions from any start pass through every position that is not inside
// a surrogate pair, so runs and give-back sweeps can be shared between
// starts. (Width folding reads two units as one letter, so it is excluded.)
bool TREMatchState::CachesRuns(const TRECode* code) {
  int mn = 0, mx = 0, cmn = 0, cmx = 0;
  code->GetLengthRange(mn, mx);
  code->GetCharLengthRange(cmn, cmx);
  return mn >= 1 && mx >= 1 && mx <= 2 && cmn == 1 && cmx == 1 && !code->CompareOptions().Contains(coIgnoreWidth);
}

bool TREMatchState::MidPair(const char16_t* p) const {
  return REInsidePair(p, Cx.TextTop, Cx.TextEnd);
}

TREStep TREMatchState::FastLoop(const TRENFAState* s, const TRENFAState*& next) {
  if (!s->Code) return TREStep::Fail;
  if (MemoSeen(s, maLoopEntry, Pos)) return TREStep::Fail;
  const int min = s->Kind == nkStar ? 0 : s->Kind == nkPlus ? 1 : s->Min;
  const int max = s->Kind == nkBound && s->Max < CONST_LoopMax ? s->Max : -1;
  return FastLoopRun(s, min, max, s->LoopKind == lkPossessive, s->TransitTo, next);
}

TREStep TREMatchState::FastLoopRun(const TRENFAState* leaf, int min, int max, bool possessive, int exitNumber,
                                   const TRENFAState*& next) {
  const TRECode* code = leaf->Code;
  if (min < 0) min = 0;
  const char16_t* start = Pos;
  const char16_t* minPos = Pos;
  if (min > 0) {
    if (code->Repeat(Cx, minPos, min) < min) return TREStep::Fail;
  }
  const char16_t* p = minPos;
  if (max < 0 && CachesRuns(code) && !MidPair(minPos)) {
    TREStarCache& cache = StarCache[leaf];
    TREStarCache::TRun* hit = nullptr;   // a run that contains minPos
    TREStarCache::TRun* above = nullptr; // the nearest run starting after minPos
    for (TREStarCache::TRun& r : cache.Runs) {
      if (r.Generation != Memo.Generation() || r.RangeEnd != Cx.RangeEnd) continue;
      if (r.Start <= minPos && minPos <= r.End) hit = &r;
      else if (r.Start > minPos && (!above || r.Start < above->Start)) above = &r;
    }
    if (hit) {
      p = hit->End;  // inside a run found before: it ends at the same place
    } else if (above && ReachRun(Cx, code, p, above->Start)) {
      p = above->End;  // reached a known run: extend it downwards
      above->Start = minPos;
    } else {
      p = minPos;
      code->Repeat(Cx, p, -1);
      TREStarCache::TRun& r = cache.Runs[cache.NextRun++ % 4];
      r = TREStarCache::TRun{Memo.Generation(), Cx.RangeEnd, minPos, p};
    }
  } else if (max < 0 || max > min) {
    code->Repeat(Cx, p, max < 0 ? -1 : max - min);
  }
  if (!possessive && p > minPos) {
    TREEntry e;
    e.Kind = ekStarRange;
    e.State = leaf;
    e.Num = exitNumber;
    e.Flag = max >= 0;
    e.P = p;
    e.P2 = minPos;
    e.P3 = start;
    Push(e);
  }
  Pos = p;
  return Go(exitNumber, next);
}

// A reluctant loop over one leaf: the minimum first, then one more
// repetition each time the rest of the pattern fails.
TREStep TREMatchState::LazyLoopRun(const TRENFAState* leaf, int min, int max, int exitNumber,
                                   const TRENFAState*& next) {
  const char16_t* p = Pos;
  if (min > 0 && leaf->Code->Repeat(Cx, p, min) < min) return TREStep::Fail;
  if (max < 0 || max > min) {
    TREEntry e;
    e.Kind = ekLazyRange;
    e.State = leaf;
    e.Num = exitNumber;
    e.P = p;
    e.A = min;
    e.B = max;
    Push(e);
  }
  Pos = p;
  return Go(exitNumber, next);
}

bool TREMatchState::ResumeLazyRange(TREEntry e, const TRENFAState*& next) {
  // As for give-back sweeps: for one-code-point leaves without a maximum,
  // a run of positions already known to fail is remembered as an interval
  // and crossed at once.
  TREStarCache* sweep = nullptr;
  std::uint64_t active = 0;
  if (e.B < 0 && CachesRuns(e.State->Code) && MemoContext(active)) {
    sweep = &StarCache[e.State];
    if (sweep->SweepGeneration != Memo.Generation() || sweep->SweepActive != active) {
      sweep->SweepGeneration = Memo.Generation();
      sweep->SweepActive = active;
      sweep->SweepLo = sweep->SweepHi = nullptr;
    }
  }
  for (;;) {
    const char16_t* q = e.P;
    if (e.State->Code->Repeat(Cx, q, 1) != 1 || q <= e.P) return false;
    if (sweep && sweep->SweepLo && q >= sweep->SweepLo && q < sweep->SweepHi) {
      e.P = sweep->SweepHi;  // every position up to there is known to fail
      continue;
    }
    ++e.A;
    // With a sweep the interval alone remembers the positions (forgetting
    // is always safe for a memo: it only costs time).
    const bool seen = sweep ? false : MemoSeen(e.State, maLazyTake, q);
    if (sweep) {
      if (sweep->SweepLo && e.P == sweep->SweepHi)
        sweep->SweepHi = q;
      else if (!sweep->SweepLo || q < sweep->SweepLo || q > sweep->SweepHi)
        sweep->SweepLo = sweep->SweepHi = q;
    }
    e.P = q;
    if (seen) {
      if (e.B >= 0 && e.A >= e.B) return false;
      continue;
    }
    if (e.B < 0 || e.A < e.B) Push(e);
    Pos = q;
    return Goto(e.Num, next);
  }
}

// Gives back one repetition of a fast loop; positions already known to fail
// (memo) are skipped.
bool TREMatchState::ResumeStarRange(TREEntry e, const TRENFAState*& next) {
  const char16_t* p = e.P;
  // For one-unit leaves, a sweep of give-back positions that all failed is
  // remembered as an interval and jumped over at once. Positions above the
  // loop's start have the same memo key in every sweep of the same loop
  // context (no active loop began there).
  TREStarCache* sweep = nullptr;
  std::uint64_t active = 0;
  if (!e.Flag && CachesRuns(e.State->Code) && MemoContext(active)) {
    sweep = &StarCache[e.State];
    if (sweep->SweepGeneration != Memo.Generation() || sweep->SweepActive != active) {
      sweep->SweepGeneration = Memo.Generation();
      sweep->SweepActive = active;
      sweep->SweepLo = sweep->SweepHi = nullptr;
    }
  }
  for (;;) {
    const char16_t* q = e.State->Code->PrevRepeat(p, e.P3);
    if (!q || q < e.P2 || q >= p) q = e.P2;  // never loop without moving down
    if (sweep && sweep->SweepLo && q > e.P2 && q >= sweep->SweepLo && q <= sweep->SweepHi) {
      if (sweep->SweepLo > e.P2) {
        p = sweep->SweepLo;  // everything from here up to q is known to fail
        continue;
      }
      q = e.P2;
    }
    const bool seen = MemoSeen(e.State, maGiveBack, q);
    if (sweep && q > e.P2) {
      if (sweep->SweepLo && p == sweep->SweepLo)
        sweep->SweepLo = q;
      else if (!sweep->SweepLo || q < sweep->SweepLo || q > sweep->SweepHi)
        sweep->SweepLo = sweep->SweepHi = q;
    }
    if (seen) {
      if (q <= e.P2) return false;
      p = q;
      continue;
    }
    if (q > e.P2) {
      e.P = q;
      Push(e);
    }
    Pos = q;
    return Goto(e.Num, next);
  }
}

TREStep TREMatchState::LoopEnter(const TRENFAState* s, const TRENFAState*& next) {
  const int idx = s->LoopIndex;
  const TRENFAState* exitState = StateAt(s->ExtendTo);
  if (idx < 0 || idx >= LoopCount || !exitState) return TREStep::Fail;
  if (MemoSeen(s, maLoopEntry, Pos)) return TREStep::Fail;
  const auto leaf = Plan->LeafLoops.find(s);
  if (leaf != Plan->LeafLoops.end()) {
    const int max = s->Max >= CONST_LoopMax ? -1 : s->Max;
    const int exitNumber = exitState->TransitTo;
    if (s->LoopKind == lkReluctant || s->LoopKind == lkSimpleReluctant)
      return LazyLoopRun(leaf->second, s->Min, max, exitNumber, next);
    return FastLoopRun(leaf->second, s->Min, max, s->LoopKind == lkPossessive, exitNumber, next);
  }
  SetLoop(idx, TRELoopState{0, Pos, true});
  if (s->LoopKind == lkPossessive) PushMarker(mkPossessive, s, nullptr);
  if (s->Min > 0) return Go(s->TransitTo, next);
  if (s->Max == 0) return LeaveLoop(exitState, next);
  TREEntry e;
  e.State = exitState;
  e.Num = idx;
  e.P = Pos;
  if (s->LoopKind == lkReluctant || s->LoopKind == lkSimpleReluctant) {
    e.Kind = ekLoopIter;
    Push(e);
    return LeaveLoop(exitState, next);
  }
  e.Kind = ekLoopLeave;
  if (!LeaveCannotMatch(idx)) Push(e);
  return Go(s->TransitTo, next);
}

bool TREMatchState::LeaveCannotMatch(int loopIndex) const {
  const TRELeaveTest& test = Plan->LeaveTests[static_cast<std::size_t>(loopIndex)];
  if (!test.Known) return false;
  for (const TRECode* code : test.Leaves) {
    int len = 0;
    if (code->IsEqual(Cx, Pos, len)) return false;
  }
  return true;
}

TREStep TREMatchState::LeaveLoop(const TRENFAState* exitState, const TRENFAState*& next) {
  const int idx = exitState->LoopIndex;
  if (idx < 0 || idx >= LoopCount) return TREStep::Fail;
  TRELoopState ls = Loops[static_cast<std::size_t>(idx)];
  ls.Active = false;
  SetLoop(idx, ls);
  if (exitState->LoopKind == lkPossessive && TopMarker >= 0) {
    const TREEntry& m = Stack[static_cast<std::size_t>(TopMarker)];
    if (m.Sub == mkPossessive && m.State && m.State->ExtendTo >= 0 && StateAt(m.State->ExtendTo) == exitState)
      CutTo(TopMarker);
  }
  return Go(exitState->TransitTo, next);
}

TREStep TREMatchState::Iterate(const TRENFAState* exitState, const TRENFAState*& next) {
  const int idx = exitState->LoopIndex;
  TRELoopState ls = Loops[static_cast<std::size_t>(idx)];
  ls.Start = Pos;
  ls.Active = true;
  SetLoop(idx, ls);
  // Another iteration from here in the same loop context was explored before.
  if (MemoSeen(exitState, maIterate, Pos)) return TREStep::Fail;
  return Go(exitState->ExtendTo, next);
}

TREStep TREMatchState::LoopExit(const TRENFAState* s, const TRENFAState*& next) {
  const int idx = s->LoopIndex;
  if (idx < 0 || idx >= LoopCount) return TREStep::Fail;
  const TRELoopState& ls = Loops[static_cast<std::size_t>(idx)];
  // Iterations below the minimum always run (an empty one counts as done);
  // above it, an iteration that consumed nothing ends the loop.
  if (ls.Count < s->Min) return Iterate(s, next);
  if (Pos == ls.Start) return LeaveLoop(s, next);
  const long long limit = 2LL * (Cx.TextEnd - Cx.TextTop) + 2;
  const bool more = (s->Max >= CONST_LoopMax || ls.Count < s->Max) && ls.Count <= limit;
  if (!more) return LeaveLoop(s, next);
  TREEntry e;
  e.State = s;
  e.Num = idx;
  e.P = Pos;
  if (s->LoopKind == lkReluctant || s->LoopKind == lkSimpleReluctant) {
    e.Kind = ekLoopIter;
    Push(e);
    return LeaveLoop(s, next);
  }
  e.Kind = ekLoopLeave;
  if (!LeaveCannotMatch(idx)) Push(e);
  return Iterate(s, next);
}

bool TREMatchState::ResumeLoopLeave(const TREEntry& e, const TRENFAState*& next) {
  Pos = e.P;
  if (MemoSeen(e.State, maLeave, Pos)) return false;
  return LeaveLoop(e.State, next) == TREStep::Continue;
}

bool TREMatchState::ResumeLoopIter(const TREEntry& e, const TRENFAState*& next) {
  Pos = e.P;
  if (MemoSeen(e.State, maIterateResume, Pos)) return false;
  return Iterate(e.State, next) == TREStep::Continue;
}

}  // namespace vantora
