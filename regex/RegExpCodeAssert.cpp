// Zero-width and context leaves (see RegExpCodeAssert.h).
// Covered by tests/regex/test_code.cpp.
#include "regex/RegExpCodeAssert.h"

#include <algorithm>

#include "regex/RegExpCodeChar.h"

namespace vantora {

bool TRELineHeadCode::Test(const TREContext& cx, const char16_t* p) const {
  if (p == cx.RangeTop) return true;
  if (!MultiLine() || p >= cx.RangeEnd || p <= cx.TextTop) return false;
  return REIsLineBreak(p[-1]);
}

bool TRELineTailCode::Test(const TREContext& cx, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  if (p == end) return true;
  if (p > end) return false;
  if (MultiLine()) return REIsLineBreak(*p);
  return p + 1 == end && REIsLineBreak(*p);
}

bool TRETextTailCode::Test(const TREContext& cx, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  if (p > end) return false;
  while (p < end && REIsLineBreak(*p)) ++p;
  return p == end;
}

bool TREBoundaryCode::Test(const TREContext& cx, const char16_t* p) const {
  bool legacy = Options().Contains(roDefinedCharClassLegacy);
  const char16_t* start = cx.RangeTop;
  const char16_t* end = cx.RangeEnd;
  bool before = false, after = false;
  if (p > start) {
    const char16_t* q = REPrevFoldedChar(p, start, {});
    before = REIsWordChar(REReadChar(q, p), legacy);
  }
  if (p < end) {
    const char16_t* q = p;
    after = REIsWordChar(REReadChar(q, end), legacy);
  }
  return (before != after) != FNegative;
}

bool TREGlobalPosCode::Test(const TREContext& cx, const char16_t* p) const {
  const char16_t* g = cx.LastMatchEnd ? cx.LastMatchEnd : cx.RangeTop;
  return p == g;
}

bool TREReferenceCode::MatchCapture(const TREContext& cx, const TRECapture& cap, const char16_t* p, int& len) const {
  if (!cap.Success || !cap.StartP || !cap.EndP || cap.EndP < cap.StartP) return false;
  const char16_t* end = cx.RangeEnd;
  TRECompareOptions co = CompareOptions();
  if (co.Empty()) {
    auto n = cap.EndP - cap.StartP;
    if (end - p < n) return false;
    if (!std::equal(cap.StartP, cap.EndP, p)) return false;
    len = static_cast<int>(n);
    return true;
  }
  const char16_t* a = cap.StartP;
  const char16_t* q = p;
  while (a < cap.EndP) {
    if (q >= end) return false;
    if (REReadFoldedChar(a, cap.EndP, co) != REReadFoldedChar(q, end, co)) return false;
  }
  len = static_cast<int>(q - p);
  return true;
}

bool TREReferenceCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  if (FGroupIndex <= 0 || FGroupIndex >= cx.GroupCount) return false;
  return MatchCapture(cx, cx.Captures[FGroupIndex], p, len);
}

bool TRENamedReferenceCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  if (FGroupIndex <= 0 || FGroupIndex >= cx.GroupCount) return false;
  int pick = FGroupIndex;
  for (int i = FGroupIndex; i != 0; i = cx.SameGroup[i])
    if (cx.Captures[i].Success) {
      pick = i;
      break;
    }
  return MatchCapture(cx, cx.Captures[pick], p, len);
}

bool TREIfThenReferenceCode::Test(const TREContext& cx, const char16_t*) const {
  if (FGroupIndex <= 0 || FGroupIndex >= cx.GroupCount) return false;
  return cx.Captures[FGroupIndex].Success;
}

bool TREIfThenNamedReferenceCode::Test(const TREContext& cx, const char16_t*) const {
  if (FGroupIndex <= 0 || FGroupIndex >= cx.GroupCount) return false;
  for (int i = FGroupIndex; i != 0; i = cx.SameGroup[i])
    if (cx.Captures[i].Success) return true;
  return false;
}

}  // namespace vantora
