// REProbeScan and REUnitRarity (see RegExpProbeScan.h).
// Covered by tests/regex/test_optimize_quicksearch.cpp.
#include "regex/RegExpProbeScan.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vantora {

const char16_t* REProbeScan(const char16_t* from, const char16_t* last, const TREProbe& a, const TREProbe& b) {
  const char16_t* p = from;
#ifdef __SSE2__
  const __m128i orA = _mm_set1_epi16(static_cast<short>(a.Or)), valA = _mm_set1_epi16(static_cast<short>(a.Value));
  const __m128i orB = _mm_set1_epi16(static_cast<short>(b.Or)), valB = _mm_set1_epi16(static_cast<short>(b.Value));
  // Eight window starts p..p+7 at once; memcpy is the unaligned load.
  while (last - p >= 7) {
    __m128i x, y;
    std::memcpy(&x, p + a.Index, sizeof x);
    std::memcpy(&y, p + b.Index, sizeof y);
    const __m128i hit = _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(x, orA), valA),
                                      _mm_cmpeq_epi16(_mm_or_si128(y, orB), valB));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask) return p + (std::countr_zero(mask) >> 1);
    p += 8;
  }
#endif
  for (; p <= last; ++p)
    if ((p[a.Index] | a.Or) == a.Value && (p[b.Index] | b.Or) == b.Value) return p;
  return nullptr;
}

int REUnitRarity(char16_t u) {
  if (u == u' ') return 0;
  if (u < 0x80) {
    if (u >= u'a' && u <= u'z') return std::strchr("etaoinsrhl", static_cast<char>(u)) ? 1 : 2;
    if (u == u',' || u == u'.' || u == u'\n') return 2;
    if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')) return 3;
    return 4;
  }
  if (u >= 0x3000 && u <= 0x309F) return 2;  // CJK punctuation, hiragana
  if (u >= 0x30A0 && u <= 0x30FF) return 3;  // katakana
  return 4;                                  // kanji and the rest
}

}  // namespace vantora
