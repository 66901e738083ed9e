// Look-arounds, atomic groups and conditions of the matcher, all built on
// markers: an ekMarker entry opened where the construct starts, remembering
// the kind, the position and (for a condition) the nkIfMatch state.
//
//  - Reaching the body's end (nkMatchEnd) decides with the innermost marker:
//    atomic groups and positive assertions cut the stack back to the marker
//    (keeping undo entries), so nothing inside is tried again; negative
//    assertions unwind to the marker (taking back the body's effects) and
//    fail, or take the no-branch of a condition.
//  - Popping a marker means that the body has no (further) way to match:
//    positive constructs fail (a condition takes its no-branch), negative
//    ones succeed at the marker's position.
//  - Look-behinds step back from the marker's position by the body's length
//    in code points, from the longest to the shortest length the body can
//    have; the body must end exactly at the marker's position. They never
//    look before the range start.
// Covered by tests/regex/test_match_assert.cpp.
#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {
TREMarkerKind MarkerKindOf(TRENFAKind k) {
  switch (k) {
    case nkAheadMatch: return mkAhead;
    case nkAheadNoMatch: return mkAheadNot;
    case nkBehindMatch: return mkBehind;
    case nkBehindNoMatch: return mkBehindNot;
    default: return mkAtomic;
  }
}
}  // namespace

int TREMatchState::PushMarker(TREMarkerKind kind, const TRENFAState* open, const TRENFAState* cond) {
  TREEntry m;
  m.Kind = ekMarker;
  m.Sub = kind;
  m.State = open;
  m.Cond = cond;
  m.P = Pos;
  m.A = TopMarker;
  Push(m);
  TopMarker = static_cast<int>(Stack.size()) - 1;
  return TopMarker;
}

// The position 'distance' code points before 'from', not before the range
// start.
bool TREMatchState::BehindStart(const char16_t* from, int distance, const char16_t*& at) const {
  const char16_t* p = from;
  const char16_t* lo = Cx.RangeTop;
  for (int i = 0; i < distance; ++i) {
    if (p <= lo) return false;
    if (p - 1 > lo && REIsLowSurrogate(p[-1]) && REIsHighSurrogate(p[-2]))
      p -= 2;
    else
      p -= 1;
  }
  at = p;
  return true;
}

// Starts (or restarts) the body of the look-behind whose marker is at
// markerIndex, with the longest distance not above the marker's B.
bool TREMatchState::StartBehind(int markerIndex, const TRENFAState*& next) {
  TREEntry& m = Stack[static_cast<std::size_t>(markerIndex)];
  const int minLen = m.State->Min < 0 ? 0 : m.State->Min;
  for (int d = m.B; d >= minLen; --d) {
    const char16_t* at = nullptr;
    if (!BehindStart(m.P, d, at)) continue;
    m.B = d;
    Pos = at;
    return Goto(m.State->TransitTo, next);
  }
  return false;
}

TREStep TREMatchState::OpenMarker(const TRENFAState* s, const TRENFAState*& next) {
  const TREMarkerKind kind = MarkerKindOf(s->Kind);
  const int mi = PushMarker(kind, s, nullptr);
  if (kind == mkBehind || kind == mkBehindNot) {
    Stack[static_cast<std::size_t>(mi)].B = s->Max < 0 ? s->Min : s->Max;
    if (StartBehind(mi, next)) return TREStep::Continue;
    // No start is possible: the body cannot match at all.
    UnwindTo(mi);
    if (kind == mkBehind) return TREStep::Fail;
    const TRENFAState* end = StateAt(s->ExtendTo);
    return end ? Go(end->TransitTo, next) : TREStep::Fail;
  }
  return Go(s->TransitTo, next);
}

TREStep TREMatchState::IfMatch(const TRENFAState* s, const TRENFAState*& next) {
  if (s->ExtendTo < 0) {
    bool yes = false;
    if (s->Code && s->Code->Kind() == ckInSubReference) {
      yes = InRecursion(static_cast<const TREInSubReferenceCode*>(s->Code)->GroupIndex());
    } else if (s->Code) {
      int len = 0;
      yes = s->Code->IsEqual(Cx, Pos, len);
    }
    return Go(yes ? s->TransitTo : s->ElseTo, next);
  }
  const TRENFAState* a = StateAt(s->ExtendTo);
  if (!a) return TREStep::Fail;
  const TREMarkerKind kind = MarkerKindOf(a->Kind);
  const int mi = PushMarker(kind, a, s);
  if (kind == mkBehind || kind == mkBehindNot) {
    Stack[static_cast<std::size_t>(mi)].B = a->Max < 0 ? a->Min : a->Max;
    if (StartBehind(mi, next)) return TREStep::Continue;
    UnwindTo(mi);
    return Go(kind == mkBehind ? s->ElseTo : s->TransitTo, next);
  }
  return Go(a->TransitTo, next);
}

TREStep TREMatchState::MatchEnd(const TRENFAState* s, const TRENFAState*& next) {
  if (TopMarker < 0) return Go(s->TransitTo, next);
  const int mi = TopMarker;
  const TREEntry m = Stack[static_cast<std::size_t>(mi)];
  switch (m.Sub) {
    case mkAtomic:
    case mkPossessive:
      CutTo(mi);
      return Go(s->TransitTo, next);
    case mkBehind:
      if (Pos != m.P) return TREStep::Fail;
      [[fallthrough]];
    case mkAhead:
      CutTo(mi);
      Pos = m.P;
      return Go(m.Cond ? m.Cond->TransitTo : s->TransitTo, next);
    case mkBehindNot:
      if (Pos != m.P) return TREStep::Fail;
      [[fallthrough]];
    case mkAheadNot:
      UnwindTo(mi);
      Pos = m.P;
      if (m.Cond) return Go(m.Cond->ElseTo, next);
      return TREStep::Fail;
  }
  return TREStep::Fail;
}

bool TREMatchState::MarkerPopped(const TREEntry& e, const TRENFAState*& next) {
  if (e.Sub == mkBehind || e.Sub == mkBehindNot) {
    // Another, shorter start for the body?
    const int minLen = e.State->Min < 0 ? 0 : e.State->Min;
    for (int d = e.B - 1; d >= minLen; --d) {
      const char16_t* at = nullptr;
      if (!BehindStart(e.P, d, at)) continue;
      Push(e);
      Stack.back().B = d;
      TopMarker = static_cast<int>(Stack.size()) - 1;
      Pos = at;
      if (Goto(e.State->TransitTo, next)) return true;
      Stack.pop_back();
      TopMarker = e.A;
    }
  }
  Pos = e.P;
  switch (e.Sub) {
    case mkAtomic:
    case mkPossessive:
      return false;
    case mkAhead:
    case mkBehind:
      return e.Cond ? Goto(e.Cond->ElseTo, next) : false;
    case mkAheadNot:
    case mkBehindNot: {
      if (e.Cond) return Goto(e.Cond->TransitTo, next);
      const TRENFAState* end = StateAt(e.State->ExtendTo);
      return end ? Goto(end->TransitTo, next) : false;
    }
  }
  return false;
}

}  // namespace vantora
