// TREOptimizer: analysis of a compiled program (lead codes, anchor literal,
// pre-match literals, automatic possessive loops) and the candidate start
// positions of a scan. See RegExpOptimize.h for the rules and invariants.
// Covered by tests/regex/test_optimize.cpp and
// tests/regex/test_optimize_corpus.cpp.
#include "regex/RegExpOptimize.h"

#include <algorithm>
#include <bit>

#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {

// The matcher's scan from origin steps over a surrogate pair as a whole:
// q is skipped when the unit before it is a high surrogate of a pair.
inline bool OffScan(const char16_t* q, const char16_t* origin, const char16_t* end) {
  return REInsidePair(q, origin, end);
}

inline const char16_t* ScanStep(const char16_t* q, const char16_t* end) {
  return REStartsPair(q, end) ? q + 2 : q + 1;
}

bool IsLiteralLeaf(const TRECode* c) { return c->Kind() == ckChar || c->Kind() == ckLiteral; }

bool IsHeadAnchor(const TRECode* c) { return c->Kind() == ckLineHead || c->Kind() == ckTextHead; }

bool IsZeroWidth(const TRECode* c) { return REIsZeroWidthKind(c->Kind()); }

// A zero-width leaf that tests the subject (not a group or the call stack):
// skipping it keeps a superset of the starts.
bool IsSubjectAssertion(const TRECode* c) { return IsZeroWidth(c) && !REIsGroupTestKind(c->Kind()); }

// The text a literal leaf matches (folded) and its compare options.
std::u16string LiteralText(const TRECode* c) {
  if (const TRELiteralCode* lit = REAsLiteral(c)) return lit->Text();
  std::u16string s;
  if (const TRECharCode* ch = REAsChar(c)) REAppendChar(s, ch->Char());
  return s;
}

std::uint32_t FirstChar(const TRECode* c) {
  if (const TRECharCode* ch = REAsChar(c)) return ch->Char();
  const TRELiteralCode* lit = REAsLiteral(c);
  return lit && !lit->Chars().empty() ? lit->Chars().front() : 0xFFFFFFFFu;
}

bool IsVerb(TRENFAKind k) {
  return k == nkPrune || k == nkSkip || k == nkMark || k == nkThen || k == nkCommit || k == nkAccept;
}

// The state after a look-around whose body ends at number 'partner'.
int AfterAssertion(const TREProgram& re, int partner) {
  if (partner < 0 || partner >= re.States().Count()) return -1;
  for (const TRENFAState* m = re.States()[partner]; m; m = m->Next)
    if (m->Kind == nkMatchEnd) return m->TransitTo;
  return -1;
}

// The exit of a general loop: the nkLoopExit at its ExtendTo number.
int AfterLoop(const TREProgram& re, const TRENFAState* loop) {
  if (loop->ExtendTo < 0 || loop->ExtendTo >= re.States().Count()) return -1;
  for (const TRENFAState* m = re.States()[loop->ExtendTo]; m; m = m->Next)
    if (m->Kind == nkLoopExit) return m->TransitTo;
  return -1;
}

// ---------------------------------------------------------------- leads

struct TLeadWalk {
  const TREProgram& Re;
  std::vector<char> Visited;
  std::vector<const TRECode*> Leads;
  bool Unknown = false;  // a start that the lead codes cannot describe

  explicit TLeadWalk(const TREProgram& re)
      : Re(re), Visited(static_cast<std::size_t>(re.States().Count()), 0) {}

  void AddLead(const TRECode* c) {
    if (std::find(Leads.begin(), Leads.end(), c) == Leads.end()) Leads.push_back(c);
  }

  void Collect(int number) {
    if (Unknown) return;
    if (number < 0 || number >= Re.States().Count()) {
      Unknown = true;
      return;
    }
    if (Visited[static_cast<std::size_t>(number)]) return;
    Visited[static_cast<std::size_t>(number)] = 1;
    for (const TRENFAState* s = Re.States()[number]; s && !Unknown; s = s->Next) Visit(s);
  }

  // A leaf consuming at least one code unit is a lead.
  void AddConsuming(const TRECode* c) {
    int mn = 0, mx = 0;
    if (c) c->GetLengthRange(mn, mx);
    if (!c || mn < 1)
      Unknown = true;
    else
      AddLead(c);
  }

  void Visit(const TRENFAState* s) {
    switch (s->Kind) {
      case nkChar:  // a character or a literal: consumes at least one unit
        if (s->Code)
          AddLead(s->Code);
        else
          Unknown = true;
        break;
      case nkNormal:
        if (s->Code && IsHeadAnchor(s->Code))
          AddLead(s->Code);
        else if (s->Code && IsSubjectAssertion(s->Code))
          Collect(s->TransitTo);  // an assertion: skipping it keeps a superset
        else
          AddConsuming(s->Code);
        break;
      case nkStar:
        AddConsuming(s->Code);
        Collect(s->TransitTo);
        break;
      case nkPlus:
        AddConsuming(s->Code);
        break;
      case nkBound:
        AddConsuming(s->Code);
        if (s->Min == 0) Collect(s->TransitTo);
        break;
      case nkLoop:
        Collect(s->TransitTo);
        if (s->Min == 0) Collect(s->ExtendTo);
        break;
      case nkLoopExit:
        Collect(s->TransitTo);
        Collect(s->ExtendTo);
        break;
      case nkEmpty: case nkIfThen: case nkGroupBegin: case nkGroupEnd: case nkKeepPattern:
      case nkDefine: case nkMatchEnd: case nkSuspend: case nkLoopEnd:
        Collect(s->TransitTo);
        break;
      case nkAheadMatch: case nkAheadNoMatch: case nkBehindMatch: case nkBehindNoMatch:
        Collect(AfterAssertion(Re, s->ExtendTo));
        break;
      case nkIfMatch:
        Collect(s->TransitTo);
        Collect(s->ElseTo);
        break;
      case nkFail:
        break;  // no match goes on from here
      default:  // nkEnd (the match may be empty), calls, callouts, verbs
        Unknown = true;
        break;
    }
  }
};

}  // namespace

// ------------------------------------------------------------- path walk

// The literals on the path every match from a state takes (up to the first
// branching), with the distance range of each literal's start from the
// match start in code units (Max -1 = unbounded).
struct TREOptimizer::TPathInfo {
  struct TLiteral {
    const TRECode* Code;
    int Min, Max;
  };
  std::vector<TLiteral> Literals;
  const TRECode* Tail = nullptr;  // literal that ends every match
  int BranchNumber = -1;          // where a chain of alternatives stopped the walk

  static TPathInfo Walk(const TREProgram& re, const TRENFAState* s) {
    TPathInfo info;
    int mn = 0, mx = 0;
    const TRECode* last = nullptr;  // literal with nothing consumed after it
    auto add = [&](int a, int b) {
      mn += a;
      if (mx >= 0) mx = b < 0 ? -1 : mx + b;
    };
    const int count = re.States().Count();
    for (int guard = 0; s && guard < count * 2 + 8; ++guard) {
      int next = -1;
      switch (s->Kind) {
        case nkChar:
        case nkNormal: {
          int a = 0, b = 0;
          if (s->Code) s->Code->GetLengthRange(a, b);
          if (s->Code && IsLiteralLeaf(s->Code)) {
            info.Literals.push_back({s->Code, mn, mx});
            last = s->Code;
          } else if (!(s->Code && IsZeroWidth(s->Code))) {
            last = nullptr;
          }
          add(a, b);
          next = s->TransitTo;
          break;
        }
        case nkStar: case nkPlus: case nkBound: {
          int a = 0, b = 0;
          if (s->Code) s->Code->GetLengthRange(a, b);
          add(s->Min * a, (s->Max >= CONST_LoopMax || b < 0) ? -1 : s->Max * b);
          last = nullptr;
          next = s->TransitTo;
          break;
        }
        case nkEmpty: case nkGroupBegin: case nkGroupEnd: case nkKeepPattern: case nkIfThen:
        case nkDefine: case nkMatchEnd: case nkSuspend:
          next = s->TransitTo;
          break;
        case nkAheadMatch: case nkAheadNoMatch: case nkBehindMatch: case nkBehindNoMatch:
          next = AfterAssertion(re, s->ExtendTo);
          break;
        case nkLoop:
          add(0, -1);
          last = nullptr;
          next = AfterLoop(re, s);
          break;
        case nkGoSub:
          add(0, -1);
          last = nullptr;
          next = s->TransitTo;
          break;
        case nkEnd:
          info.Tail = last;
          return info;
        default:
          return info;
      }
      if (next < 0 || next >= count) return info;
      const TRENFAState* chain = re.States()[next];
      if (chain && chain->Next) {
        info.BranchNumber = next;
        return info;
      }
      s = chain;
    }
    return info;
  }
};

// ------------------------------------------------------------ TRELeadMap

void TRELeadMap::Clear() {
  FBits.clear();
  FHigh.clear();
  FAscii.fill(false);
  FCount = 0;
}

void TRELeadMap::Add(std::uint32_t c) {
  if (IsExists(c)) return;
  if (c < 0x10000) {
    if (FBits.empty()) FBits.assign(1024, 0);
    FBits[c >> 6] |= std::uint64_t{1} << (c & 63u);
  } else {
    FHigh.push_back(c);
  }
  ++FCount;
}

bool TRELeadMap::IsExists(std::uint32_t c) const {
  if (c < 0x10000) return !FBits.empty() && ((FBits[c >> 6] >> (c & 63u)) & 1u);
  return std::find(FHigh.begin(), FHigh.end(), c) != FHigh.end();
}

void TRELeadMap::Seal(TRECompareOptions co) {
  for (std::uint32_t u = 0; u < 128; ++u) FAscii[u] = IsExists(REFoldChar(u, co));
}

// ----------------------------------------------------------- TREOptimizer

void TREOptimizer::Reset() {
  FLeadMode = lcmNone;
  FPreMatchMode = pmNone;
  FLeadCodes.clear();
  FLeadsZeroWidth = false;
  FLeadSearch.Clear();
  FLeadMap.Clear();
  FRunLiteral.Clear();
  FMapOptions = TRECompareOptions();
  FByFirstChar = false;
  FFoldsWidth = false;
  FAnchorMin = FAnchorMax = 0;
  FPreMatch.clear();
  FPossessiveLoops = 0;
  FRunLeaf = nullptr;
  FStartAsserts.clear();
}

std::vector<std::u16string> TREOptimizer::PreMatchTexts() const {
  std::vector<std::u16string> texts;
  for (const TPreMatch& pm : FPreMatch) texts.push_back(pm.Search.FindText());
  return texts;
}

void TREOptimizer::Optimize(TREProgram& re) {
  Reset();
  if (re.States().Count() == 0) return;
  if (re.OptimizeKind() != opRuntimeOnly && re.OptimizeKind() != opBoth) return;
  // Which start positions get attempted is observable with verbs and
  // callouts (marks, skips, commits, callout calls): leave those alone.
  if (re.Options().Contains(roAutoCallout)) return;
  for (int i = 0; i < re.States().Count(); ++i)
    for (const TRENFAState* s = re.States()[i]; s; s = s->Next)
      if (IsVerb(s->Kind) || s->Kind == nkCallout) return;
  OptimizeLoop(re);
  SetupRunSkip(re);
  SetupStartAsserts(re);
  SetupLeadStrings(re);
  if (FLeadMode == lcmNone || FLeadMode == lcmHasLead) SetupRunLiteral(re);
  if (FLeadMode == lcmNone || FLeadMode == lcmHasLead) SetupAnchor(re);
  // A first-literal scan with a one-unit lead also gets the filter: a
  // literal that is missing further on (the 'y' of (x+x+)+y) then ends the
  // search at once instead of an attempt at every hit of a common lead. A
  // longer lead is rare enough that a second scan would only cost time.
  if (FLeadMode == lcmNone || FLeadMode == lcmHasLead || FLeadMode == lcmMap || FLeadMode == lcmAnchor ||
      FLeadMode == lcmRunLiteral || (FLeadMode == lcmFirstLiteral && FLeadSearch.Length() == 1))
    SetupPreMatchStrings(re);
}

void TREOptimizer::OptimizeLoop(TREProgram& re) {
  // A called group's body is followed by different things at each call.
  if (re.HasGoSub()) return;
  const int count = re.States().Count();
  std::vector<const TRENFAState*> followers;
  std::vector<int> work;
  std::vector<char> seen;
  for (int i = 0; i < count; ++i)
    for (TRENFAState* s = re.States()[i]; s; s = s->Next) {
      if ((s->Kind != nkStar && s->Kind != nkPlus && s->Kind != nkBound) || s->LoopKind != lkGreedy || !s->Code)
        continue;
      // What follows the exit, past group begins and ends.
      followers.clear();
      work.assign(1, s->TransitTo);
      seen.assign(static_cast<std::size_t>(count), 0);
      bool ok = true;
      while (ok && !work.empty()) {
        int n = work.back();
        work.pop_back();
        if (n < 0 || n >= count) {
          ok = false;
          break;
        }
        if (seen[static_cast<std::size_t>(n)]) continue;
        seen[static_cast<std::size_t>(n)] = 1;
        for (const TRENFAState* f = re.States()[n]; f; f = f->Next) {
          if (f->Kind == nkGroupBegin || f->Kind == nkGroupEnd)
            work.push_back(f->TransitTo);
          else
            followers.push_back(f);
        }
      }
      if (!ok || followers.empty()) continue;
      for (const TRENFAState* f : followers) {
        if (f->Kind == nkEnd) continue;
        int mn = 0, mx = 0;
        if ((f->Kind == nkChar || f->Kind == nkNormal) && f->Code) f->Code->GetLengthRange(mn, mx);
        // Only a follower that consumes a character can be proved disjoint; a
        // zero-width one (\b, $, a look-around...) overlaps everything.
        if (mn < 1 || f->Code->IsOverlap(s->Code) || s->Code->IsOverlap(f->Code)) {
          ok = false;
          break;
        }
      }
      if (ok) {
        s->LoopKind = lkPossessive;
        ++FPossessiveLoops;
      }
    }
}

void TREOptimizer::SetupRunSkip(TREProgram& re) {
  if (re.HasBackReference()) return;
  const TRENFAState* s = re.States()[re.EntryState()];
  for (int guard = 0; s && !s->Next && s->Kind == nkGroupBegin && guard < 1000; ++guard)
    s = s->TransitTo >= 0 && s->TransitTo < re.States().Count() ? re.States()[s->TransitTo] : nullptr;
  if (!s || s->Next || (s->Kind != nkPlus && s->Kind != nkStar) || s->LoopKind != lkPossessive ||
      s->Max < CONST_LoopMax || !REAsCharLevel(s->Code) ||
      s->Code->CompareOptions().Contains(coIgnoreWidth))
    return;
  FRunLeaf = s->Code;
}

void TREOptimizer::SetupStartAsserts(TREProgram& re) {
  const TRENFAState* s = re.States()[re.EntryState()];
  for (int guard = 0; s && !s->Next && guard < 1000; ++guard) {
    if (s->Kind == nkNormal && s->Code && IsSubjectAssertion(s->Code) && !IsHeadAnchor(s->Code))
      FStartAsserts.push_back(s->Code);
    else if (s->Kind != nkGroupBegin && s->Kind != nkEmpty)
      break;
    s = s->TransitTo >= 0 && s->TransitTo < re.States().Count() ? re.States()[s->TransitTo] : nullptr;
  }
}

void TREOptimizer::SetupLeadStrings(TREProgram& re) {
  TLeadWalk walk(re);
  walk.Collect(re.EntryState());
  if (walk.Unknown || walk.Leads.empty()) return;
  FLeadCodes = walk.Leads;

  if (FLeadCodes.size() == 1 && IsLiteralLeaf(FLeadCodes[0])) {
    FLeadSearch.SetFindText(LiteralText(FLeadCodes[0]), true);
    FLeadSearch.SetOptions(FLeadCodes[0]->CompareOptions());
    FLeadSearch.Compile();
    FLeadMode = lcmFirstLiteral;
    const TRENFAState* first = re.States()[re.EntryState()];
    if (first && !first->Next && first->Code == FLeadCodes[0] && first->TransitTo >= 0) {
      const TRENFAState* after = re.States()[first->TransitTo];
      if (after && !after->Next && after->Kind == nkEnd) FLeadMode = lcmSimple;
    }
    return;
  }

  bool allHeads = true, anyMultiLine = false, allLiterals = true;
  for (const TRECode* c : FLeadCodes) {
    if (!IsHeadAnchor(c)) allHeads = false;
    if (c->Kind() == ckLineHead && static_cast<const TRELineHeadCode*>(c)->MultiLine()) anyMultiLine = true;
    if (!IsLiteralLeaf(c)) allLiterals = false;
    if (IsZeroWidth(c)) FLeadsZeroWidth = true;
  }
  if (allHeads) {
    FLeadMode = anyMultiLine ? lcmLineTop : lcmTextTop;
    return;
  }
  if (allLiterals) {
    bool sameOptions = true;
    for (const TRECode* c : FLeadCodes)
      if (!(c->CompareOptions() == FLeadCodes[0]->CompareOptions())) sameOptions = false;
    if (sameOptions) {
      FMapOptions = FLeadCodes[0]->CompareOptions();
      for (const TRECode* c : FLeadCodes) FLeadMap.Add(FirstChar(c));
      FLeadMap.Seal(FMapOptions);
      FLeadMode = lcmMap;
      return;
    }
  }
  // Per-position test of every lead. When every lead decides on the first
  // character alone (one-character leaves, literals by their first
  // character, '.'), the answer for a unit that is a whole character is a
  // function of the unit: tabled below 256 (such a unit is a whole
  // character whatever the folding), memoised above.
  FLeadMode = lcmHasLead;
  bool byFirstChar = !FLeadsZeroWidth;
  for (const TRECode* c : FLeadCodes) {
    if (!REAsCharLevel(c) && c->Kind() != ckLiteral && c->Kind() != ckAnyChar)
      byFirstChar = false;
    if (c->CompareOptions().Contains(coIgnoreWidth)) FFoldsWidth = true;
  }
  if (byFirstChar) {
    FByFirstChar = true;
  }
}

bool TREOptimizer::UnitStartsLead(char16_t u) const {
  for (const TRECode* c : FLeadCodes) {
    if (const TRECharLevelCode* cl = REAsCharLevel(c)) {
      if (cl->AcceptsRaw(u)) return true;
    } else if (const TRELiteralCode* lit = REAsLiteral(c)) {
      TRECompareOptions co = lit->CompareOptions();
      if (!lit->Chars().empty() && (co.Empty() ? u : REFoldChar(u, co)) == lit->Chars().front()) return true;
    } else if (c->Kind() == ckAnyChar) {
      if (static_cast<const TREAnyCharCode*>(c)->SingleLine() || !REIsLineBreak(u)) return true;
    }
  }
  return false;
}

void TREOptimizer::SetupAnchor(TREProgram& re) {
  const TRENFAState* first = re.States()[re.EntryState()];
  if (!first || first->Next) return;
  TPathInfo path = TPathInfo::Walk(re, first);
  const TPathInfo::TLiteral* best = nullptr;
  int bestLen = 0;
  for (const auto& lit : path.Literals) {
    int len = 0, lenMax = 0;
    lit.Code->GetLengthRange(len, lenMax);
    if (lit.Max < 0 || len < 2) continue;
    if (len > bestLen) best = &lit, bestLen = len;
  }
  if (!best) return;
  FLeadSearch.SetFindText(LiteralText(best->Code), true);
  FLeadSearch.SetOptions(best->Code->CompareOptions());
  FLeadSearch.Compile();
  FAnchorMin = best->Min;
  FAnchorMax = best->Max;
  FLeadMode = lcmAnchor;
}

void TREOptimizer::SetupRunLiteral(TREProgram& re) {
  if (re.HasGoSub()) return;
  const int count = re.States().Count();
  // The state of a number when it is the only one there (no alternatives).
  auto single = [&re, count](int n) -> const TRENFAState* {
    if (n < 0 || n >= count) return nullptr;
    const TRENFAState* s = re.States()[n];
    return s && !s->Next ? s : nullptr;
  };
  const TRENFAState* s = single(re.EntryState());
  for (int guard = 0; s && guard < count; ++guard) {
    const bool assertion = s->Kind == nkNormal && s->Code && IsSubjectAssertion(s->Code) && !IsHeadAnchor(s->Code);
    if (s->Kind != nkGroupBegin && s->Kind != nkEmpty && !assertion) break;
    s = single(s->TransitTo);
  }
  if (!s || (s->Kind != nkStar && s->Kind != nkPlus && s->Kind != nkBound) || s->Max < CONST_LoopMax) return;
  const TRECharLevelCode* leaf = REAsCharLevel(s->Code);
  if (!leaf || leaf->CompareOptions().Contains(coIgnoreWidth)) return;
  const TRENFAState* f = single(s->TransitTo);
  for (int guard = 0; f && (f->Kind == nkGroupBegin || f->Kind == nkGroupEnd) && guard < count; ++guard)
    f = single(f->TransitTo);
  if (!f || (f->Kind != nkChar && f->Kind != nkNormal) || !f->Code || !IsLiteralLeaf(f->Code)) return;
  FRunLiteral.Setup(leaf, s->Min, f->Code, LiteralText(f->Code));
  FLeadMode = lcmRunLiteral;
}

void TREOptimizer::SetupPreMatchStrings(TREProgram& re) {
  // In first-literal and run-literal modes the scan itself looks for that
  // literal.
  const TRECode* skip = FLeadMode == lcmFirstLiteral ? FLeadCodes[0]
                        : FLeadMode == lcmRunLiteral ? FRunLiteral.Literal()
                                                     : nullptr;
  // The literal a path contributes: its tail, else its longest literal.
  auto choose = [skip](const TPathInfo& p, bool& isTail) -> const TRECode* {
    isTail = p.Tail && p.Tail != skip;
    if (isTail) return p.Tail;
    const TRECode* best = nullptr;
    std::size_t bestLen = 0;
    for (const auto& lit : p.Literals) {
      std::size_t len = LiteralText(lit.Code).size();
      if (lit.Code != skip && len > bestLen) best = lit.Code, bestLen = len;
    }
    return best;
  };
  auto addLiteral = [this](const TRECode* c) {
    TPreMatch pm;
    pm.Search.SetFindText(LiteralText(c), true);
    pm.Search.SetOptions(c->CompareOptions());
    pm.Search.Compile();
    for (const TPreMatch& other : FPreMatch)
      if (other.Search.FindText() == pm.Search.FindText() && other.Search.Options() == pm.Search.Options()) return;
    FPreMatch.push_back(std::move(pm));
  };
  const TRENFAState* first = re.States()[re.EntryState()];
  if (!first) return;
  int branch = re.EntryState();
  bool isTail = false;
  if (!first->Next) {
    TPathInfo path = TPathInfo::Walk(re, first);
    if (const TRECode* c = choose(path, isTail)) {
      addLiteral(c);
      FPreMatchMode = isTail ? pmTail : pmExitst;
      return;
    }
    branch = path.BranchNumber;
  }
  if (branch < 0) return;
  // Every alternative of the first branching must bring one literal.
  for (const TRENFAState* alt = re.States()[branch]; alt; alt = alt->Next) {
    const TRECode* c = choose(TPathInfo::Walk(re, alt), isTail);
    if (!c) {
      FPreMatch.clear();
      return;
    }
    addLiteral(c);
  }
  FPreMatchMode = pmBranch;
}

// ------------------------------------------------------------------ search

bool TREOptimizer::Occurs(const TREQuickSearch& search, TREScanState::THits& hits, const char16_t* start,
                          const char16_t* end) {
  if (hits.FoundAt && hits.FoundFrom <= start && hits.FoundAt >= start) return true;
  if (hits.AbsentFrom && hits.AbsentFrom <= start) return false;
  const char16_t* hit = search.Find(start, end);
  if (hit) {
    hits.FoundAt = hit;
    hits.FoundFrom = start;
    return true;
  }
  hits.AbsentFrom = start;
  return false;
}

bool TREOptimizer::Begin(const TREContext& cx, TREScanState& sc, bool subjectChanged, const char16_t* start) const {
  sc.ScanStart = start;
  sc.LastCandidate = nullptr;
  sc.AnchorHit = sc.AnchorHitFrom = nullptr;
  sc.Run = {};
  if (FPreMatchMode == pmNone) return true;
  // The hits found for an earlier scan of the same subject stay valid.
  if (subjectChanged || sc.CacheText != cx.TextTop || sc.CacheEnd != cx.RangeEnd ||
      sc.PreMatch.size() != FPreMatch.size()) {
    sc.PreMatch.assign(FPreMatch.size(), TREScanState::THits{});
    sc.CacheText = cx.TextTop;
    sc.CacheEnd = cx.RangeEnd;
  }
  for (std::size_t i = 0; i < FPreMatch.size(); ++i)
    if (Occurs(FPreMatch[i].Search, sc.PreMatch[i], start, cx.RangeEnd)) return true;
  return false;
}

const char16_t* TREOptimizer::NextLead(const TREContext& cx, TREScanState& sc, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  const char16_t* q = p;
  if (FLeadMode == lcmMap) {
    // Map leads all consume: no match can start at the range end.
    while (q < end) {
      const char16_t u = *q;
      if (u < 0x80) {
        if (FLeadMap.AsciiExists(u)) return q;
        ++q;
        continue;
      }
      const char16_t* r = q;
      std::uint32_t c = FMapOptions.Empty() ? REReadChar(r, end) : REReadFoldedChar(r, end, FMapOptions);
      if (FLeadMap.IsExists(c)) return q;
      q = ScanStep(q, end);
    }
    return nullptr;
  }
  if (FByFirstChar) return NextLeadByBits(cx, sc, q, end);
  for (;; q = ScanStep(q, end)) {
    if (q == end && !FLeadsZeroWidth) return nullptr;
    for (const TRECode* c : FLeadCodes)
      if (c->Compare(cx, q)) return q;
    if (q >= end) return nullptr;
  }
}

bool TREOptimizer::TestedInPlace(char16_t u) const {
  return REIsSurrogate(u) || (FFoldsWidth && u >= 0xFF61 && u <= 0xFF9F);
}

void TREOptimizer::FillLeadBlock(TREScanState& sc, unsigned block) const {
  if (sc.LeadBits.empty()) sc.LeadBits.assign(1024, 0);
  for (unsigned i = 0; i < 256; ++i) {
    const auto u = static_cast<char16_t>(block << 8 | i);
    if (TestedInPlace(u) || UnitStartsLead(u)) sc.LeadBits[u >> 6] |= std::uint64_t{1} << (u & 63u);
  }
  sc.BlockReady[block] = 1;
}

const char16_t* TREOptimizer::NextLeadByBits(const TREContext& cx, TREScanState& sc, const char16_t* q,
                                             const char16_t* end) const {
  constexpr int kChunk = 16;
  while (q < end) {
    const int n = end - q >= kChunk ? kChunk : static_cast<int>(end - q);
    unsigned missing = 0;
    for (int i = 0; i < n; ++i) missing |= sc.BlockReady[q[i] >> 8] ^ 1u;
    if (missing)
      for (int i = 0; i < n; ++i)
        if (!sc.BlockReady[q[i] >> 8]) FillLeadBlock(sc, q[i] >> 8u);
    std::uint32_t hits = 0;
    for (int i = 0; i < n; ++i) {
      const char16_t u = q[i];
      hits |= static_cast<std::uint32_t>((sc.LeadBits[u >> 6] >> (u & 63u)) & 1u) << i;
    }
    if (!hits) {
      q += n;
      continue;
    }
    q += std::countr_zero(hits);
    if (!TestedInPlace(*q)) return q;
    for (const TRECode* c : FLeadCodes)
      if (c->Compare(cx, q)) return q;
    q = ScanStep(q, end);
  }
  return nullptr;
}

const char16_t* TREOptimizer::NextStart(const TREContext& cx, TREScanState& sc, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  if (!p || p > end) return nullptr;
  // Called again: the attempt at the last candidate failed.
  if (FRunLeaf && sc.LastCandidate && sc.LastCandidate < p) {
    const char16_t* q = sc.LastCandidate;
    FRunLeaf->Repeat(cx, q, -1);
    if (q > p) p = q;
  }
  const char16_t* q;
  for (;;) {
    q = NextCandidate(cx, sc, p);
    if (!q) break;
    bool hold = true;
    for (const TRECode* a : FStartAsserts)
      if (!a->Compare(cx, q)) {
        hold = false;
        break;
      }
    if (hold) break;
    if (q >= end) {
      q = nullptr;
      break;
    }
    p = ScanStep(q, end);
  }
  sc.LastCandidate = q;
  return q;
}

const char16_t* TREOptimizer::NextCandidate(const TREContext& cx, TREScanState& sc, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  switch (FLeadMode) {
    case lcmNone:
      return p;
    case lcmTextTop:
      return p == sc.ScanStart ? p : nullptr;
    case lcmLineTop:
      if (p == sc.ScanStart) return p;
      for (const char16_t* q = p; q <= end; ++q)
        if (q > cx.TextTop && REIsLineBreak(q[-1])) return q;
      return nullptr;
    case lcmFirstLiteral:
    case lcmSimple:
      for (const char16_t* from = p;;) {
        const char16_t* hit = FLeadSearch.Find(from, end);
        if (!hit || !OffScan(hit, p, end)) return hit;
        from = hit + 1;
      }
    case lcmAnchor: {
      if (end - p < FAnchorMin) return nullptr;
      const char16_t* from = p + FAnchorMin;
      const char16_t* hit;
      if (sc.AnchorHit && sc.AnchorHitFrom <= from && sc.AnchorHit >= from) {
        hit = sc.AnchorHit;
      } else {
        hit = FLeadSearch.Find(from, end);
        sc.AnchorHitFrom = from;
        sc.AnchorHit = hit;
      }
      while (hit) {
        const char16_t* q = hit - p > FAnchorMax ? hit - FAnchorMax : p;
        if (OffScan(q, p, end)) ++q;
        if (q <= hit - FAnchorMin) return q;
        const char16_t* next = FLeadSearch.Find(hit + 1, end);
        sc.AnchorHitFrom = hit + 1;
        sc.AnchorHit = next;
        hit = next;
      }
      return nullptr;
    }
    case lcmRunLiteral:
      return FRunLiteral.Next(p, end, sc.Run);
    case lcmHasLead:
    case lcmMap:
      return NextLead(cx, sc, p);
  }
  return p;
}

}  // namespace vantora
