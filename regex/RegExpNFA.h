// NFA construction: TRENFA walks the parser's TREBinCode tree and emits
// numbered NFA states (TRENFAState) into the program's state list, with the
// running minimum and maximum match length.
//
// A state number names a point of the program; several states may share a
// number: they form a chain through Next, the alternatives tried in pattern
// order from that point. Every state says where to go on success
// (TransitTo, a state number). Layout by kind (entry E, exit X):
//   nkChar/nkNormal  Code tested at the position; E -> X
//   nkEmpty          E -> X
//   nkStar/nkPlus/nkBound  fast loop over the single leaf Code, Min..Max
//                    repetitions (Max 32767 = unbounded), LoopKind greedy,
//                    possessive, lkAny (.*) or lkCombiningSequence (\X*);
//                    E -> X
//   nkLoop           general loop: at E, TransitTo = body start B,
//                    ExtendTo = number L of its nkLoopExit state, Min, Max,
//                    LoopKind, LoopIndex. The body runs B -> T; at T an
//                    nkLoopEnd (LoopIndex, TransitTo = L) counts the
//                    iteration; at L the nkLoopExit (LoopIndex, Min, Max,
//                    LoopKind, ExtendTo = B to iterate again, TransitTo = X
//                    to leave).
//   nkGroupBegin/End at E, GroupBegin (GroupIndex) -> body start; body end
//                    has the nkGroupEnd (GroupIndex) -> X. The group's
//                    IndexBegin = E, IndexEnd = the GroupEnd's number.
//   nkSuspend, nkAheadMatch, nkAheadNoMatch, nkBehindMatch, nkBehindNoMatch
//                    at E: TransitTo = body start, ExtendTo = number P of
//                    the body's end, where an nkMatchEnd state sits whose
//                    TransitTo = X. A sub-match runs from the body start until
//                    it reaches P; the main run then continues at X.
//                    Look-behinds: Min/Max = body length in code points.
//   nkIfMatch        at E: the condition is either Code (a group-success or
//                    recursion test; ExtendTo = -1) or an assertion whose
//                    state is at number ExtendTo (it ends in its own
//                    nkMatchEnd). TransitTo = start of the yes-branch,
//                    ElseTo = start of the no-branch (X when there is none).
//   nkDefine         at E: TransitTo = X (the body is skipped), ExtendTo =
//                    start of the body (reached only through calls); the
//                    body ends in nkFail.
//   nkGoSub          GroupIndex (0 = whole pattern) -> X after the call
//   nkKeepPattern    E -> X
//   nkCallout        Code = TRECalloutCode; E -> X
//   verbs            nkFail, nkPrune, nkSkip, nkMark, nkThen, nkCommit,
//                    nkAccept; NameIndex into TREProgram::Names (-1 none);
//                    nkThen: ExtendTo = entry number of the innermost
//                    enclosing alternation (-1 none); E -> X
//   nkEnd            at the program's exit; no successor.
//
// Covered by tests/regex/test_compile.cpp (NFA dumps of small patterns).
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "regex/RegExpTypes.h"

namespace vantora {

class TRECode;
class TREProgram;
class TRegExp;

struct TRENFAState {
  TRENFAKind Kind = nkEmpty;
  TRECode* Code = nullptr;       // leaf tested by character-consuming kinds
  int TransitTo = -1;            // state number to go to on success
  TRENFAState* Next = nullptr;   // next alternative from the same number
  int GroupIndex = 0;            // group / call states
  int Min = 0;                   // loops, look-behinds
  int Max = 0;
  TRELoopKind LoopKind = lkGreedy;
  int LoopIndex = -1;            // into the matcher's loop-state list
  int ExtendTo = -1;             // partner state (see the file comment)
  int ElseTo = -1;               // nkIfMatch: the no-branch
  int NameIndex = -1;            // verbs
};

// The states of a program by number. Owns the states; the chain of a number
// keeps insertion order.
class TREStateList {
 public:
  int NewState();                                  // a fresh, empty number
  TRENFAState& Add(int number, TRENFAKind kind);   // appended to the chain
  TRENFAState* operator[](int number) { return FHeads[static_cast<std::size_t>(number)]; }
  const TRENFAState* operator[](int number) const { return FHeads[static_cast<std::size_t>(number)]; }
  int Count() const { return static_cast<int>(FHeads.size()); }
  void Clear();

 private:
  std::vector<TRENFAState*> FHeads;
  std::vector<TRENFAState*> FTails;  // last state of each chain
  std::deque<TRENFAState> FStore;  // in blocks; states never move
};

// Parser tree node. A leaf node has Leaf set (Op is then unused); an operator
// node has Op with Left/Right operands (either may be null).
struct TREBinCode {
  TREOperator Op = opEmply;
  TRECode* Leaf = nullptr;
  TREBinCode* Left = nullptr;
  TREBinCode* Right = nullptr;
  int Min = 0;
  int Max = 0;
  TRELoopKind LoopKind = lkGreedy;
  int GroupIndex = 0;
  std::u16string GroupName;
  int NameIndex = -1;
};

// The tree nodes of one compile, stored in blocks (a node never moves).
using TREBinCodeStore = std::deque<TREBinCode>;

class TRENFA {
 public:
  explicit TRENFA(TREProgram& program) : FProgram(program) {}
  // Builds the program of the tree into the program's state list.
  void Compile(TREBinCode* root);

 private:
  // Match length of a sub-tree: code units and code points (max -1 =
  // unbounded).
  struct TLen {
    int MinUnits = 0;
    int MaxUnits = 0;
    int MinChars = 0;
    int MaxChars = 0;
  };
  void Generate(TREBinCode* node, int entry, int way);
  void GenerateAlternatives(TREBinCode* node, int entry, int way);
  void GenerateSequence(TREBinCode* node, int entry, int way);
  void GenerateLoop(TREBinCode* node, int entry, int way);
  void GenerateSubMatch(TREBinCode* node, TRENFAKind kind, int entry, int way);
  void GenerateCondition(TREBinCode* node, int entry, int way);
  // Length of a sub-tree; of a called group (recursion: unbounded).
  TLen Measure(const TREBinCode* node);
  TLen GroupLength(int index);
  void CollectGroups(TREBinCode* root);

  TREProgram& FProgram;
  std::vector<int> FUnionStack;            // entries of enclosing alternations (for THEN)
  std::vector<TREBinCode*> FGroupNodes;    // opGroup node by group index
  std::vector<int> FGroupLenState;         // 0 unknown, 1 in progress, 2 done
  std::vector<TLen> FGroupLen;
  bool FHasAccept = false;                 // the tree contains (*ACCEPT)
};

// A readable listing of the program, one state per line (for tests); of
// the program a TRegExp holds (empty when it has none).
std::string REDumpNFA(const TREProgram& program);
std::string REDumpNFA(const TRegExp& re);

}  // namespace vantora
