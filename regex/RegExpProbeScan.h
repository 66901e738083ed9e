// Vectorised candidate scan of a literal search: finds the first window
// start p at which two chosen units of the text ("probes") are present,
// eight positions at a time with SSE2 where the compiler targets it, one at
// a time otherwise. A probe compares (unit | Or) == Value: Or 0 is an exact
// unit, Or 0x20 an ASCII letter in either case. The caller verifies the
// whole window at each candidate. REUnitRarity ranks units by how seldom
// they occur in the project's text (Japanese with English), to choose the
// probes that give the fewest false candidates.
// Covered by tests/regex/test_optimize_quicksearch.cpp.
#pragma once

namespace vantora {

struct TREProbe {
  int Index = 0;       // offset in the text
  char16_t Or = 0;
  char16_t Value = 0;
};

// The first p in [from, last] with both probes present at p, or nullptr.
// Reads only [from, last + max(probe index)].
const char16_t* REProbeScan(const char16_t* from, const char16_t* last, const TREProbe& a, const TREProbe& b);

// Higher for units that occur more seldom (0: a space).
int REUnitRarity(char16_t u);

}  // namespace vantora
