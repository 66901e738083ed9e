// TRERunLiteral: the start strategy of a program that begins with an
// unbounded loop over a one-character class followed by a literal
// ([a-zA-Z]+ing, \w*@, [0-9]+px): the literal is searched for, and the
// candidate start is found by scanning back over the class from the hit.
//
// Soundness. A match starting at s runs the loop over [s, h) and meets the
// literal at h, so every unit of [s, h) belongs to the class (or is half of
// a surrogate pair, which the backward scan counts as "maybe" without
// reading it as a character) and h - s >= Min. For the first hit h at or
// after p + Min whose backward run s0 (stopped at a unit outside the class,
// or at p) satisfies max(p, s0) <= h - Min, c = max(p, s0) is the leftmost
// start at or after p where an attempt can succeed: a later hit h2 whose
// run reaches below h lies over the run of h, so its run start is not lower.
// Every position before c is an attempt that cannot succeed, and c itself
// is a scan position (p is; s0 > p follows a unit that is no surrogate).
//
// Applies when the entry path is: group begins / empty states / zero-width
// assertions (tested at the candidate by the optimiser), then an nkStar,
// nkPlus or nkBound with an unbounded maximum over a TRECharLevelCode that
// does not fold width (a folded half-width letter with its sound mark spans
// two units), then group begins and ends, then a literal leaf. Not with
// subroutine calls (a group end may return elsewhere).
// Covered by tests/regex/test_optimize.cpp and
// tests/regex/test_optimize_corpus.cpp (results equal with opNone).
#pragma once

#include <array>
#include <string>

#include "regex/RegExpQuickSearch.h"

namespace vantora {

class TRECharLevelCode;
class TRECode;

class TRERunLiteral {
 public:
  // Sets up the search for a program of the shape above (found by the
  // optimiser): the loop's leaf and minimum, the literal leaf and its
  // folded text.
  void Setup(const TRECharLevelCode* leaf, int min, const TRECode* literal, const std::u16string& text);
  void Clear();
  // What one scan has found so far: the last literal hit (searched from
  // HitFrom), and the run before it known down to RunFloor: RunStart is its
  // first unit, or RunFloor when the scan stopped there. A new scan (a new
  // subject or range) starts from a value-initialised one.
  struct TScan {
    const char16_t* Hit = nullptr;
    const char16_t* HitFrom = nullptr;
    const char16_t* RunHit = nullptr;
    const char16_t* RunStart = nullptr;
    const char16_t* RunFloor = nullptr;
  };
  // The first candidate start at or after p (a scan position) before the
  // range end, or nullptr.
  const char16_t* Next(const char16_t* p, const char16_t* end, TScan& scan) const;

  const TRECode* Literal() const { return FLiteralCode; }
  const TREQuickSearch& Search() const { return FSearch; }
  int Min() const { return FMin; }

 private:
  bool MaybeInRun(char16_t u) const;

  const TRECharLevelCode* FLeaf = nullptr;
  std::array<bool, 256> FLatin1{};  // the leaf's answer for units below 256
  const TRECode* FLiteralCode = nullptr;
  TREQuickSearch FSearch;
  int FMin = 0;
};

}  // namespace vantora
