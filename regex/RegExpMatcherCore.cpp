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
//  - Captures live in TGroup::Capture; a failed search leaves every group
//    unset.
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
  if (!Re.FStateList || number < 0 || number >= Re.FStateList->Count()) return nullptr;
  return (*Re.FStateList)[number];
}

namespace {
// Whether a state of this kind leaves the outcome of the rest of the search
// a function of (state, position, loop context): the memo may cut around
// it. Kinds not listed here (calls, callouts, verbs, ACCEPT, and any kind
// added later) keep the memo out of the whole program.
bool MemoSafeKind(const TRENFAState& s) {
  switch (s.Kind) {
    case nkNormal: case nkChar: case nkEmpty: case nkStar: case nkPlus: case nkBound:
    case nkQuest: case nkLoop: case nkLoopExit: case nkLoopEnd: case nkGroupBegin:
    case nkGroupEnd: case nkKeepPattern: case nkSuspend: case nkMatchEnd: case nkEnd:
    case nkAheadMatch: case nkAheadNoMatch: case nkBehindMatch: case nkBehindNoMatch:
    case nkIfThen: case nkDefine: case nkFail:
      return true;
    case nkIfMatch:
      return s.ExtendTo >= 0;  // a look-around condition; group and recursion tests read captures
    default:
      return false;
  }
}

int BitWidth(int value) {
  int bits = 0;
  while (value > 0) {
    ++bits;
    value >>= 1;
  }
  return bits;
}
}  // namespace

// Run by Compile, once per program: the optimiser's analysis (which may make
// loops possessive), then which loops exist, whether the memo may cut, and
// how each loop enters the memo key (see RegExpFailureMemo.h).
void TREMatchState::Prepare() {
  if (PreparedSerial == Re.FCompileSerial && Re.FStateList) return;
  PreparedSerial = Re.FCompileSerial;
  Dfa.Analyse(Re);         // reads the loop kinds as written
  Optimizer.Optimize(Re);  // may make loops possessive: before the scan below
  HasLoops = false;
  bool memo = !Re.FHasBackReference && !Re.FHasGoSub;
  LoopCount = std::max(0, Re.FLoopStateCount);
  // By loop index: the largest count that still decides the outcome (the
  // minimum of an unbounded loop, the maximum of a bounded one); 1 for
  // loops whose count never matters.
  std::vector<int> countClamp(static_cast<std::size_t>(LoopCount), 1);
  const int n = Re.FStateList ? Re.FStateList->Count() : 0;
  for (int i = 0; i < n; ++i) {
    for (const TRENFAState* s = (*Re.FStateList)[i]; s; s = s->Next) {
      if (!MemoSafeKind(*s)) memo = false;
      if (s->Kind == nkStar || s->Kind == nkPlus || s->Kind == nkBound) HasLoops = true;
      if (s->Kind == nkLoop || s->Kind == nkLoopExit) {
        HasLoops = true;
        if (s->LoopIndex < 0) continue;
        if (s->LoopIndex >= LoopCount) {
          LoopCount = s->LoopIndex + 1;
          countClamp.resize(static_cast<std::size_t>(LoopCount), 1);
        }
        int& clamp = countClamp[static_cast<std::size_t>(s->LoopIndex)];
        clamp = std::max(clamp, s->Max < CONST_LoopMax ? s->Max : s->Min);
      }
      if (s->Code && s->Code->Kind() == ckGlobalPos) memo = false;
    }
  }
  // Each loop gets one bit of the key's active and same-start masks (32
  // loops at most). A loop whose count decides the outcome also gets a field
  // of the key's count field holding min(count, clamp); when those fields do not
  // fit in 32 bits, the loops left over stop the memo while they run.
  MemoLoops.assign(static_cast<std::size_t>(LoopCount), TREMemoLoop{});
  HasCountedLoops = false;
  if (LoopCount > 32) memo = false;
  int countBits = 0;
  for (int i = 0; i < LoopCount && i < 32; ++i) {
    TREMemoLoop& m = MemoLoops[static_cast<std::size_t>(i)];
    m.Bit = i;
    const int clamp = countClamp[static_cast<std::size_t>(i)];
    if (clamp <= 1) continue;
    const int width = BitWidth(clamp);
    if (countBits + width > 32) {
      m.Bit = -1;
      continue;
    }
    m.CountClamp = clamp;
    m.CountShift = countBits;
    HasCountedLoops = true;
    countBits += width;
  }
  LeafLoops.clear();
  for (int i = 0; i < n; ++i) {
    for (const TRENFAState* s = (*Re.FStateList)[i]; s; s = s->Next) {
      if (s->Kind != nkLoop) continue;
      const TRENFAState* body = StateAt(s->TransitTo);
      if (!body || body->Next || (body->Kind != nkChar && body->Kind != nkNormal) || !body->Code ||
          !body->Code->CanRepeatFast())
        continue;
      int mn = 0, mx = 0;
      body->Code->GetLengthRange(mn, mx);
      const TRENFAState* end = StateAt(body->TransitTo);
      if (mn < 1 || !end || end->Next || end->Kind != nkLoopEnd || end->LoopIndex != s->LoopIndex) continue;
      if (!StateAt(s->ExtendTo)) continue;
      LeafLoops[s] = body;
    }
  }
  MemoAllowed = memo;
  PrepareLeaveTests();
  Loops.assign(static_cast<std::size_t>(LoopCount), TRELoopState{});
  Memo.Clear();
  StarCache.clear();
}

void TREMatchState::ResetCaptures() {
  for (TGroup& g : Re.Groups()) g.Capture = TRECapture{};
}

// ------------------------------------------------------------------ search

bool TREMatchState::Match(const char16_t* start) {
  // The program was analysed by Compile (Prepare); every caller compiles first.
  Re.FMarkIndex = -1;
  Re.FErrorIndex = -1;
  Re.FMatched = false;
  const char16_t* end = Re.FMatchEndP;
  if (!Re.FStateList || !start || start > end || Re.Groups().Count() == 0) {
    ResetCaptures();
    return false;
  }
  if (Re.FMinMatchLength > 0 && end - start < Re.FMinMatchLength) {
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
    if (Scan(start, end)) return true;
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

bool TREMatchState::Scan(const char16_t* start, const char16_t* end) {
  // Candidate starts come from the optimiser: nullptr when the pre-match
  // filter or the lead strategy rules out every further start.
  const char16_t* p = Optimizer.Begin(Re, start) ? Optimizer.NextStart(Re, start) : nullptr;
  // The automaton finds the leftmost start where an attempt succeeds, or
  // rules out a match; when it gives up, the scan goes on from where it left.
  if (p && Dfa.Usable(Optimizer)) {
    const TRELazyDfa::TOutcome outcome = Dfa.FindStart(Re, Optimizer, p, end, p);
    if (outcome == TRELazyDfa::doNoMatch) return false;
    if (outcome == TRELazyDfa::doGaveUp) p = Optimizer.NextStart(Re, p);
    // A program with no loops and no groups: the automaton also knows the
    // end the attempt there would reach.
    if (outcome == TRELazyDfa::doStart && Dfa.FindsEnds())
      if (const char16_t* e = Dfa.MatchEnd(Re, p, end)) {
        TRECapture& c = Re.Groups().Item(0).Capture;
        c = TRECapture{p, e, nullptr, true};
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
    p = Optimizer.NextStart(Re, p);
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
  Re.Groups().Item(0).Capture.StartP = start;
  return Run(Re.FEntryState);
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
      if (!alt->Code->IsEqual(Pos, len)) continue;
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
      if (!s->Code || !s->Code->IsEqual(Pos, len)) return TREStep::Fail;
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
      if (s->GroupIndex <= 0 || s->GroupIndex >= Re.Groups().Count()) return Go(s->TransitTo, next);
      TRECapture c = Re.Groups().Item(s->GroupIndex).Capture;
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
      u.P = Re.Groups().Item(0).Capture.StartP;
      Push(u);
      Re.Groups().Item(0).Capture.StartP = Pos;
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
      TRECapture& c = Re.Groups().Item(e.Num).Capture;
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
      Re.Groups().Item(0).Capture.StartP = e.P;
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
  TRECapture& cur = Re.Groups().Item(group).Capture;
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
  if (!MemoAllowed || !HasLoops || TopMarker >= 0 || !Calls.empty()) return false;
  active = 0;
  for (int i = 0; i < LoopCount; ++i) {
    if (!Loops[static_cast<std::size_t>(i)].Active) continue;
    const TREMemoLoop& m = MemoLoops[static_cast<std::size_t>(i)];
    // The sweeps that use this context do not key counts.
    if (m.Bit < 0 || m.CountClamp > 0) return false;
    active |= 1ull << m.Bit;
  }
  return true;
}

bool TREMatchState::MemoSeen(const void* key, TREMemoAction action, const char16_t* p) {
  if (!MemoAllowed || !HasLoops || Budget > MemoArmAt || TopMarker >= 0 || !Calls.empty()) return false;
  MemoNeeded = true;
  std::uint64_t active = 0, same = 0, counts = 0;
  for (int i = 0; i < LoopCount; ++i) {
    const TRELoopState& ls = Loops[static_cast<std::size_t>(i)];
    if (!ls.Active) continue;
    const TREMemoLoop& m = MemoLoops[static_cast<std::size_t>(i)];
    if (m.Bit < 0) return false;
    active |= 1ull << m.Bit;
    if (ls.Start == p) same |= 1ull << m.Bit;
    if (HasCountedLoops && m.CountClamp > 0) counts |= static_cast<std::uint64_t>(std::min(ls.Count, m.CountClamp)) << m.CountShift;
  }
  const std::uint64_t k1 = reinterpret_cast<std::uintptr_t>(key) * 8u + static_cast<unsigned>(action) + 1u;
  // Positions are below 2^31 (TRegExp's are int): the counts share k2.
  const std::uint64_t k2 = (counts << 32) | (static_cast<std::uint64_t>(p - Re.FTextTopP) + 1u);
  return Memo.TestAndSet(k1, k2, (active << 32) | same);
}

}  // namespace vantora
