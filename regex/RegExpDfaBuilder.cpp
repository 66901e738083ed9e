// The thread model of the lazy automaton (see RegExpDfaBuilder.h): which
// programs it takes, the epsilon moves of one position and the step over
// one code unit.
// Covered by tests/regex/test_lazy_dfa.cpp.
#include "regex/RegExpDfaBuilder.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpProgram.h"

namespace vantora {

int TREDfaContent::Partitions() const {
  return static_cast<int>(std::count(Items.begin(), Items.end(), -1));
}

std::string TREDfaContent::Key() const {
  std::string k;
  k.resize(2 + Items.size() * sizeof(int));
  k[0] = static_cast<char>(Before);
  k[1] = Matched ? 1 : 0;
  if (!Items.empty()) std::memcpy(&k[2], Items.data(), Items.size() * sizeof(int));
  return k;
}

namespace {
bool IsAssertion(const TRECode* code) {
  switch (code->Kind()) {
    case ckLineHead: case ckLineTail: case ckTextHead: case ckTextTail: case ckTextEnd: case ckBoundary:
      return true;
    default:
      return false;
  }
}
}  // namespace

bool TREDfaBuilder::IsConsuming(const TRECode* code) const {
  return code && (code->Kind() == ckLiteral || code->Kind() == ckAnyChar || REIsCharLevelKind(code->Kind()));
}

int TREDfaBuilder::AtomOf(const TRECode* code) {
  FAtoms.push_back(TAtom{code, 0, 0});
  return static_cast<int>(FAtoms.size()) - 1;
}

int TREDfaBuilder::AtomOfChar(std::uint32_t c, std::uint8_t co) {
  const std::uint64_t key = (static_cast<std::uint64_t>(c) << 8) | co;
  auto it = FCharAtoms.find(key);
  if (it != FCharAtoms.end()) return it->second;
  FAtoms.push_back(TAtom{nullptr, c, co});
  const int id = static_cast<int>(FAtoms.size()) - 1;
  FCharAtoms.emplace(key, id);
  return id;
}

bool TREDfaBuilder::Walk(int from, const std::function<bool(const TRENFAState&, std::vector<int>&)>& follow) const {
  const TREStateList& states = FProg->States();
  std::vector<int> work{from};
  std::vector<char> seen(static_cast<std::size_t>(states.Count()), 0);
  while (!work.empty()) {
    const int n = work.back();
    work.pop_back();
    if (n < 0 || n >= states.Count()) return false;
    if (seen[static_cast<std::size_t>(n)]) continue;
    seen[static_cast<std::size_t>(n)] = 1;
    for (const TRENFAState* f = states[n]; f; f = f->Next)
      if (!follow(*f, work)) return false;
  }
  return true;
}

// A possessive fast loop matches what the greedy one does when what follows
// its exit (past group begins and ends) is the program end or leaves that
// consume a character none of which overlaps the loop's leaf: the loop could
// never give back a repetition that a follower would take.
bool TREDfaBuilder::GivesNothingBack(const TRENFAState* loop) const {
  return Walk(loop->TransitTo, [loop](const TRENFAState& f, std::vector<int>& work) {
    if (f.Kind == nkGroupBegin || f.Kind == nkGroupEnd) {
      work.push_back(f.TransitTo);
      return true;
    }
    if (f.Kind == nkEnd) return true;
    int mn = 0, mx = 0;
    if ((f.Kind == nkChar || f.Kind == nkNormal) && f.Code) f.Code->GetLengthRange(mn, mx);
    return mn >= 1 && !f.Code->IsOverlap(loop->Code) && !loop->Code->IsOverlap(f.Code);
  });
}

// Whether an iteration of the general loop 'loop' may consume nothing (a
// conservative answer: true when unsure). Such an iteration meets the
// matcher's empty-iteration rule, which changes the order of its paths.
bool TREDfaBuilder::BodyCanBeEmpty(const TRENFAState* loop) const {
  const TREStateList& states = FProg->States();
  return !Walk(loop->TransitTo, [&](const TRENFAState& f, std::vector<int>& work) {
    int mn = 0, mx = 0;
    switch (f.Kind) {
      case nkChar:
      case nkNormal:
        if (!IsConsuming(f.Code)) work.push_back(f.TransitTo);
        return true;
      case nkStar:
      case nkPlus:
      case nkBound:
        FastLimits(&f, mn, mx);
        if (mn == 0) work.push_back(f.TransitTo);
        return true;
      case nkLoop:
        work.push_back(f.TransitTo);
        if (f.ExtendTo >= 0 && f.ExtendTo < states.Count() && states[f.ExtendTo])
          work.push_back(states[f.ExtendTo]->TransitTo);
        return true;
      case nkLoopExit:
        work.push_back(f.TransitTo);
        work.push_back(f.ExtendTo);
        return true;
      case nkLoopEnd:
        if (f.LoopIndex == loop->LoopIndex) return false;  // the body's end, reached on nothing
        work.push_back(f.TransitTo);
        return true;
      case nkEnd:
        return true;
      default:
        work.push_back(f.TransitTo);
        return true;
    }
  });
}

bool TREDfaBuilder::Analyse(const TREProgram& re) {
  FUsable = false;
  FOrdered = false;
  FUsesTail = false;
  FFoldsWidth = false;
  FProg = &re;
  FAtoms.clear();
  FLeaves.clear();
  FCharAtoms.clear();
  ResetThreads();
  if (re.HasGoSub() || re.HasBackReference()) return false;
  if (re.OptimizeKind() == opNone || re.OptimizeKind() == opCompileOnly) return false;
  FEntry = re.EntryState();
  bool ordered = re.Groups().Count() == 1;
  FLoopClamp.assign(static_cast<std::size_t>(std::max(0, re.LoopStateCount())), 0);
  const int n = re.States().Count();
  for (int i = 0; i < n; ++i) {
    for (const TRENFAState* s = re.States()[i]; s; s = s->Next) {
      switch (s->Kind) {
        case nkEmpty: case nkQuest: case nkGroupBegin: case nkGroupEnd: case nkEnd:
          break;
        case nkChar: case nkNormal:
          if (IsConsuming(s->Code)) break;
          if (!s->Code || !IsAssertion(s->Code)) return false;
          if (s->Code->Kind() == ckTextTail) FUsesTail = true;
          if (s->Code->Kind() == ckLineTail && !static_cast<const TRELineTailCode*>(s->Code)->MultiLine())
            FUsesTail = true;
          break;
        case nkStar: case nkPlus: case nkBound:
          if (!IsConsuming(s->Code) || s->LoopKind == lkCombiningSequence) return false;
          if (s->LoopKind == lkPossessive && !GivesNothingBack(s)) return false;
          break;
        case nkLoop: case nkLoopExit: case nkLoopEnd:
          if (s->Kind == nkLoop && BodyCanBeEmpty(s)) ordered = false;
          if (s->LoopKind == lkPossessive || s->LoopIndex < 0) return false;
          if (s->LoopIndex >= static_cast<int>(FLoopClamp.size()))
            FLoopClamp.resize(static_cast<std::size_t>(s->LoopIndex) + 1, 0);
          if (s->Kind == nkLoop)
            FLoopClamp[static_cast<std::size_t>(s->LoopIndex)] = s->Max < CONST_LoopMax ? s->Max : s->Min;
          break;
        default:
          return false;
      }
      if (!IsConsuming(s->Code) || FLeaves.count(s->Code)) continue;
      TLeafInfo info;
      const TRECode* code = s->Code;
      if (code->CompareOptions().Contains(coIgnoreWidth)) FFoldsWidth = true;
      if (code->Kind() == ckLiteral) {
        const auto* lit = static_cast<const TRELiteralCode*>(code);
        for (std::uint32_t c : lit->Chars()) info.Atoms.push_back(AtomOfChar(c, code->CompareOptions().Bits()));
        if (info.Atoms.empty()) return false;
      } else {
        info.Atoms.push_back(AtomOf(code));
      }
      FLeaves.emplace(code, std::move(info));
    }
  }
  FUsable = true;
  FOrdered = ordered;
  return true;
}

bool TREDfaBuilder::AtomAccepts(int i, const TREContext& cx, const char16_t* p) const {
  const TAtom& a = FAtoms[static_cast<std::size_t>(i)];
  if (!a.Code) {
    TRECompareOptions co;
    for (int b = 0; b < 3; ++b)
      if ((a.Compare >> b) & 1) co.Include(static_cast<TRECompareOption>(b));
    return REFoldChar(*p, co) == a.Char;
  }
  int len = 0;
  return a.Code->IsEqual(cx, p, len) && len == 1;
}

void TREDfaBuilder::ResetThreads() {
  FThreads.clear();
  FThreadIds.clear();
  FSeen.clear();
  FStepMark = 0;
}

int TREDfaBuilder::Intern(TThread t) {
  if (t.Kind != thFast) t.Count = 0;
  std::string key;
  key.reserve(32 + t.Loops.size() * sizeof(int));
  const std::uintptr_t sp = reinterpret_cast<std::uintptr_t>(t.State);
  const int head[4] = {static_cast<int>(t.Kind), t.Number, t.Offset, t.Count};
  key.append(reinterpret_cast<const char*>(head), sizeof(head));
  key.append(reinterpret_cast<const char*>(&sp), sizeof(sp));
  if (!t.Loops.empty()) key.append(reinterpret_cast<const char*>(t.Loops.data()), t.Loops.size() * sizeof(int));
  auto it = FThreadIds.find(key);
  if (it != FThreadIds.end()) return it->second;
  const int id = static_cast<int>(FThreads.size());
  FThreads.push_back(std::move(t));
  FThreadIds.emplace(std::move(key), id);
  return id;
}

bool TREDfaBuilder::Seen(int t) {
  if (static_cast<std::size_t>(t) >= FSeen.size()) FSeen.resize(FThreads.size() + 64, 0);
  if (FSeen[static_cast<std::size_t>(t)] == FStepMark) return true;
  FSeen[static_cast<std::size_t>(t)] = FStepMark;
  return false;
}

void TREDfaBuilder::FastLimits(const TRENFAState* s, int& min, int& max) const {
  min = s->Kind == nkStar ? 0 : s->Kind == nkPlus ? 1 : s->Min;
  max = s->Kind == nkBound && s->Max < CONST_LoopMax ? s->Max : -1;
}

bool TREDfaBuilder::AssertHolds(const TRECode* code, const TContext& ctx) const {
  const bool start = ctx.Before & kDfaEdge, end = ctx.After & kDfaEdge;
  const bool multiLine = code->Options().Contains(roMultiLine);
  switch (code->Kind()) {
    case ckLineHead:
      return start || (multiLine && (ctx.Before & kDfaBreak) && !end);
    case ckLineTail:
      return end || (multiLine ? (ctx.After & kDfaBreak) != 0 : (ctx.Tail & kDfaTailLast) != 0);
    case ckTextHead:
      return start;
    case ckTextEnd:
      return end;
    case ckTextTail:
      return end || (ctx.Tail & kDfaTailBreaks);
    case ckBoundary: {
      const std::uint8_t word = code->Options().Contains(roDefinedCharClassLegacy) ? kDfaWordLegacy : kDfaWord;
      const bool before = !start && (ctx.Before & word);
      const bool after = !end && (ctx.After & word);
      return (before != after) != static_cast<const TREBoundaryCode*>(code)->Negative();
    }
    default:
      return false;
  }
}

void TREDfaBuilder::Expand(const TThread& t, const TContext& ctx, std::vector<int>& out) {
  out.clear();
  auto enter = [&](int number, const std::vector<int>& loops) {
    TThread n;
    n.Number = number;
    n.Loops = loops;
    out.push_back(Intern(std::move(n)));
  };
  const TREStateList& states = FProg->States();
  const TRENFAState* h = t.Number >= 0 && t.Number < states.Count() ? states[t.Number] : nullptr;
  for (; h; h = h->Next) {
    switch (h->Kind) {
      case nkChar:
      case nkNormal:
        if (IsConsuming(h->Code)) {
          TThread c;
          c.Kind = thLeaf;
          c.State = h;
          c.Loops = t.Loops;
          out.push_back(Intern(std::move(c)));
        } else if (AssertHolds(h->Code, ctx)) {
          enter(h->TransitTo, t.Loops);
        }
        break;
      case nkStar:
      case nkPlus:
      case nkBound: {
        TThread c;
        c.Kind = thFast;
        c.State = h;
        c.Loops = t.Loops;
        out.push_back(Intern(std::move(c)));
        break;
      }
      case nkLoop: {
        std::vector<int> loops = t.Loops;
        loops[static_cast<std::size_t>(h->LoopIndex)] = 0;
        const TRENFAState* exitState = states[h->ExtendTo];
        const bool lazy = h->LoopKind == lkReluctant || h->LoopKind == lkSimpleReluctant;
        std::vector<int> left = loops;
        left[static_cast<std::size_t>(h->LoopIndex)] = -1;
        const bool canLeave = h->Min == 0 && exitState;
        if (lazy && canLeave) enter(exitState->TransitTo, left);
        if (h->Max != 0) enter(h->TransitTo, loops);
        if (!lazy && canLeave) enter(exitState->TransitTo, left);
        break;
      }
      case nkLoopEnd: {
        std::vector<int> loops = t.Loops;
        int& count = loops[static_cast<std::size_t>(h->LoopIndex)];
        count = std::min(count + 1, FLoopClamp[static_cast<std::size_t>(h->LoopIndex)]);
        enter(h->TransitTo, loops);
        break;
      }
      case nkLoopExit: {
        const int count = t.Loops[static_cast<std::size_t>(h->LoopIndex)];
        if (count < h->Min) {
          enter(h->ExtendTo, t.Loops);
          break;
        }
        const bool lazy = h->LoopKind == lkReluctant || h->LoopKind == lkSimpleReluctant;
        const bool more = h->Max >= CONST_LoopMax || count < h->Max;
        std::vector<int> left = t.Loops;
        left[static_cast<std::size_t>(h->LoopIndex)] = -1;
        if (lazy) enter(h->TransitTo, left);
        if (more) enter(h->ExtendTo, t.Loops);
        if (!lazy) enter(h->TransitTo, left);
        break;
      }
      case nkEnd:
        out.push_back(kAccept);
        break;
      default:  // the epsilon kinds Analyse admits
        enter(h->TransitTo, t.Loops);
        break;
    }
  }
}

// A fast loop's thread: one more repetition (first: greedy), then leaving
// once the minimum is reached (pushed on the work stack).
void TREDfaBuilder::FastMoves(int id, const TThread& t, std::vector<int>& consuming) {
  int mn = 0, mx = 0;
  FastLimits(t.State, mn, mx);
  if (t.Offset > 0 || mx < 0 || t.Count < mx) consuming.push_back(id);
  if (t.Offset == 0 && t.Count >= mn) {
    TThread n;
    n.Number = t.State->TransitTo;
    n.Loops = t.Loops;
    FWork.push_back(Intern(std::move(n)));
  }
}

bool TREDfaBuilder::Closure(int first, const TContext& ctx, std::vector<int>& consuming) {
  bool accept = false;
  FWork.clear();
  FWork.push_back(first);
  while (!FWork.empty()) {
    const int id = FWork.back();
    FWork.pop_back();
    if (id == kAccept) {
      accept = true;
      continue;
    }
    if (Seen(id)) continue;
    // Copied: interning may grow the thread table.
    const TThread t = FThreads[static_cast<std::size_t>(id)];
    if (t.Kind == thLeaf) {
      consuming.push_back(id);
    } else if (t.Kind == thFast) {
      FastMoves(id, t, consuming);
    } else {
      Expand(t, ctx, FSucc);
      FWork.insert(FWork.end(), FSucc.begin(), FSucc.end());
    }
  }
  return accept;
}

bool TREDfaBuilder::ClosureOrdered(int first, const TContext& ctx, std::vector<int>& consuming) {
  FWork.clear();
  FWork.push_back(first);
  while (!FWork.empty()) {
    const int id = FWork.back();
    FWork.pop_back();
    if (id == kAccept) return true;  // what is left on the stack comes later in the order
    if (Seen(id)) continue;
    const TThread t = FThreads[static_cast<std::size_t>(id)];
    if (t.Kind == thLeaf) {
      consuming.push_back(id);
      continue;
    }
    if (t.Kind == thFast) {
      FastMoves(id, t, consuming);
      continue;
    }
    Expand(t, ctx, FSucc);
    FWork.insert(FWork.end(), FSucc.rbegin(), FSucc.rend());
  }
  return false;
}

void TREDfaBuilder::Advance(int id, const std::vector<std::uint64_t>& atoms, std::vector<int>& out) {
  const TThread t = FThreads[static_cast<std::size_t>(id)];
  const TLeafInfo& info = FLeaves.at(t.State->Code);
  const int atom = info.Atoms[static_cast<std::size_t>(t.Offset)];
  if (!((atoms[static_cast<std::size_t>(atom) / 64] >> (atom % 64)) & 1)) return;
  const bool last = t.Offset + 1 == static_cast<int>(info.Atoms.size());
  TThread n = t;
  if (t.Kind == thLeaf) {
    if (last) {
      n = TThread{};
      n.Number = t.State->TransitTo;
      n.Loops = t.Loops;
    } else {
      n.Offset = t.Offset + 1;
    }
  } else if (last) {
    int mn = 0, mx = 0;
    FastLimits(t.State, mn, mx);
    n.Offset = 0;
    n.Count = mx < 0 ? std::min(t.Count + 1, mn) : t.Count + 1;
  } else {
    n.Offset = t.Offset + 1;
  }
  out.push_back(Intern(std::move(n)));
}

void TREDfaBuilder::Step(const TREDfaContent& c, const std::vector<std::uint64_t>& atoms, std::uint8_t after,
                         std::uint8_t tail, TREDfaStep& out) {
  const TContext ctx{c.Before, after, tail};
  ++FStepMark;
  std::vector<std::vector<int>> consuming;
  std::vector<int> sources;
  int accepted = -1;
  std::size_t i = 0;
  int index = 0;
  while (i < c.Items.size()) {
    consuming.emplace_back();
    sources.push_back(index);
    bool acc = false;
    for (; c.Items[i] != -1; ++i) acc |= Closure(c.Items[i], ctx, consuming.back());
    ++i;
    if (acc && accepted < 0) accepted = index;
    ++index;
  }
  if (!c.Matched && accepted < 0) {
    consuming.emplace_back();
    sources.push_back(-1);
    TThread start;
    start.Number = FEntry;
    start.Loops.assign(FLoopClamp.size(), -1);
    if (Closure(Intern(std::move(start)), ctx, consuming.back())) accepted = index;
  }
  bool matched = c.Matched;
  if (accepted >= 0) {
    matched = true;
    consuming.resize(static_cast<std::size_t>(accepted) + 1);
    sources.resize(static_cast<std::size_t>(accepted) + 1);
    if (accepted == 0) {
      out.Done = true;
      out.Start = sources[0];
      return;
    }
  }
  ++FStepMark;
  out.Next.Before = after & static_cast<std::uint8_t>(~kDfaEdge);
  out.Next.Matched = matched;
  out.Next.Items.clear();
  out.Sources.clear();
  std::vector<int> next;
  for (std::size_t k = 0; k < consuming.size(); ++k) {
    next.clear();
    std::vector<int> stepped;
    for (int t : consuming[k]) Advance(t, atoms, stepped);
    for (int t : stepped)
      if (!Seen(t)) next.push_back(t);
    const bool keep = !next.empty() || (matched && k + 1 == consuming.size());
    if (!keep) continue;
    std::sort(next.begin(), next.end());
    out.Next.Items.insert(out.Next.Items.end(), next.begin(), next.end());
    out.Next.Items.push_back(-1);
    out.Sources.push_back(sources[k]);
  }
  out.Done = matched && out.Sources.size() == 1;
  out.Start = out.Done ? out.Sources[0] : -2;
}

TREDfaContent TREDfaBuilder::OrderedStart(std::uint8_t before) {
  TREDfaContent c;
  c.Before = before;
  TThread start;
  start.Number = FEntry;
  start.Loops.assign(FLoopClamp.size(), -1);
  c.Items.push_back(Intern(std::move(start)));
  return c;
}

void TREDfaBuilder::StepOrdered(const TREDfaContent& c, const std::vector<std::uint64_t>& atoms,
                                std::uint8_t after, std::uint8_t tail, TREDfaStep& out) {
  const TContext ctx{c.Before, after, tail};
  ++FStepMark;
  std::vector<int> consuming;
  bool accept = false;
  for (int t : c.Items)
    if ((accept = ClosureOrdered(t, ctx, consuming))) break;
  ++FStepMark;
  std::vector<int> stepped;
  for (int t : consuming) Advance(t, atoms, stepped);
  out.Next.Before = after & static_cast<std::uint8_t>(~kDfaEdge);
  out.Next.Matched = false;
  out.Next.Items.clear();
  for (int t : stepped)
    if (!Seen(t)) out.Next.Items.push_back(t);
  out.Sources.clear();
  out.Start = accept ? 1 : 0;
  out.Done = out.Next.Items.empty();
}

bool TREDfaBuilder::FinishOrdered(const TREDfaContent& c) {
  const TContext ctx{c.Before, kDfaEdge, kDfaTailBreaks};
  ++FStepMark;
  std::vector<int> ignored;
  for (int t : c.Items)
    if (ClosureOrdered(t, ctx, ignored)) return true;
  return false;
}

void TREDfaBuilder::Finish(const TREDfaContent& c, TREDfaStep& out) {
  const TContext ctx{c.Before, kDfaEdge, kDfaTailBreaks};
  ++FStepMark;
  std::vector<int> ignored;
  int index = 0;
  std::size_t i = 0;
  out.Done = true;
  out.Start = -2;
  while (i < c.Items.size()) {
    bool acc = false;
    for (; c.Items[i] != -1; ++i) acc |= Closure(c.Items[i], ctx, ignored);
    ++i;
    if (acc) {
      out.Start = index;
      return;
    }
    ++index;
  }
  if (c.Matched) {
    out.Start = index - 1;
    return;
  }
  TThread start;
  start.Number = FEntry;
  start.Loops.assign(FLoopClamp.size(), -1);
  if (Closure(Intern(std::move(start)), ctx, ignored)) out.Start = -1;
}

}  // namespace vantora
