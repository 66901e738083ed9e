// Loops of the matcher.
//
// Fast loops (nkStar, nkPlus, nkBound) repeat one leaf with its Repeat and
// give repetitions back one at a time with PrevRepeat: a single stack entry
// (ekStarRange) stands for every position between the minimum and the
// furthest repetition, so a loop over n characters costs one entry, not n.
// Possessive fast loops push nothing.
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
#include "regex/RegExpCode.h"
#include "regex/RegExpMatcher.h"

namespace vantora {

TREStep TREMatchState::FastLoop(const TRENFAState* s, const TRENFAState*& next) {
  if (!s->Code) return TREStep::Fail;
  if (MemoSeen(s, 0, Pos)) return TREStep::Fail;
  int min = s->Kind == nkStar ? 0 : s->Kind == nkPlus ? 1 : s->Min;
  int max = s->Kind == nkBound ? s->Max : -1;
  if (max >= CONST_LoopMax) max = -1;
  if (min < 0) min = 0;
  const char16_t* start = Pos;
  const char16_t* minPos = Pos;
  if (min > 0) {
    if (s->Code->Repeat(minPos, min) < min) return TREStep::Fail;
  }
  const char16_t* p = minPos;
  if (max < 0 || max > min) s->Code->Repeat(p, max < 0 ? -1 : max - min);
  if (s->LoopKind != lkPossessive && p > minPos) {
    TREEntry e;
    e.Kind = ekStarRange;
    e.State = s;
    e.P = p;
    e.P2 = minPos;
    e.P3 = start;
    Push(e);
  }
  Pos = p;
  return Go(s->TransitTo, next);
}

// Gives back one repetition of a fast loop; positions already known to fail
// (memo) are skipped.
bool TREMatchState::ResumeStarRange(TREEntry e, const TRENFAState*& next) {
  const char16_t* p = e.P;
  for (;;) {
    const char16_t* q = e.State->Code->PrevRepeat(p, e.P3);
    if (!q || q < e.P2) q = e.P2;
    if (MemoSeen(e.State, 4, q)) {
      if (q <= e.P2) return false;
      p = q;
      continue;
    }
    if (q > e.P2) {
      e.P = q;
      Push(e);
    }
    Pos = q;
    return Goto(e.State->TransitTo, next);
  }
}

TREStep TREMatchState::LoopEnter(const TRENFAState* s, const TRENFAState*& next) {
  const int idx = s->LoopIndex;
  const TRENFAState* exitState = StateAt(s->ExtendTo);
  if (idx < 0 || idx >= LoopCount || !exitState) return TREStep::Fail;
  if (MemoSeen(s, 0, Pos)) return TREStep::Fail;
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
  Push(e);
  return Go(s->TransitTo, next);
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
  const long long limit = 2LL * (Re.FTextEndP - Re.FTextTopP) + 2;
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
  Push(e);
  return Iterate(s, next);
}

bool TREMatchState::ResumeLoopLeave(const TREEntry& e, const TRENFAState*& next) {
  Pos = e.P;
  if (MemoSeen(e.State, 2, Pos)) return false;
  return LeaveLoop(e.State, next) == TREStep::Continue;
}

bool TREMatchState::ResumeLoopIter(const TREEntry& e, const TRENFAState*& next) {
  Pos = e.P;
  if (MemoSeen(e.State, 3, Pos)) return false;
  return Iterate(e.State, next) == TREStep::Continue;
}

}  // namespace vantora
