// Core of the backtracking matcher: the search scan over start positions,
// one attempt, the driver loop, the dispatch of a state by kind, the
// backtrack stack with its undo entries and cuts, and the memo test.
//
// Invariants:
//  - The driver holds the state to process next; every kind handler either
//    names the next state (Continue), fails (Fail: the driver pops), or ends
//    the attempt with a match (Success). Nothing recurses natively.
//  - Entering a state number processes the head of its chain after pushing
//    the first later alternative that could match here (character states are
//    pre-tested), so alternatives run left to right.
//  - Undo entries are never dropped while the attempt runs: cuts compact the
//    stack and keep them, so popping always restores the registers exactly.
//  - Captures live in Captures, where the owner's groups read them; a
//    failed search leaves every group unset.
// Covered by tests/regex/test_corpus.cpp, tests/regex/test_match_memo.cpp and
// tests/regex/test_differential_pcre2.cpp.
#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpMatchLimits.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {
void DeleteMatchState(TREMatchState* p) { std::default_delete<TREMatchState>()(p); }

}  // namespace

TREMatchState& REMatchState(TRegExp& re) {
  if (!re.FMatchState) {
    auto owned = std::make_unique<TREMatchState>(re);
    re.FMatchState = std::unique_ptr<TREMatchState, void (*)(TREMatchState*)>(owned.release(), &DeleteMatchState);
  }
  return *re.FMatchState;
}

const TRENFAState* TREMatchState::StateAt(int number) const {
  const TREStateList& states = Prog->States();
  if (number < 0 || number >= states.Count()) return nullptr;
  return states[number];
}

void TREMatchState::Attach(const TREProgram& program) {
  Prog = &program;
  Plan = &program.Analysis();
  LoopCount = Plan->LoopCount;
  GroupCount = program.Groups().Count();
  Loops.assign(static_cast<std::size_t>(LoopCount), TRELoopState{});
  Captures.assign(static_cast<std::size_t>(GroupCount), TRECapture{});
  Cx = TREContext{};
  Cx.Captures = Captures.data();
  Cx.SameGroup = program.Groups().SameGroupLinks().data();
  Cx.GroupCount = GroupCount;
  Stack.clear();
  Calls.clear();
  SavedFrames.clear();
  Memo.Clear();
  StarCache.clear();
  program.Optimizer().PrepareScan(ScanCache);
  if (Dfa) Dfa->Attach(program);
}

// ------------------------------------------------------------------ search

bool TREMatchState::Match(const char16_t* start, bool subjectChanged) {
  // Every caller compiles and attaches the program first, and fills the
  // subject and range of the context.
  Re.FMarkIndex = -1;
  Re.FErrorIndex = -1;
  Re.FMatched = false;
  const char16_t* end = Cx.RangeEnd;
  if (!Prog || !start || start > end || GroupCount == 0) {
    ResetCaptures();
    return false;
  }
  if (Prog->MinMatchLength() > 0 && end - start < Prog->MinMatchLength()) {
    ResetCaptures();
    return false;
  }
  Committed = false;
  MemoNeeded = false;
  // Every search has a step budget, a call depth and a stack ceiling
  // (RegExpMatchLimits.h); reaching one raises ERegExpMatchLimit.
  Budget = REStepBudget(static_cast<std::size_t>(end - start));
  StackLimit = kStackEntriesBase + kStackEntriesPerUnit * static_cast<std::size_t>(end - start);
  CallDepthLimit = kCallDepthBase + static_cast<std::size_t>(end - start);
  Running = true;
  struct TRunningGuard {
    bool& Flag;
    ~TRunningGuard() { Flag = false; }
  } guard{Running};
  try {
    if (Scan(start, end, subjectChanged)) return true;
  } catch (...) {
    // A limit or a handler's exception: the memo holds points whose
    // exploration did not finish, and the registers are mid-attempt.
    Stack.clear();
    Calls.clear();
    SavedFrames.clear();
    Memo.Clear();
    ResetCaptures();
    throw;
  }
  Stack.clear();
  ResetCaptures();
  return false;
}

TRELazyDfa* TREMatchState::Automaton(const TREOptimizer& optimizer) {
  if (!TRELazyDfa::Suits(optimizer)) return nullptr;
  if (!Dfa) {
    Dfa = std::make_unique<TRELazyDfa>();
    Dfa->Attach(*Prog);
  }
  return Dfa->Usable() ? Dfa.get() : nullptr;
}

bool TREMatchState::Scan(const char16_t* start, const char16_t* end, bool subjectChanged) {
  // Candidate starts come from the optimiser: nullptr when the pre-match
  // filter or the lead strategy rules out every further start.
  const TREOptimizer& optimizer = Prog->Optimizer();
  const char16_t* p =
      optimizer.Begin(Cx, ScanCache, subjectChanged, start) ? optimizer.NextStart(Cx, ScanCache, start) : nullptr;
  // The automaton finds the leftmost start where an attempt succeeds, or
  // rules out a match; when it gives up, the scan goes on from where it left.
  if (TRELazyDfa* dfa = p ? Automaton(optimizer) : nullptr) {
    const TRELazyDfa::TOutcome outcome = dfa->FindStart(Cx, optimizer, ScanCache, p, end, p);
    if (outcome == TRELazyDfa::doNoMatch) return false;
    if (outcome == TRELazyDfa::doGaveUp) p = optimizer.NextStart(Cx, ScanCache, p);
    // A program without groups: the automaton also knows the end the
    // attempt there would reach.
    if (outcome == TRELazyDfa::doStart && dfa->FindsEnds())
      if (const char16_t* e = dfa->MatchEnd(Cx, p, end)) {
        Cap(0) = TRECapture{p, e, nullptr, true};
        Re.FMatched = true;
        return true;
      }
  }
  while (p) {
    if (Attempt(p)) {
      Re.FMatched = true;
      Stack.clear();
      Memo.Clear();  // every entry must stand for a failed exploration
      return true;
    }
    Re.FErrorIndex = Re.FMarkIndex;
    if (Committed || p >= end) break;
    if (SkipTo && SkipTo > p && SkipTo <= end) {
      p = SkipTo;
      continue;
    }
    p += REStartsPair(p, end) ? 2 : 1;
    p = optimizer.NextStart(Cx, ScanCache, p);
  }
  return false;
}

void TREMatchState::GrowStack() {
  if (Stack.size() >= StackLimit) RaiseMatchLimit(ERegExpMatchLimit::mlMemory);
  Stack.reserve(std::min(StackLimit, std::max<std::size_t>(64, Stack.size() * 2)));
}

bool TREMatchState::Attempt(const char16_t* start) {
  // The memo starts after kMemoWarmUp steps of an attempt, or at once when
  // an earlier attempt of this scan needed it: short attempts (most
  // searches) never pay for hashing, a long one is bounded from there on.
  MemoArmAt = MemoNeeded ? ~0ull : (Budget > kMemoWarmUp ? Budget - kMemoWarmUp : 0);
  Stack.clear();
  TopMarker = -1;
  Calls.clear();
  SavedFrames.clear();
  ResetCaptures();
  std::fill(Loops.begin(), Loops.end(), TRELoopState{});
  SkipTo = nullptr;
  Accepted = false;
  Pos = start;
  AttemptStart = start;
  Cap(0).StartP = start;
  return Run(Prog->EntryState());
}

bool TREMatchState::Goto(int number, const TRENFAState*& next) {
  const TRENFAState* h = StateAt(number);
  if (!h) return false;
  if (h->Next) PushAlternative(h->Next);
  next = h;
  return true;
}

void TREMatchState::PushAlternative(const TRENFAState* alt) {
  for (; alt; alt = alt->Next) {
    if (alt->Kind == nkChar && alt->Code) {
      int len = 0;
      if (!alt->Code->IsEqual(Cx, Pos, len)) continue;
    }
    TREEntry e;
    e.Kind = ekResume;
    e.State = alt;
    e.P = Pos;
    Push(e);
    return;
  }
}

bool TREMatchState::Run(int startNumber) {
  const TRENFAState* cur = nullptr;
  if (!Goto(startNumber, cur) && !Backtrack(cur)) return false;
  for (;;) {
    if (--Budget == 0) RaiseMatchLimit(ERegExpMatchLimit::mlSteps);
    const TRENFAState* next = nullptr;
    switch (Enter(cur, next)) {
      case TREStep::Success:
        return true;
      case TREStep::Continue:
        cur = next;
        break;
      case TREStep::Fail:
        if (!Backtrack(cur)) return false;
        break;
    }
  }
}

TREStep TREMatchState::Enter(const TRENFAState* s, const TRENFAState*& next) {
  switch (s->Kind) {
    case nkNormal:
    case nkChar: {
      int len = 0;
      if (!s->Code || !s->Code->IsEqual(Cx, Pos, len)) return TREStep::Fail;
      Pos += len;
      return Go(s->TransitTo, next);
    }
    case nkEmpty:
    case nkIfThen:
    case nkQuest:
    case nkDefine:
      return Go(s->TransitTo, next);
    case nkStar:
    case nkPlus:
    case nkBound:
      return FastLoop(s, next);
    case nkLoop:
      return LoopEnter(s, next);
    case nkLoopEnd: {
      if (s->LoopIndex >= 0 && s->LoopIndex < LoopCount) {
        TRELoopState ls = Loops[static_cast<std::size_t>(s->LoopIndex)];
        ++ls.Count;
        SetLoop(s->LoopIndex, ls);
      }
      return Go(s->TransitTo, next);
    }
    case nkLoopExit:
      return LoopExit(s, next);
    case nkGroupBegin: {
      if (s->GroupIndex <= 0 || s->GroupIndex >= GroupCount) return Go(s->TransitTo, next);
      TRECapture c = Cap(s->GroupIndex);
      c.StartBuf = Pos;
      SetCapture(s->GroupIndex, c);
      return Go(s->TransitTo, next);
    }
    case nkGroupEnd:
      return GroupEnd(s, next);
    case nkKeepPattern: {
      int base = TopMarker + 1;
      if (!Calls.empty()) base = std::max(base, Calls.back().StackBase);
      CutTo(std::min(base, static_cast<int>(Stack.size())));
      TREEntry u;
      u.Kind = ekUndoGroup0;
      u.P = Cap(0).StartP;
      Push(u);
      Cap(0).StartP = Pos;
      return Go(s->TransitTo, next);
    }
    case nkSuspend:
    case nkAheadMatch:
    case nkAheadNoMatch:
    case nkBehindMatch:
    case nkBehindNoMatch:
      return OpenMarker(s, next);
    case nkMatchEnd:
      return MatchEnd(s, next);
    case nkEnd:
      return EndState(s, next);
    case nkGoSub:
      return GoSub(s, next);
    case nkIfMatch:
      return IfMatch(s, next);
    case nkCallout:
      return Callout(s, next);
    case nkFail:
      return TREStep::Fail;
    case nkPrune:
    case nkSkip:
    case nkMark:
    case nkThen:
    case nkCommit:
      return Verb(s, next);
    case nkAccept:
      return Accept(next);
  }
  return TREStep::Fail;
}

// ---------------------------------------------------------- backtracking

bool TREMatchState::Backtrack(const TRENFAState*& next) {
  while (!Stack.empty()) {
    TREEntry e = Stack.back();
    Stack.pop_back();
    switch (e.Kind) {
      case ekResume:
        Pos = e.P;
        if (MemoSeen(e.State, maResume, Pos)) break;
        if (e.State->Next) PushAlternative(e.State->Next);
        next = e.State;
        return true;
      case ekResumeNum:
        Pos = e.P;
        if (Goto(e.Num, next)) return true;
        break;
      case ekStarRange:
        if (ResumeStarRange(e, next)) return true;
        break;
      case ekLazyRange:
        if (ResumeLazyRange(e, next)) return true;
        break;
      case ekLoopLeave:
        if (ResumeLoopLeave(e, next)) return true;
        break;
      case ekLoopIter:
        if (ResumeLoopIter(e, next)) return true;
        break;
      case ekMarker:
        TopMarker = e.A;
        if (MarkerPopped(e, next)) return true;
        break;
      case ekVerb:
        if (VerbPopped(e)) return false;
        break;
      case ekMarkRec:
        break;
      default:
        ApplyUndo(e);
        break;
    }
  }
  return false;
}

void TREMatchState::ApplyUndo(const TREEntry& e) {
  switch (e.Kind) {
    case ekUndoCapture: {
      TRECapture& c = Cap(e.Num);
      c.StartP = e.P;
      c.EndP = e.P2;
      c.StartBuf = e.P3;
      c.Success = e.Flag;
      break;
    }
    case ekUndoLoop: {
      TRELoopState& ls = Loops[static_cast<std::size_t>(e.Num)];
      ls.Count = e.A;
      ls.Start = e.P;
      ls.Active = e.Flag;
      break;
    }
    case ekUndoGroup0:
      Cap(0).StartP = e.P;
      break;
    case ekUndoCallPush:
      if (!Calls.empty()) Calls.pop_back();
      break;
    case ekUndoCallPop:
      if (!SavedFrames.empty()) {
        Calls.push_back(std::move(SavedFrames.back()));
        SavedFrames.pop_back();
      }
      break;
    default:
      break;
  }
}

void TREMatchState::SetCapture(int group, const TRECapture& c) {
  TRECapture& cur = Cap(group);
  if (!UndoAboveChoice(ekUndoCapture, group)) {
    TREEntry u;
    u.Kind = ekUndoCapture;
    u.Num = group;
    u.P = cur.StartP;
    u.P2 = cur.EndP;
    u.P3 = cur.StartBuf;
    u.Flag = cur.Success;
    Push(u);
  }
  cur = c;
}

void TREMatchState::SetLoop(int index, const TRELoopState& ls) {
  TRELoopState& cur = Loops[static_cast<std::size_t>(index)];
  if (!UndoAboveChoice(ekUndoLoop, index)) {
    TREEntry u;
    u.Kind = ekUndoLoop;
    u.Num = index;
    u.A = cur.Count;
    u.P = cur.Start;
    u.Flag = cur.Active;
    Push(u);
  }
  cur = ls;
}

void TREMatchState::CutTo(int base) {
  if (base < 0) base = 0;
  while (TopMarker >= base) TopMarker = Stack[static_cast<std::size_t>(TopMarker)].A;
  std::size_t w = static_cast<std::size_t>(base);
  for (std::size_t r = w; r < Stack.size(); ++r)
    if (IsUndoEntry(Stack[r].Kind)) Stack[w++] = Stack[r];
  Stack.resize(w);
  for (TRECallFrame& f : Calls) f.StackBase = std::min(f.StackBase, static_cast<int>(Stack.size()));
}

void TREMatchState::UnwindTo(int base) {
  if (base < 0) base = 0;
  while (static_cast<int>(Stack.size()) > base) {
    TREEntry e = Stack.back();
    Stack.pop_back();
    if (e.Kind == ekMarker)
      TopMarker = e.A;
    else
      ApplyUndo(e);
  }
}

bool TREMatchState::MemoContext(std::uint64_t& active) const {
  if (!Plan->MemoAllowed || !Plan->HasLoops || TopMarker >= 0 || !Calls.empty()) return false;
  active = 0;
  for (int i = 0; i < LoopCount; ++i) {
    if (!Loops[static_cast<std::size_t>(i)].Active) continue;
    const TREMemoLoop& m = Plan->MemoLoops[static_cast<std::size_t>(i)];
    // The sweeps that use this context do not key counts.
    if (m.Bit < 0 || m.CountClamp > 0) return false;
    active |= 1ull << m.Bit;
  }
  return true;
}

bool TREMatchState::MemoSeen(const void* key, TREMemoAction action, const char16_t* p) {
  if (!Plan->MemoAllowed || !Plan->HasLoops || Budget > MemoArmAt || TopMarker >= 0 || !Calls.empty()) return false;
  MemoNeeded = true;
  std::uint64_t active = 0, same = 0, counts = 0;
  for (int i = 0; i < LoopCount; ++i) {
    const TRELoopState& ls = Loops[static_cast<std::size_t>(i)];
    if (!ls.Active) continue;
    const TREMemoLoop& m = Plan->MemoLoops[static_cast<std::size_t>(i)];
    if (m.Bit < 0) return false;
    active |= 1ull << m.Bit;
    if (ls.Start == p) same |= 1ull << m.Bit;
    if (Plan->HasCountedLoops && m.CountClamp > 0) counts |= static_cast<std::uint64_t>(std::min(ls.Count, m.CountClamp)) << m.CountShift;
  }
  const std::uint64_t k1 = reinterpret_cast<std::uintptr_t>(key) * 8u + static_cast<unsigned>(action) + 1u;
  // Positions are below 2^31 (TRegExp's are int): the counts share k2.
  const std::uint64_t k2 = (counts << 32) | (static_cast<std::uint64_t>(p - Cx.TextTop) + 1u);
  return Memo.TestAndSet(k1, k2, (active << 32) | same);
}

}  // namespace vantora
