// TRERunLiteral: literal search, then a backward scan over the leading
// class to the candidate start (see RegExpRunLiteral.h for why the
// candidate is the leftmost one that can match).
// Covered by tests/regex/test_optimize.cpp and
// tests/regex/test_optimize_corpus.cpp.
#include "regex/RegExpRunLiteral.h"

#include <algorithm>

#include "regex/RegExpCodeChar.h"
#include "regex/RegExpUtf16.h"
#include "regex/RegExpW.h"

namespace vantora {

void TRERunLiteral::Setup(const TRECharLevelCode* leaf, int min, const TRECode* literal,
                          const std::u16string& text) {
  Clear();
  FLeaf = leaf;
  FMin = min;
  FLiteralCode = literal;
  FSearch.SetFindText(text, true);
  FSearch.SetOptions(literal->CompareOptions());
  FSearch.Compile();
  // A unit below 256 is a whole character under every folding but width's,
  // which the leaf does not use.
  for (std::uint32_t u = 0; u < 256; ++u) FLatin1[u] = leaf->AcceptsRaw(u);
}

void TRERunLiteral::Clear() {
  FLeaf = nullptr;
  FLiteralCode = nullptr;
  FSearch.Clear();
  FMin = 0;
}

bool TRERunLiteral::MaybeInRun(char16_t u) const {
  if (u < 256) return FLatin1[u];
  return REIsSurrogate(u) || FLeaf->AcceptsRaw(u);
}

const char16_t* TRERunLiteral::Next(const char16_t* p, const char16_t* end, TScan& scan) const {
  if (!FLeaf || end - p < FMin) return nullptr;
  const char16_t* from = p + FMin;
  for (;;) {
    const char16_t* hit;
    if (scan.Hit && scan.HitFrom <= from && scan.Hit >= from) {
      hit = scan.Hit;
    } else {
      hit = FSearch.Find(from, end);
      scan.HitFrom = from;
      scan.Hit = hit;
    }
    if (!hit) return nullptr;
    const char16_t* start;
    if (scan.RunHit == hit && scan.RunFloor <= p) {
      start = std::max(scan.RunStart, p);
    } else {
      const char16_t* q = hit;
      while (q > p && MaybeInRun(q[-1])) --q;
      scan.RunHit = hit;
      scan.RunStart = q;
      scan.RunFloor = p;
      start = q;
    }
    if (start <= hit - FMin) return start;
    from = hit + 1;
  }
}

}  // namespace vantora
