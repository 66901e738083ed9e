// What the matcher works out once per compiled program (REAnalyseMatch, run
// by the compiler): whether the failure memo may cut, how each loop enters
// the memo key, which general loops run as fast loops, and which literals
// can follow each greedy loop. Part of the immutable program; the matcher
// only reads it.
// Covered by tests/regex/test_match_memo.cpp and tests/regex/test_match_loops.cpp.
#pragma once

#include <unordered_map>
#include <vector>

namespace vantora {

class TRECode;
class TREProgram;
struct TRENFAState;

// How one general loop enters the memo key.
struct TREMemoLoop {
  int Bit = -1;        // its bit in the active and same-start masks; -1: the memo stops while it runs
  int CountClamp = 0;  // > 0: min(count, CountClamp) is part of the key
  int CountShift = 0;  // where that value sits in the key's 32-bit count field
};

// The literal leaves one of which must match right after a greedy general
// loop is left (Known), so that a "leave here" that cannot succeed is not
// pushed.
struct TRELeaveTest {
  bool Known = false;
  std::vector<const TRECode*> Leaves;
};

struct TREMatchAnalysis {
  bool MemoAllowed = false;            // the outcome depends on (state, position, loops) only
  bool HasLoops = false;
  int LoopCount = 0;                   // loop indexes 0..LoopCount-1
  std::vector<TREMemoLoop> MemoLoops;  // by loop index
  bool HasCountedLoops = false;        // some loop keys its count
  std::vector<TRELeaveTest> LeaveTests;  // by loop index
  // General loops whose body is one leaf that repeats exactly: the nkLoop
  // state -> the body's state. They run as fast loops (no per-iteration
  // entries), greedy, possessive or reluctant.
  std::unordered_map<const TRENFAState*, const TRENFAState*> LeafLoops;
};

// Fills the analysis of a program whose states are final (after the
// optimiser, which may make loops possessive).
void REAnalyseMatch(const TREProgram& program, TREMatchAnalysis& analysis);

}  // namespace vantora
