// REAnalyseMatch: the matcher's analysis of a compiled program (see
// RegExpMatchAnalysis.h and, for the memo key, RegExpFailureMemo.h).
#include "regex/RegExpMatchAnalysis.h"

#include <algorithm>

#include "regex/RegExpCode.h"
#include "regex/RegExpProgram.h"

namespace vantora {

namespace {
// Whether a state of this kind leaves the outcome of the rest of the search
// a function of (state, position, loop context): the memo may cut around
// it. Every kind not listed here (calls, callouts, verbs, ACCEPT, and any
// kind added later) keeps the memo out of the whole program.
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

// Whether the memo may cut around a leaf of this kind. A leaf that reads
// more than the subject at the position (\G reads the previous match) makes
// the outcome depend on the search; kinds the rule does not know deny.
bool MemoSafeLeaf(const TRECode& code) {
  switch (code.Kind()) {
    case ckChar: case ckLiteral: case ckCharLevel: case ckAnyChar: case ckCombining: case ckLineBreak:
    case ckLineHead: case ckLineTail: case ckTextHead: case ckTextTail: case ckTextEnd: case ckBoundary:
    case ckReference: case ckIfThenReference: case ckInSubReference: case ckCallout:
      return true;
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

// The literal leaves that can consume the first character after leaving
// each general loop, found by walking from its exit through group begins,
// group ends and empty states (not in programs with calls, where a group
// end may return). A follower of any other kind, or too many of them,
// leaves the loop's list unknown. A greedy loop does not push its "leave
// here" entry where none of the leaves matches: that branch could only
// fail, and without it an iteration that leaves no choice point adds
// nothing to the stack.
void AnalyseLeaveTests(const TREProgram& program, TREMatchAnalysis& a) {
  a.LeaveTests.assign(static_cast<std::size_t>(a.LoopCount), TRELeaveTest{});
  if (program.HasGoSub()) return;
  constexpr std::size_t kMaxLeaves = 8;
  const TREStateList& states = program.States();
  auto stateAt = [&states](int number) -> const TRENFAState* {
    return number < 0 || number >= states.Count() ? nullptr : states[number];
  };
  for (int i = 0; i < states.Count(); ++i) {
    for (const TRENFAState* x = states[i]; x; x = x->Next) {
      if (x->Kind != nkLoopExit || x->LoopKind != lkGreedy || x->LoopIndex < 0 || x->LoopIndex >= a.LoopCount)
        continue;
      TRELeaveTest test;
      test.Known = true;
      std::vector<int> todo{x->TransitTo};
      std::vector<int> seen;
      while (test.Known && !todo.empty()) {
        const int number = todo.back();
        todo.pop_back();
        if (std::find(seen.begin(), seen.end(), number) != seen.end()) continue;
        seen.push_back(number);
        const TRENFAState* h = stateAt(number);
        if (!h || seen.size() > 4 * kMaxLeaves) test.Known = false;
        for (; h && test.Known; h = h->Next) {
          if (h->Kind == nkChar && h->Code && test.Leaves.size() < kMaxLeaves)
            test.Leaves.push_back(h->Code);
          else if (h->Kind == nkEmpty || h->Kind == nkGroupBegin || h->Kind == nkGroupEnd)
            todo.push_back(h->TransitTo);
          else
            test.Known = false;
        }
      }
      if (!test.Known) test.Leaves.clear();
      a.LeaveTests[static_cast<std::size_t>(x->LoopIndex)] = std::move(test);
    }
  }
}
}  // namespace

void REAnalyseMatch(const TREProgram& program, TREMatchAnalysis& a) {
  a = TREMatchAnalysis{};
  const TREStateList& states = program.States();
  auto stateAt = [&states](int number) -> const TRENFAState* {
    return number < 0 || number >= states.Count() ? nullptr : states[number];
  };
  bool memo = !program.HasBackReference() && !program.HasGoSub();
  a.LoopCount = std::max(0, program.LoopStateCount());
  // By loop index: the largest count that still decides the outcome (the
  // minimum of an unbounded loop, the maximum of a bounded one); 1 for
  // loops whose count never matters.
  std::vector<int> countClamp(static_cast<std::size_t>(a.LoopCount), 1);
  const int n = states.Count();
  for (int i = 0; i < n; ++i) {
    for (const TRENFAState* s = states[i]; s; s = s->Next) {
      if (!MemoSafeKind(*s)) memo = false;
      if (s->Kind == nkStar || s->Kind == nkPlus || s->Kind == nkBound) a.HasLoops = true;
      if (s->Kind == nkLoop || s->Kind == nkLoopExit) {
        a.HasLoops = true;
        if (s->LoopIndex < 0) continue;
        if (s->LoopIndex >= a.LoopCount) {
          a.LoopCount = s->LoopIndex + 1;
          countClamp.resize(static_cast<std::size_t>(a.LoopCount), 1);
        }
        int& clamp = countClamp[static_cast<std::size_t>(s->LoopIndex)];
        clamp = std::max(clamp, s->Max < CONST_LoopMax ? s->Max : s->Min);
      }
      if (s->Code && !MemoSafeLeaf(*s->Code)) memo = false;
    }
  }
  // Each loop gets one bit of the key's active and same-start masks (32
  // loops at most). A loop whose count decides the outcome also gets a field
  // of the key's count field holding min(count, clamp); when those fields do not
  // fit in 32 bits, the loops left over stop the memo while they run.
  a.MemoLoops.assign(static_cast<std::size_t>(a.LoopCount), TREMemoLoop{});
  if (a.LoopCount > 32) memo = false;
  int countBits = 0;
  for (int i = 0; i < a.LoopCount && i < 32; ++i) {
    TREMemoLoop& m = a.MemoLoops[static_cast<std::size_t>(i)];
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
    a.HasCountedLoops = true;
    countBits += width;
  }
  for (int i = 0; i < n; ++i) {
    for (const TRENFAState* s = states[i]; s; s = s->Next) {
      if (s->Kind != nkLoop) continue;
      const TRENFAState* body = stateAt(s->TransitTo);
      if (!body || body->Next || (body->Kind != nkChar && body->Kind != nkNormal) || !body->Code ||
          !body->Code->CanRepeatFast())
        continue;
      int mn = 0, mx = 0;
      body->Code->GetLengthRange(mn, mx);
      const TRENFAState* end = stateAt(body->TransitTo);
      if (mn < 1 || !end || end->Next || end->Kind != nkLoopEnd || end->LoopIndex != s->LoopIndex) continue;
      if (!stateAt(s->ExtendTo)) continue;
      a.LeafLoops[s] = body;
    }
  }
  a.MemoAllowed = memo;
  AnalyseLeaveTests(program, a);
}

}  // namespace vantora
