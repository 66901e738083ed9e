// The backtracking matcher: runs the numbered NFA states of a compiled
// TRegExp over a UTF-16 subject with one explicit stack and no native
// recursion (the depth of nothing grows the C++ call stack).
//
// Machine model. The registers are the current state, the position, the
// capture records of every group (Captures, which the leaves read through
// the search's TREContext), the loop states, the
// call stack of subroutine calls and the index of the innermost open marker.
// Every change of a register that backtracking must take back is logged on
// the backtrack stack as an undo entry; popping applies undo entries in
// reverse order and resumes at the first resume entry. Markers open
// look-arounds, atomic groups, possessive loops and conditions: reaching the
// body's end (nkMatchEnd) or popping the marker decides the construct. A cut
// (atomic success, look-around success, \K, call return through ACCEPT)
// removes resume entries and markers above a point but keeps the undo
// entries, so a later backtrack below the point still restores everything.
//
// Files: RegExpMatcherCore.cpp (stack, driver, attempts, search scan),
// RegExpMatcherLoops.cpp (fast and general loops), RegExpMatcherAssert.cpp
// (look-arounds, atomic groups, conditions), RegExpMatcherCall.cpp (calls,
// recursion, verbs, callouts, ACCEPT), RegExpFailureMemo.* (the memo).
//
// The program (TREProgram) is only read: a match state belongs to one
// TRegExp and holds everything its searches write, so TRegExp objects that
// share one program can search on several threads at once.
// Covered by tests/regex/test_match_*.cpp and tests/regex/test_corpus.cpp.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "regex/RegExpCode.h"
#include "regex/RegExpFailureMemo.h"
#include "regex/RegExpLazyDfa.h"
#include "regex/RegExpMatchAnalysis.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpOptimize.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"

namespace vantora {

// One backtrack stack entry.
enum TREEntryKind : std::uint8_t {
  ekResume,       // resume at State (a chain member) at P
  ekResumeNum,    // resume by entering state number Num at P
  ekStarRange,    // fast loop: give back one repetition below P (not below P2)
  ekLazyRange,    // reluctant fast loop: take one more repetition at P (count A, max B)
  ekLoopLeave,    // general loop: leave loop Num (exit state State) at P
  ekLoopIter,     // reluctant loop: run another iteration of State at P
  ekUndoCapture,  // restore group Num's capture record (P, P2, P3, Flag)
  ekUndoLoop,     // restore loop Num's state (A = count, P = start, Flag = active)
  ekUndoGroup0,   // restore group 0's start (P)
  ekUndoCallPush, // a call was pushed: pop it
  ekUndoCallPop,  // a call was popped: push back the saved frame A
  ekMarker,       // an open look-around / atomic group / possessive loop / condition
  ekVerb,         // a backtracking verb met on the path (State)
  ekMarkRec,      // a (*MARK) met on the path (A = name index, P = position)
};

// Entries that only restore registers when popped (and MARK records).
constexpr bool IsUndoEntry(TREEntryKind k) {
  return k == ekUndoCapture || k == ekUndoLoop || k == ekUndoGroup0 || k == ekUndoCallPush ||
         k == ekUndoCallPop || k == ekMarkRec;
}

// Marker kinds.
enum TREMarkerKind : std::uint8_t {
  mkAtomic, mkAhead, mkAheadNot, mkBehind, mkBehindNot, mkPossessive,
};

// 48 bytes: entries are the main memory cost of a search.
struct TREEntry {
  TREEntryKind Kind = ekResume;
  std::uint8_t Sub = 0;      // marker kind
  bool Flag = false;
  int Num = 0;
  const TRENFAState* State = nullptr;
  const char16_t* P = nullptr;
  const char16_t* P2 = nullptr;
  union {
    const char16_t* P3 = nullptr;
    const TRENFAState* Cond;  // markers of a condition: the nkIfMatch state
  };
  int A = 0;                 // markers: index of the previous marker
  int B = 0;                 // markers: look-behind distance tried (code points)
};

struct TRELoopState {
  int Count = 0;                    // completed iterations
  const char16_t* Start = nullptr;  // where the current iteration began
  bool Active = false;              // inside the loop's body
};

// One subroutine call in progress.
struct TRECallFrame {
  int GroupIndex = 0;                // 0 = whole pattern
  int ReturnTo = -1;                 // state number after the call
  const char16_t* CallPos = nullptr; // position of the call (left-recursion guard)
  int StackBase = 0;                 // backtrack stack height at the call
  std::vector<TRECapture> Captures;  // capture records before the call
  std::vector<TRELoopState> Loops;   // loop states before the call
};

// What a fast loop over a one-unit leaf knows from earlier runs (valid for
// one memo generation): the run of repetitions last found, and the interval
// of give-back positions already known to fail in the loop context Active.
struct TREStarCache {
  struct TRun {
    std::uint64_t Generation = 0;
    const char16_t* RangeEnd = nullptr;
    const char16_t* Start = nullptr;
    const char16_t* End = nullptr;
  };
  TRun Runs[4];        // the latest runs, replaced round-robin
  unsigned NextRun = 0;
  std::uint64_t SweepGeneration = 0;
  std::uint64_t SweepActive = 0;
  const char16_t* SweepLo = nullptr;  // [SweepLo, SweepHi] all known to fail
  const char16_t* SweepHi = nullptr;
};

// What the matcher is about to do at a memo point; part of the memo key, so
// that the same state and position reached for two purposes are told apart.
enum TREMemoAction : std::uint8_t {
  maLoopEntry,      // enter a loop (fast or general)
  maResume,         // resume an alternative
  maLeave,          // resume a greedy loop's "leave here"
  maIterateResume,  // resume a reluctant loop's "one more iteration"
  maGiveBack,       // give back a fast loop's repetitions down to here
  maIterate,        // start another iteration of a general loop here
  maLazyTake,       // take one more repetition of a reluctant fast loop
};

// Outcome of processing one state.
enum class TREStep : std::uint8_t { Continue, Fail, Success };

struct TREMatchState {
  explicit TREMatchState(TRegExp& re) : Re(re) {}

  // Takes the program the next searches run (and forgets everything learnt
  // about the previous one).
  void Attach(const TREProgram& program);
  // Search entry: attempts from start up to the range end (every code point)
  // of the subject the context names; subjectChanged: the subject is new
  // since the previous search.
  bool Match(const char16_t* start, bool subjectChanged);
  // Called by the InputString setter and ExecPos.
  void ResetMemo() { Memo.Clear(); }

  TRegExp& Re;  // the owner: its callout handler and its mark/error results

  // ---- the program, read only ----
  const TREProgram* Prog = nullptr;
  const TREMatchAnalysis* Plan = nullptr;
  int LoopCount = 0;
  int GroupCount = 0;  // including group 0
  bool Running = false;           // a search is in progress (re-entry guard)

  // ---- what the leaves read: subject, range, captures ----
  TREContext Cx;
  std::vector<TRECapture> Captures;  // by group index; sized by Attach only (the owner keeps its address)
  TRECapture& Cap(int group) { return Captures[static_cast<std::size_t>(group)]; }

  // ---- registers ----
  const char16_t* Pos = nullptr;
  const char16_t* AttemptStart = nullptr;
  std::vector<TREEntry> Stack;
  int TopMarker = -1;             // index of the innermost marker entry, -1 none
  std::vector<TRELoopState> Loops;
  std::vector<TRECallFrame> Calls;
  std::vector<TRECallFrame> SavedFrames;  // frames popped by returns (for undo)
  const char16_t* SkipTo = nullptr;       // next start recorded by (*SKIP)
  bool Committed = false;                 // (*COMMIT) ended the scan
  // Limits of the running search (RegExpMatchLimits.h).
  std::uint64_t Budget = 0;               // steps left
  std::size_t StackLimit = 0;             // backtrack stack entries
  std::size_t CallDepthLimit = 0;         // nested calls
  // The memo answers once Budget has fallen to MemoArmAt (see Attempt);
  // MemoNeeded: it did in an earlier attempt of this scan.
  static constexpr std::uint64_t kMemoWarmUp = 16;
  std::uint64_t MemoArmAt = 0;
  bool MemoNeeded = false;
  bool Accepted = false;
  TREFailureMemo Memo;
  TREScanState ScanCache;  // what the optimiser's scans remember (RegExpOptimize.h)
  // Finds the start of the leftmost match (RegExpLazyDfa.h); made by the
  // first search that can use it, so that an object searched by its lead
  // literal never builds its tables.
  std::unique_ptr<TRELazyDfa> Dfa;
  std::unordered_map<const TRENFAState*, TREStarCache> StarCache;

  // ---- core (RegExpMatcherCore.cpp) ----
  // The scan over candidate starts from 'start' (range end 'end').
  bool Scan(const char16_t* start, const char16_t* end, bool subjectChanged);
  // The automaton when this search should use it, else nullptr.
  TRELazyDfa* Automaton(const TREOptimizer& optimizer);
  bool Attempt(const char16_t* start);
  bool Run(int startNumber);
  TREStep Enter(const TRENFAState* s, const TRENFAState*& next);
  bool Backtrack(const TRENFAState*& next);
  void PushAlternative(const TRENFAState* alt);
  void Push(const TREEntry& e) {
    if (Stack.size() == Stack.capacity()) GrowStack();
    Stack.push_back(e);
  }
  // Makes room for more entries, or raises the memory limit error.
  void GrowStack();
  // Removes resume entries and markers above index 'base' (exclusive),
  // keeping the undo entries in order.
  void CutTo(int base);
  // Pops entries down to index 'base' (inclusive of entries above it),
  // applying undo entries and ignoring everything else.
  void UnwindTo(int base);
  void ApplyUndo(const TREEntry& e);
  void SetCapture(int group, const TRECapture& c);
  void SetLoop(int index, const TRELoopState& ls);
  // An undo entry for the register among the topmost few entries, with
  // only undo entries above it: nothing could resume between that entry and
  // now, so popping it alone restores what a new entry would be followed
  // by, and none is pushed. This keeps a loop iteration that leaves no
  // choice point from adding entries (the stack of (?:a|b)*c stays flat).
  bool UndoAboveChoice(TREEntryKind kind, int num) const {
    constexpr std::size_t kLookBack = 4;
    const std::size_t n = Stack.size();
    for (std::size_t i = n; i > 0 && n - i < kLookBack; --i) {
      const TREEntry& e = Stack[i - 1];
      if (!IsUndoEntry(e.Kind)) return false;
      if (e.Kind == kind && e.Num == num) return true;
    }
    return false;
  }
  const TRENFAState* StateAt(int number) const;
  bool MemoSeen(const void* key, TREMemoAction action, const char16_t* p);
  // The active-loop mask of the memo key, or false when the memo cannot cut
  // here (same conditions as MemoSeen).
  bool MemoContext(std::uint64_t& active) const;
  bool Goto(int number, const TRENFAState*& next);
  TREStep Go(int number, const TRENFAState*& next) {
    return Goto(number, next) ? TREStep::Continue : TREStep::Fail;
  }
  void ResetCaptures() {
    for (TRECapture& c : Captures) c = TRECapture{};
  }

  // ---- loops (RegExpMatcherLoops.cpp) ----
  TREStep FastLoop(const TRENFAState* s, const TRENFAState*& next);
  // The fast loop over the leaf of 'leaf' (the memo and cache key), exit at
  // state number 'exitNumber'; max < 0 = unbounded.
  TREStep FastLoopRun(const TRENFAState* leaf, int min, int max, bool possessive, int exitNumber,
                      const TRENFAState*& next);
  TREStep LazyLoopRun(const TRENFAState* leaf, int min, int max, int exitNumber, const TRENFAState*& next);
  bool ResumeLazyRange(TREEntry e, const TRENFAState*& next);
  static bool CachesRuns(const TRECode* code);
  bool MidPair(const char16_t* p) const;
  bool LeaveCannotMatch(int loopIndex) const;
  TREStep LoopEnter(const TRENFAState* s, const TRENFAState*& next);
  TREStep LoopExit(const TRENFAState* s, const TRENFAState*& next);
  bool ResumeStarRange(TREEntry e, const TRENFAState*& next);
  bool ResumeLoopLeave(const TREEntry& e, const TRENFAState*& next);
  bool ResumeLoopIter(const TREEntry& e, const TRENFAState*& next);
  TREStep LeaveLoop(const TRENFAState* exitState, const TRENFAState*& next);
  TREStep Iterate(const TRENFAState* exitState, const TRENFAState*& next);

  // ---- look-arounds, atomic groups, conditions (RegExpMatcherAssert.cpp) ----
  TREStep OpenMarker(const TRENFAState* s, const TRENFAState*& next);
  TREStep IfMatch(const TRENFAState* s, const TRENFAState*& next);
  TREStep MatchEnd(const TRENFAState* s, const TRENFAState*& next);
  bool MarkerPopped(const TREEntry& e, const TRENFAState*& next);
  bool StartBehind(int markerIndex, const TRENFAState*& next);
  int PushMarker(TREMarkerKind kind, const TRENFAState* open, const TRENFAState* cond);
  bool BehindStart(const char16_t* from, int distance, const char16_t*& at) const;

  // ---- calls, verbs, callouts (RegExpMatcherCall.cpp) ----
  TREStep GoSub(const TRENFAState* s, const TRENFAState*& next);
  bool ReturnFromCall(const TRENFAState*& next);
  TREStep GroupEnd(const TRENFAState* s, const TRENFAState*& next);
  TREStep EndState(const TRENFAState* s, const TRENFAState*& next);
  TREStep Verb(const TRENFAState* s, const TRENFAState*& next);
  TREStep Accept(const TRENFAState*& next);
  TREStep Callout(const TRENFAState* s, const TRENFAState*& next);
  bool VerbPopped(const TREEntry& e);
  bool InRecursion(int group) const;
};

// Creates the match state of a TRegExp on first use (with its deleter).
TREMatchState& REMatchState(TRegExp& re);

}  // namespace vantora
