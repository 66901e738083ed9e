// TREDfaBuilder: the thread model behind the lazy automaton (RegExpLazyDfa.h).
// It decides whether a compiled program can be searched by an automaton and
// computes, for a set of program threads, the set that follows one code
// unit, in the form the automaton's states hold.
//
// A thread is a point of the program together with the loop counts that
// decide its future: a state number about to be entered, a character leaf
// (with the offset reached inside a literal), or a fast loop (with its
// repetition count and literal offset); general loops keep their count in
// the thread too (clamped to the count that still matters, -1 when the loop
// is not running). Two threads with the same identity match the same rest
// of the subject, so a thread reached from two start positions is kept only
// for the earlier one.
//
// A state's content is the list of its partitions, one per start position
// still alive, earliest first, each the threads that start produced (before
// the epsilon moves at the next position, which need the next unit for $ and
// \b). Once a partition reaches the program's end it is "matched": the later
// partitions are dropped, no new start is added and the matched partition
// stays last (also when its threads die). The search is decided when the
// matched partition is the first one: its start is the leftmost position
// where the backtracker's attempt succeeds. Which path the backtracker
// prefers never matters here: only whether a match starts at a position.
//
// Programs with back-references, calls, conditions, look-arounds, atomic
// groups, \K (it cuts the choices made before it), possessive loops that
// could give something back (those whose followers cannot overlap their
// leaf, as the optimiser makes them, match as the greedy loop does), verbs,
// callouts, \G, \R or \X are not taken.
// Covered by tests/regex/test_lazy_dfa.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantora {

class TREProgram;
class TRECode;
struct TREContext;
struct TRENFAState;

// Context flags of a position's neighbour (the unit before or after it).
enum : std::uint8_t {
  kDfaEdge = 1,         // no unit there (range start or end)
  kDfaWord = 2,         // a word character (Unicode definition)
  kDfaWordLegacy = 4,   // a word character (ASCII definition)
  kDfaBreak = 8,        // a line-break character
};
// Facts about the rest of the range that $ and \Z need.
enum : std::uint8_t {
  kDfaTailBreaks = 1,   // only line breaks follow (\Z holds)
  kDfaTailLast = 2,     // the unit here is the last one and a line break
};

// One state's content: the partitions' threads, a -1 closing each partition.
struct TREDfaContent {
  std::uint8_t Before = kDfaEdge;  // flags of the unit before the position
  bool Matched = false;
  std::vector<int> Items;
  int Partitions() const;
  std::string Key() const;
};

// What one step produced: the new content, where each new partition's start
// comes from (an index into the old partitions, -1 = the position itself),
// and whether the search is decided (Start: the partition of the leftmost
// start among the old ones, -1 = the position itself; -2 = no match).
struct TREDfaStep {
  TREDfaContent Next;
  std::vector<int> Sources;
  bool Done = false;
  int Start = -2;
};

class TREDfaBuilder {
 public:
  // Whether the program can run as an automaton.
  bool Analyse(const TREProgram& program);
  bool Usable() const { return FUsable; }
  void Disable() { FUsable = false; }
  bool UsesTail() const { return FUsesTail; }
  bool FoldsWidth() const { return FFoldsWidth; }

  // The character tests (atoms) a unit class is made of.
  int AtomCount() const { return static_cast<int>(FAtoms.size()); }
  // Whether atom i accepts the unit at p (p inside the search range).
  bool AtomAccepts(int i, const TREContext& cx, const char16_t* p) const;

  // One unit of class bits 'atoms' (a bit per atom) with context flags
  // 'after' from content c, at a position with tail facts 'tail'.
  void Step(const TREDfaContent& c, const std::vector<std::uint64_t>& atoms, std::uint8_t after,
            std::uint8_t tail, TREDfaStep& out);
  // The range end reached with content c: out.Start as for a decided step.
  void Finish(const TREDfaContent& c, TREDfaStep& out);
  // Whether an ordered run from a start gives the backtracker's own match
  // end there: programs without capture groups whose general loops cannot
  // iterate without consuming. Their backtracking tries paths in a fixed
  // order (alternatives left to right, greedy loops one more repetition
  // first, lazy loops leaving first), which the ordered threads keep.
  bool Ordered() const { return FOrdered; }
  // The content of an ordered run at its start, and its step: out.Start is
  // 1 when the first match in the order ends before the unit, and then the
  // threads after it are dropped; out.Done when no thread is left.
  TREDfaContent OrderedStart(std::uint8_t before);
  void StepOrdered(const TREDfaContent& c, const std::vector<std::uint64_t>& atoms, std::uint8_t after,
                   std::uint8_t tail, TREDfaStep& out);
  // Whether the ordered run's first remaining match ends at the range end.
  bool FinishOrdered(const TREDfaContent& c);
  // Threads interned so far (the automaton resets when it grows too big).
  std::size_t ThreadCount() const { return FThreads.size(); }
  void ResetThreads();

 private:
  enum TThreadKind : std::uint8_t { thEnter, thLeaf, thFast };
  struct TThread {
    TThreadKind Kind = thEnter;
    int Number = 0;                      // thEnter: the state number
    const TRENFAState* State = nullptr;  // thLeaf / thFast
    int Offset = 0;                      // inside a literal
    int Count = 0;                       // thFast: repetitions done
    std::vector<int> Loops;              // general-loop counts, -1 = not running
  };
  struct TLeafInfo {
    std::vector<int> Atoms;  // the atom of each character (one for a class)
  };
  struct TContext {
    std::uint8_t Before, After, Tail;
  };

  static constexpr int kAccept = -2;  // in successor lists: the program end
  int Intern(TThread t);
  // The moves out of an entered state number, in the order the backtracker
  // tries them.
  void Expand(const TThread& t, const TContext& ctx, std::vector<int>& out);
  bool ClosureOrdered(int t, const TContext& ctx, std::vector<int>& consuming);
  void FastMoves(int id, const TThread& t, std::vector<int>& consuming);
  bool IsConsuming(const TRECode* code) const;
  bool AssertHolds(const TRECode* code, const TContext& ctx) const;
  // The consuming threads reached from thread id t by epsilon moves (those
  // not seen before in this step); true when the program end is reached.
  bool Closure(int t, const TContext& ctx, std::vector<int>& consuming);
  void Advance(int t, const std::vector<std::uint64_t>& atoms, std::vector<int>& out);
  void FastLimits(const TRENFAState* s, int& min, int& max) const;
  // Walks the states reachable from number 'from': follow pushes the numbers
  // to go on with and returns false to end the walk, whose result is then
  // false (as for a number outside the program); true when it finished.
  bool Walk(int from, const std::function<bool(const TRENFAState&, std::vector<int>&)>& follow) const;
  bool GivesNothingBack(const TRENFAState* loop) const;
  bool BodyCanBeEmpty(const TRENFAState* loop) const;
  bool Seen(int t);
  int AtomOf(const TRECode* code);
  int AtomOfChar(std::uint32_t c, std::uint8_t co);

  bool FUsable = false;
  bool FOrdered = false;
  bool FUsesTail = false;
  bool FFoldsWidth = false;
  const TREProgram* FProg = nullptr;
  int FEntry = 0;
  std::vector<int> FLoopClamp;   // by loop index
  struct TAtom {
    const TRECode* Code = nullptr;  // a one-character leaf, or null: a literal's character
    std::uint32_t Char = 0;
    std::uint8_t Compare = 0;
  };
  std::vector<TAtom> FAtoms;
  std::unordered_map<const TRECode*, TLeafInfo> FLeaves;
  std::unordered_map<std::uint64_t, int> FCharAtoms;  // (char, compare options) -> atom
  std::vector<TThread> FThreads;
  std::unordered_map<std::string, int> FThreadIds;
  std::vector<std::uint32_t> FSeen;  // by thread id: the step that last saw it
  std::uint32_t FStepMark = 0;
  std::vector<int> FWork;
  std::vector<int> FSucc;
};

}  // namespace vantora
