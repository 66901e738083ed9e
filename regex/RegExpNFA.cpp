// TRENFA: emits the numbered NFA states of a parser tree (layout in
// RegExpNFA.h) and measures the program's minimum and maximum length.
//
// Generate(node, entry, way) emits the states that lead from state number
// 'entry' to state number 'way'. Concatenations and alternations are
// left-deep chains in the tree; they are flattened and walked iteratively,
// so native recursion only follows real nesting (groups, loops,
// assertions), which the parser bounds. Measure does the same for lengths.
// Covered by tests/regex/test_compile.cpp.
#include "regex/RegExpNFA.h"

#include <algorithm>

#include "regex/RegExpCodeAssert.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"

namespace vantora {

// ------------------------------------------------------------ TREStateList

int TREStateList::NewState() {
  if (FHeads.empty()) {
    FHeads.reserve(64);
    FTails.reserve(64);
  }
  FHeads.push_back(nullptr);
  FTails.push_back(nullptr);
  return Count() - 1;
}

TRENFAState& TREStateList::Add(int number, TRENFAKind kind) {
  TRENFAState* s = &FStore.emplace_back();
  s->Kind = kind;
  auto n = static_cast<std::size_t>(number);
  if (FTails[n])
    FTails[n]->Next = s;
  else
    FHeads[n] = s;
  FTails[n] = s;
  return *s;
}

void TREStateList::Clear() {
  FHeads.clear();
  FTails.clear();
  FStore.clear();
}

// ------------------------------------------------------------------ helpers

namespace {

bool IsOp(const TREBinCode* n, TREOperator op) { return n && !n->Leaf && n->Op == op; }

// The operands of a left-deep chain of 'op', in order.
std::vector<TREBinCode*> Flatten(TREBinCode* node, TREOperator op) {
  std::vector<TREBinCode*> out;
  std::vector<TREBinCode*> stack;
  out.reserve(8);
  stack.reserve(8);
  stack.push_back(node);
  while (!stack.empty()) {
    TREBinCode* n = stack.back();
    stack.pop_back();
    if (IsOp(n, op)) {
      stack.push_back(n->Right);
      stack.push_back(n->Left);
    } else {
      out.push_back(n);
    }
  }
  return out;
}

int AddMax(int a, int b) { return (a < 0 || b < 0) ? -1 : std::min(a + b, 0x3FFFFFFF); }
int MulMax(int a, int count) {
  if (a < 0 || count >= CONST_LoopMax) return a == 0 ? 0 : -1;
  long long v = static_cast<long long>(a) * count;
  return static_cast<int>(std::min<long long>(v, 0x3FFFFFFF));
}
int MaxOf(int a, int b) { return (a < 0 || b < 0) ? -1 : std::max(a, b); }
int MulMin(int a, int count) {
  long long v = static_cast<long long>(a) * count;
  return static_cast<int>(std::min<long long>(v, 0x3FFFFFFF));
}

}  // namespace

// ------------------------------------------------------------------ Compile

void TRENFA::Compile(TREBinCode* root) {
  TREStateList& list = FProgram.States();
  list.Clear();
  int entry = list.NewState();
  int exit = list.NewState();
  FProgram.SetEnds(entry, exit);
  CollectGroups(root);
  list.Add(exit, nkEnd);
  Generate(root, entry, exit);
  FHasAccept = false;
  TLen len = Measure(root);
  // (*ACCEPT) can end a match before anything that follows it.
  FProgram.SetMatchLength(FHasAccept ? 0 : len.MinUnits, len.MaxUnits);
  TREGroupTable& groups = FProgram.Groups();
  for (int i = 1; i < groups.Count(); ++i) {
    TLen g = GroupLength(i);
    groups.Item(i).MinLength = FHasAccept ? 0 : g.MinUnits;
    groups.Item(i).MaxLength = g.MaxUnits;
  }
  groups.CheckSameGroupName();
}

void TRENFA::CollectGroups(TREBinCode* root) {
  int count = FProgram.Groups().Count();
  FGroupNodes.assign(static_cast<std::size_t>(count), nullptr);
  FGroupLenState.assign(static_cast<std::size_t>(count), 0);
  FGroupLen.assign(static_cast<std::size_t>(count), TLen{});
  std::vector<TREBinCode*> stack;
  stack.reserve(32);
  stack.push_back(root);
  while (!stack.empty()) {
    TREBinCode* n = stack.back();
    stack.pop_back();
    if (!n || n->Leaf) continue;
    if (n->Op == opGroup && n->GroupIndex > 0 && n->GroupIndex < count &&
        !FGroupNodes[static_cast<std::size_t>(n->GroupIndex)])
      FGroupNodes[static_cast<std::size_t>(n->GroupIndex)] = n;
    stack.push_back(n->Right);
    stack.push_back(n->Left);
  }
}

// ----------------------------------------------------------------- Generate

void TRENFA::Generate(TREBinCode* node, int entry, int way) {
  TREStateList& list = FProgram.States();
  if (!node) {
    list.Add(entry, nkEmpty).TransitTo = way;
    return;
  }
  if (node->Leaf) {
    TRECode* code = node->Leaf;
    TRENFAKind kind = nkNormal;
    if (code->Kind() == ckChar || code->Kind() == ckLiteral) kind = nkChar;
    else if (code->Kind() == ckCallout) kind = nkCallout;
    TRENFAState& s = list.Add(entry, kind);
    s.Code = code;
    s.TransitTo = way;
    return;
  }
  switch (node->Op) {
    case opEmply:
      list.Add(entry, nkEmpty).TransitTo = way;
      return;
    case opConcat:
      GenerateSequence(node, entry, way);
      return;
    case opUnion:
      GenerateAlternatives(node, entry, way);
      return;
    case opGroup: {
      int begin = entry;
      if (FProgram.HasGoSub()) {
        // A call jumps to the group's own begin state, never to other
        // alternatives that share the entry.
        begin = list.NewState();
        list.Add(entry, nkEmpty).TransitTo = begin;
      }
      int body = list.NewState();
      int end = list.NewState();
      TRENFAState& b = list.Add(begin, nkGroupBegin);
      b.GroupIndex = node->GroupIndex;
      b.TransitTo = body;
      Generate(node->Left, body, end);
      TRENFAState& e = list.Add(end, nkGroupEnd);
      e.GroupIndex = node->GroupIndex;
      e.TransitTo = way;
      TREGroupInfo& g = FProgram.Groups().Item(node->GroupIndex);
      if (g.IndexBegin < 0) {
        g.IndexBegin = begin;
        g.IndexEnd = end;
      }
      return;
    }
    case opQuest: {
      // Greedy: the body first; reluctant: the empty way first.
      bool lazy = node->LoopKind == lkReluctant || node->LoopKind == lkSimpleReluctant;
      if (lazy) list.Add(entry, nkEmpty).TransitTo = way;
      Generate(node->Left, entry, way);
      if (!lazy) list.Add(entry, nkEmpty).TransitTo = way;
      return;
    }
    case opStar:
    case opPlus:
    case opBound: {
      TRENFAKind kind = node->Op == opStar ? nkStar : node->Op == opPlus ? nkPlus : nkBound;
      TRENFAState& s = list.Add(entry, kind);
      s.Code = node->Left->Leaf;
      s.Min = node->Min;
      s.Max = node->Max;
      s.LoopKind = node->LoopKind;
      s.TransitTo = way;
      return;
    }
    case opLoop:
      GenerateLoop(node, entry, way);
      return;
    case opNoBackTrack:
      GenerateSubMatch(node, nkSuspend, entry, way);
      return;
    case opAheadMatch:
      GenerateSubMatch(node, nkAheadMatch, entry, way);
      return;
    case opAheadNoMatch:
      GenerateSubMatch(node, nkAheadNoMatch, entry, way);
      return;
    case opBehindMatch:
      GenerateSubMatch(node, nkBehindMatch, entry, way);
      return;
    case opBehindNoMatch:
      GenerateSubMatch(node, nkBehindNoMatch, entry, way);
      return;
    case opKeepPattern:
      list.Add(entry, nkKeepPattern).TransitTo = way;
      return;
    case opGoSub: {
      TRENFAState& s = list.Add(entry, nkGoSub);
      s.GroupIndex = node->GroupIndex;
      s.TransitTo = way;
      return;
    }
    case opIfMatch:
      GenerateCondition(node, entry, way);
      return;
    case opDefine: {
      int body = list.NewState();
      int end = list.NewState();
      TRENFAState& s = list.Add(entry, nkDefine);
      s.TransitTo = way;
      s.ExtendTo = body;
      Generate(node->Left ? node->Left->Left : nullptr, body, end);
      list.Add(end, nkFail);
      return;
    }
    case opIfThen:
      Generate(node->Left, entry, way);
      return;
    case opFail:
    case opPrune:
    case opSkip:
    case opMark:
    case opThen:
    case opCommint:
    case opAccept:
    case opLHead:
    case opLTail: {
      TRENFAKind kind = nkFail;
      switch (node->Op) {
        case opPrune: kind = nkPrune; break;
        case opSkip: kind = nkSkip; break;
        case opMark: kind = nkMark; break;
        case opThen: kind = nkThen; break;
        case opCommint: kind = nkCommit; break;
        case opAccept: kind = nkAccept; break;
        default: break;
      }
      TRENFAState& s = list.Add(entry, kind);
      s.NameIndex = node->NameIndex;
      s.TransitTo = way;
      if (kind == nkThen) s.ExtendTo = FUnionStack.empty() ? -1 : FUnionStack.back();
      return;
    }
  }
}

void TRENFA::GenerateSequence(TREBinCode* node, int entry, int way) {
  std::vector<TREBinCode*> items = Flatten(node, opConcat);
  int cur = entry;
  for (std::size_t i = 0; i < items.size(); ++i) {
    int next = i + 1 == items.size() ? way : FProgram.States().NewState();
    Generate(items[i], cur, next);
    cur = next;
  }
}

void TRENFA::GenerateAlternatives(TREBinCode* node, int entry, int way) {
  std::vector<TREBinCode*> alts = Flatten(node, opUnion);
  FUnionStack.push_back(entry);
  for (TREBinCode* alt : alts) Generate(alt, entry, way);
  FUnionStack.pop_back();
}

void TRENFA::GenerateLoop(TREBinCode* node, int entry, int way) {
  TREStateList& list = FProgram.States();
  int loopIndex = FProgram.NewLoopIndex();
  int body = list.NewState();
  int tail = list.NewState();
  int exitNo = list.NewState();
  TRENFAState& s = list.Add(entry, nkLoop);
  s.TransitTo = body;
  s.ExtendTo = exitNo;
  s.Min = node->Min;
  s.Max = node->Max;
  s.LoopKind = node->LoopKind;
  s.LoopIndex = loopIndex;
  Generate(node->Left, body, tail);
  TRENFAState& e = list.Add(tail, nkLoopEnd);
  e.LoopIndex = loopIndex;
  e.TransitTo = exitNo;
  TRENFAState& x = list.Add(exitNo, nkLoopExit);
  x.LoopIndex = loopIndex;
  x.Min = node->Min;
  x.Max = node->Max;
  x.LoopKind = node->LoopKind;
  x.ExtendTo = body;
  x.TransitTo = way;
}

void TRENFA::GenerateSubMatch(TREBinCode* node, TRENFAKind kind, int entry, int way) {
  TREStateList& list = FProgram.States();
  int body = list.NewState();
  int partner = list.NewState();
  TRENFAState& s = list.Add(entry, kind);
  s.TransitTo = body;
  s.ExtendTo = partner;
  if (kind == nkBehindMatch || kind == nkBehindNoMatch) {
    TLen len = Measure(node->Left);
    if (len.MaxChars < 0)
      throw ERegExpCompile(REErrorMessage(REFormat(sBehindMatchNotVariableLength, u""), FProgram.Expression(),
                                          FProgram.Expression().size()));
    s.Min = len.MinChars;
    s.Max = len.MaxChars;
  }
  Generate(node->Left, body, partner);
  list.Add(partner, nkMatchEnd).TransitTo = way;
}

void TRENFA::GenerateCondition(TREBinCode* node, int entry, int way) {
  TREStateList& list = FProgram.States();
  TREBinCode* cond = node->Left;
  TREBinCode* then = node->Right;
  int condState = -1;
  TRECode* condCode = nullptr;
  if (cond && cond->Leaf) {
    condCode = cond->Leaf;
  } else {
    condState = list.NewState();
    int dummy = list.NewState();
    Generate(cond, condState, dummy);
  }
  int yes = list.NewState();
  // States live on the heap: the pointer stays valid while more are added.
  TRENFAState* s = &list.Add(entry, nkIfMatch);
  s->Code = condCode;
  s->ExtendTo = condState;
  s->TransitTo = yes;
  s->ElseTo = way;
  Generate(then ? then->Left : nullptr, yes, way);
  if (then && then->Right) {
    int no = list.NewState();
    s->ElseTo = no;
    Generate(then->Right, no, way);
  }
}

// ------------------------------------------------------------------ Measure

TRENFA::TLen TRENFA::Measure(const TREBinCode* node) {
  TLen r;
  if (!node) return r;
  if (node->Leaf) {
    node->Leaf->GetLengthRange(r.MinUnits, r.MaxUnits);
    node->Leaf->GetCharLengthRange(r.MinChars, r.MaxChars);
    return r;
  }
  switch (node->Op) {
    case opConcat: {
      for (TREBinCode* item : Flatten(const_cast<TREBinCode*>(node), opConcat)) {
        TLen t = Measure(item);
        r.MinUnits = MulMin(1, r.MinUnits + t.MinUnits);
        r.MinChars = MulMin(1, r.MinChars + t.MinChars);
        r.MaxUnits = AddMax(r.MaxUnits, t.MaxUnits);
        r.MaxChars = AddMax(r.MaxChars, t.MaxChars);
      }
      return r;
    }
    case opUnion: {
      bool first = true;
      for (TREBinCode* alt : Flatten(const_cast<TREBinCode*>(node), opUnion)) {
        TLen t = Measure(alt);
        if (first) {
          r = t;
          first = false;
          continue;
        }
        r.MinUnits = std::min(r.MinUnits, t.MinUnits);
        r.MinChars = std::min(r.MinChars, t.MinChars);
        r.MaxUnits = MaxOf(r.MaxUnits, t.MaxUnits);
        r.MaxChars = MaxOf(r.MaxChars, t.MaxChars);
      }
      return r;
    }
    case opGroup:
    case opNoBackTrack:
      return Measure(node->Left);
    case opQuest: {
      TLen t = Measure(node->Left);
      t.MinUnits = t.MinChars = 0;
      return t;
    }
    case opStar:
    case opPlus:
    case opBound:
    case opLoop: {
      TLen t = Measure(node->Left);
      r.MinUnits = MulMin(t.MinUnits, node->Min);
      r.MinChars = MulMin(t.MinChars, node->Min);
      r.MaxUnits = MulMax(t.MaxUnits, node->Max);
      r.MaxChars = MulMax(t.MaxChars, node->Max);
      return r;
    }
    case opGoSub:
      return GroupLength(node->GroupIndex);
    case opIfMatch: {
      const TREBinCode* then = node->Right;
      TLen yes = Measure(then ? then->Left : nullptr);
      TLen no = Measure(then ? then->Right : nullptr);
      r.MinUnits = std::min(yes.MinUnits, no.MinUnits);
      r.MinChars = std::min(yes.MinChars, no.MinChars);
      r.MaxUnits = MaxOf(yes.MaxUnits, no.MaxUnits);
      r.MaxChars = MaxOf(yes.MaxChars, no.MaxChars);
      return r;
    }
    case opAccept:
      FHasAccept = true;
      return r;
    default:
      return r;  // zero-width
  }
}

TRENFA::TLen TRENFA::GroupLength(int index) {
  TLen unbounded;
  unbounded.MaxUnits = unbounded.MaxChars = -1;
  if (index <= 0 || index >= static_cast<int>(FGroupNodes.size()) || !FGroupNodes[static_cast<std::size_t>(index)])
    return unbounded;
  auto i = static_cast<std::size_t>(index);
  if (FGroupLenState[i] == 2) return FGroupLen[i];
  if (FGroupLenState[i] == 1) return unbounded;  // recursion
  // Bound the chain of nested calls measured at once.
  static constexpr int kMaxCallDepth = 64;
  int depth = 0;
  for (int s : FGroupLenState) depth += s == 1;
  if (depth >= kMaxCallDepth) return unbounded;
  FGroupLenState[i] = 1;
  TLen t = Measure(FGroupNodes[i]->Left);
  FGroupLenState[i] = 2;
  FGroupLen[i] = t;
  return t;
}

// ------------------------------------------------------------------ listing

std::string REDumpNFA(const TRegExp& re) { return re.Program() ? REDumpNFA(*re.Program()) : std::string(); }

std::string REDumpNFA(const TREProgram& program) {
  static const char* kKinds[] = {
      "Normal", "Char", "Empty", "Star", "Plus", "Bound", "Quest", "Loop", "LoopExit", "LoopEnd",
      "GroupBegin", "GroupEnd", "KeepPattern", "Suspend", "MatchEnd", "End", "GoSub", "AheadMatch",
      "AheadNoMatch", "BehindMatch", "BehindNoMatch", "IfMatch", "IfThen", "Callout", "Define",
      "Fail", "Prune", "Skip", "Mark", "Then", "Commit", "Accept"};
  static const char* kLoops[] = {"greedy", "reluctant", "simple-reluctant", "possessive", "any",
                                 "combining"};
  std::string out;
  const TREStateList& list = program.States();
  for (int n = 0; n < list.Count(); ++n) {
    for (const TRENFAState* s = list[n]; s; s = s->Next) {
      out += std::to_string(n) + ": " + kKinds[s->Kind];
      if (s->Code) out += " " + s->Code->Dump();
      switch (s->Kind) {
        case nkStar:
        case nkPlus:
        case nkBound:
        case nkLoop:
        case nkLoopExit:
          out += " {" + std::to_string(s->Min) + "," + std::to_string(s->Max) + "} " + kLoops[s->LoopKind];
          break;
        case nkBehindMatch:
        case nkBehindNoMatch:
          out += " len " + std::to_string(s->Min) + ".." + std::to_string(s->Max);
          break;
        case nkGroupBegin:
        case nkGroupEnd:
        case nkGoSub:
          out += " #" + std::to_string(s->GroupIndex);
          break;
        default:
          break;
      }
      if (s->Kind != nkEnd) out += " -> " + std::to_string(s->TransitTo);
      if (s->ExtendTo >= 0) out += " ext " + std::to_string(s->ExtendTo);
      if (s->ElseTo >= 0 && s->Kind == nkIfMatch) out += " else " + std::to_string(s->ElseTo);
      if (s->NameIndex >= 0) out += " name " + std::to_string(s->NameIndex);
      out += "\n";
    }
  }
  return out;
}

}  // namespace vantora
