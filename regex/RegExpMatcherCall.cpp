// Subroutine calls, recursion, group ends, the end state, backtracking
// verbs, (*ACCEPT) and callouts.
//
// Calls: nkGoSub pushes a call frame holding the state to return to, the
// capture records and loop states before the call, and the stack height.
// The called group's nkGroupEnd (or nkEnd for a recursion into the whole
// pattern) returns: the captures and loop states are put back as they were
// before the call, and execution goes on after the call. Pushing and popping
// frames are undo entries, so backtracking into or out of a call restores
// the call stack. A call of a group that is already being called at the same
// position fails (it could only recurse without end); a call beyond the
// call depth limit raises the match-limit error (each frame holds a copy of
// the captures; see RegExpMatchLimits.h).
//
// Verbs act when backtracking reaches them (ekVerb entries): PRUNE ends the
// attempt, SKIP ends it and moves the next start to where the verb was met
// (SKIP:name to the position of the latest MARK of that name on the path,
// and is ignored when there is none), COMMIT ends the whole search, THEN
// goes back to the next alternative of the innermost enclosing alternation.
// Atomic groups and assertions confine verbs: a cut removes them.
// Covered by tests/regex/test_match_calls.cpp and tests/regex/test_match_verbs.cpp.
#include <algorithm>

#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpMatchLimits.h"
#include "regex/RegExpMatcher.h"

namespace vantora {

bool TREMatchState::InRecursion(int group) const {
  if (Calls.empty()) return false;
  return group <= 0 || Calls.back().GroupIndex == group;
}

TREStep TREMatchState::GoSub(const TRENFAState* s, const TRENFAState*& next) {
  const int g = s->GroupIndex;
  int target = Prog->EntryState();
  if (g > 0) {
    if (g >= GroupCount) return TREStep::Fail;
    target = Prog->Groups().Item(g).IndexBegin;
  }
  if (Calls.size() >= CallDepthLimit) RaiseMatchLimit(ERegExpMatchLimit::mlCallDepth);
  for (const TRECallFrame& f : Calls)
    if (f.GroupIndex == g && f.CallPos == Pos) return TREStep::Fail;
  TRECallFrame f;
  f.GroupIndex = g;
  f.ReturnTo = s->TransitTo;
  f.CallPos = Pos;
  f.StackBase = static_cast<int>(Stack.size());
  f.Captures = Captures;
  f.Loops = Loops;
  Calls.push_back(std::move(f));
  TREEntry u;
  u.Kind = ekUndoCallPush;
  Push(u);
  return Go(target, next);
}

bool TREMatchState::ReturnFromCall(const TRENFAState*& next) {
  TRECallFrame f = std::move(Calls.back());
  Calls.pop_back();
  const int n = std::min(GroupCount, static_cast<int>(f.Captures.size()));
  // Group 0 keeps its start: only the numbered groups go back.
  for (int i = 1; i < n; ++i) {
    const TRECapture& was = f.Captures[static_cast<std::size_t>(i)];
    const TRECapture& cur = Cap(i);
    if (cur.StartP != was.StartP || cur.EndP != was.EndP || cur.StartBuf != was.StartBuf ||
        cur.Success != was.Success)
      SetCapture(i, was);
  }
  for (int i = 0; i < LoopCount && i < static_cast<int>(f.Loops.size()); ++i) {
    const TRELoopState& was = f.Loops[static_cast<std::size_t>(i)];
    const TRELoopState& cur = Loops[static_cast<std::size_t>(i)];
    if (cur.Count != was.Count || cur.Start != was.Start || cur.Active != was.Active) SetLoop(i, was);
  }
  const int returnTo = f.ReturnTo;
  SavedFrames.push_back(std::move(f));
  TREEntry u;
  u.Kind = ekUndoCallPop;
  Push(u);
  return Goto(returnTo, next);
}

TREStep TREMatchState::GroupEnd(const TRENFAState* s, const TRENFAState*& next) {
  const int g = s->GroupIndex;
  if (g > 0 && g < GroupCount) {
    TRECapture c = Cap(g);
    c.StartP = c.StartBuf ? c.StartBuf : Pos;
    c.EndP = Pos;
    c.StartBuf = nullptr;
    c.Success = true;
    SetCapture(g, c);
  }
  if (!Calls.empty() && Calls.back().GroupIndex == g && g > 0)
    return ReturnFromCall(next) ? TREStep::Continue : TREStep::Fail;
  return Go(s->TransitTo, next);
}

TREStep TREMatchState::EndState(const TRENFAState*, const TRENFAState*& next) {
  if (!Calls.empty() && Calls.back().GroupIndex == 0)
    return ReturnFromCall(next) ? TREStep::Continue : TREStep::Fail;
  TRECapture& c = Cap(0);
  c.EndP = Pos;
  c.Success = true;
  c.StartBuf = nullptr;
  if (c.StartP > c.EndP) c.StartP = c.EndP;  // \K inside a look-ahead past the end
  return TREStep::Success;
}

TREStep TREMatchState::Verb(const TRENFAState* s, const TRENFAState*& next) {
  if (s->Kind == nkMark) {
    Re.FMarkIndex = s->NameIndex;
    TREEntry m;
    m.Kind = ekMarkRec;
    m.A = s->NameIndex;
    m.P = Pos;
    Push(m);
    return Go(s->TransitTo, next);
  }
  if (s->NameIndex >= 0 && s->Kind != nkSkip) Re.FMarkIndex = s->NameIndex;
  TREEntry v;
  v.Kind = ekVerb;
  v.State = s;
  v.P = Pos;
  Push(v);
  return Go(s->TransitTo, next);
}

// A verb reached by backtracking. Returns true when the attempt ends.
bool TREMatchState::VerbPopped(const TREEntry& e) {
  const TRENFAState* s = e.State;
  switch (s->Kind) {
    case nkPrune:
      return true;
    case nkCommit:
      Committed = true;
      return true;
    case nkSkip: {
      if (s->NameIndex < 0) {
        SkipTo = e.P;
        return true;
      }
      const std::u16string& name = Prog->Names()[static_cast<std::size_t>(s->NameIndex)];
      for (std::size_t i = Stack.size(); i-- > 0;) {
        const TREEntry& m = Stack[i];
        if (m.Kind == ekMarkRec && m.A >= 0 && Prog->Names()[static_cast<std::size_t>(m.A)] == name) {
          SkipTo = m.P;
          return true;
        }
      }
      return false;  // no such mark: the verb is ignored
    }
    case nkThen: {
      const TRENFAState* alt = StateAt(s->ExtendTo);
      if (!alt) return true;
      for (std::size_t i = Stack.size(); i-- > 0;) {
        const TREEntry& r = Stack[i];
        if (static_cast<int>(i) <= TopMarker) break;
        if (r.Kind != ekResume) continue;
        for (const TRENFAState* a = alt; a; a = a->Next)
          if (a == r.State) {
            UnwindTo(static_cast<int>(i) + 1);
            return false;  // the driver pops the alternative next
          }
      }
      return true;
    }
    default:
      return false;
  }
}

TREStep TREMatchState::Accept(const TRENFAState*& next) {
  // Close every open group at the position.
  for (int i = 1; i < GroupCount; ++i) {
    const TRECapture& c = Cap(i);
    if (c.StartBuf) {
      TRECapture n = c;
      n.StartP = c.StartBuf;
      n.EndP = Pos;
      n.StartBuf = nullptr;
      n.Success = true;
      SetCapture(i, n);
    }
  }
  const int callBase = Calls.empty() ? -1 : Calls.back().StackBase;
  // Inside an assertion (atomic groups around it do not count): the
  // assertion's body has matched.
  for (int mi = TopMarker; mi >= 0 && mi >= callBase; mi = Stack[static_cast<std::size_t>(mi)].A) {
    const TREEntry& m = Stack[static_cast<std::size_t>(mi)];
    if (m.Sub == mkAtomic || m.Sub == mkPossessive) continue;
    const TRENFAState* end = StateAt(m.State ? m.State->ExtendTo : -1);
    if (!end) return TREStep::Fail;
    CutTo(mi + 1);
    if (m.Sub == mkBehind || m.Sub == mkBehindNot) Pos = Stack[static_cast<std::size_t>(mi)].P;
    return MatchEnd(end, next);
  }
  if (!Calls.empty()) {
    CutTo(callBase);
    return ReturnFromCall(next) ? TREStep::Continue : TREStep::Fail;
  }
  CutTo(0);
  TRECapture& c = Cap(0);
  c.EndP = Pos;
  c.Success = true;
  if (c.StartP > c.EndP) c.StartP = c.EndP;
  return TREStep::Success;
}

TREStep TREMatchState::Callout(const TRENFAState* s, const TRENFAState*& next) {
  // nkCallout states carry a TRECalloutCode (RegExpNFA.cpp).
  if (!s->Code || s->Code->Kind() != ckCallout || !Re.OnCallout) return TREStep::Fail;
  const auto* code = static_cast<const TRECalloutCode*>(s->Code);
  TCalloutData data = code->Data();
  data.Version = 1;
  data.CurrentPosition = static_cast<std::int32_t>(Pos - Cx.TextTop) + 1;
  data.StartPosition = static_cast<std::int32_t>(AttemptStart - Cx.TextTop) + 1;
  bool isMatch = false;
  std::int32_t length = 0;
  Re.OnCallout(Re, &data, isMatch, length);
  if (!isMatch) return TREStep::Fail;
  const std::ptrdiff_t room = Cx.RangeEnd - Pos;
  if (length < 0) length = 0;
  if (length > room) length = static_cast<std::int32_t>(room);
  Pos += length;
  return Go(s->TransitTo, next);
}

}  // namespace vantora
