// TRECode base behaviour and the character folding shared by the lexer and
// every comparing leaf.
//
// Folding order: upper case first (simple mapping of the Unicode tables),
// then width (ASCII U+0021..U+007E to U+FF01..U+FF5E, space to U+3000,
// half-width katakana to full-width katakana), then kana (hiragana to
// katakana). Pattern characters are folded once by the lexer; subject
// characters are folded at comparison time with the same function, so both
// sides meet in the same form.
// Covered by tests/regex/test_code.cpp.
#include "regex/RegExpCode.h"
#include "regex/RegExpUtf16.h"

#include "regex/UnicodeProp.h"

namespace vantora {

namespace {

// Full-width forms of U+FF61..U+FF9F (half-width katakana and signs).
constexpr char16_t kHalfKanaToFull[0x3F] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

// The voiced (mark U+FF9E) or semi-voiced (U+FF9F) full-width letter for a
// half-width katakana, or 0 when none exists.
char16_t VoicedForm(char16_t half, char16_t mark) {
  if (half < 0xFF61 || half > 0xFF9D) return 0;
  char16_t full = kHalfKanaToFull[half - 0xFF61];
  bool kstRow = (full >= 0x30AB && full <= 0x30C2) || (full >= 0x30C4 && full <= 0x30C9);
  bool hRow = full >= 0x30CF && full <= 0x30DD && (full - 0x30CF) % 3 == 0;
  if (mark == 0xFF9E) {
    if (kstRow && (full - 0x30AB) % 2 == 0 && full <= 0x30C1) return static_cast<char16_t>(full + 1);
    if (full == 0x30C4 || full == 0x30C6 || full == 0x30C8) return static_cast<char16_t>(full + 1);
    if (hRow) return static_cast<char16_t>(full + 1);
    if (full == 0x30A6) return 0x30F4;  // U
    if (full == 0x30EF) return 0x30F7;  // WA
    if (full == 0x30F2) return 0x30FA;  // WO
    return 0;
  }
  if (mark == 0xFF9F && hRow) return static_cast<char16_t>(full + 2);
  return 0;
}

}  // namespace

std::uint32_t REReadChar(const char16_t*& p, const char16_t* end) {
  std::uint32_t c = *p++;
  if (REIsHighSurrogate(c) && p < end && REIsLowSurrogate(*p)) c = RECombineSurrogates(c, *p++);
  return c;
}

std::uint32_t REFoldChar(std::uint32_t c, TRECompareOptions co) {
  if (co.Contains(coIgnoreCase)) c = GetUnicodeUpperCase(c);
  if (co.Contains(coIgnoreWidth)) {
    if (c >= 0x21 && c <= 0x7E)
      c += 0xFEE0;
    else if (c == 0x20)
      c = 0x3000;
    else if (c >= 0xFF61 && c <= 0xFF9F)
      c = kHalfKanaToFull[c - 0xFF61];
  }
  if (co.Contains(coIgnoreKana)) {
    if ((c >= 0x3041 && c <= 0x3096) || (c >= 0x309D && c <= 0x309F)) c += 0x60;  // ゟ (U+309F) -> ヿ
  }
  return c;
}

std::uint32_t REReadFoldedChar(const char16_t*& p, const char16_t* end, TRECompareOptions co) {
  if (co.Contains(coIgnoreWidth) && *p >= 0xFF61 && *p <= 0xFF9D && p + 1 < end &&
      (p[1] == 0xFF9E || p[1] == 0xFF9F)) {
    if (char16_t v = VoicedForm(p[0], p[1])) {
      p += 2;
      return REFoldChar(v, co);
    }
  }
  return REFoldChar(REReadChar(p, end), co);
}

const char16_t* REPrevFoldedChar(const char16_t* p, const char16_t* start, TRECompareOptions co) {
  const char16_t* q = p - 1;
  if (q > start) {
    if (REIsLowSurrogate(*q) && REIsHighSurrogate(q[-1])) return q - 1;
    if (co.Contains(coIgnoreWidth) && (*q == 0xFF9E || *q == 0xFF9F) && VoicedForm(q[-1], *q))
      return q - 1;
  }
  return q;
}

void REAppendChar(std::u16string& s, std::uint32_t c) { REAppendUtf16(s, c); }

// ----------------------------------------------------------------- TRECode

TRECode::TRECode(TREOptions options, TRECodeKind kind)
    : FKind(kind), FOptions(options), FCompareOptions(REGetCompareOptions(options)) {}

int TRECode::GetLength() const {
  int mn = 0, mx = 0;
  GetLengthRange(mn, mx);
  return mn == mx ? mn : -1;
}

int TRECode::GetCharLength() const {
  int mn = 0, mx = 0;
  GetCharLengthRange(mn, mx);
  return mn == mx ? mn : -1;
}

void TRECode::GetLengthRange(int& min, int& max) const { min = max = 0; }
void TRECode::GetCharLengthRange(int& min, int& max) const { min = max = 0; }

bool TRECode::Compare(const TREContext& cx, const char16_t* p) const {
  int len = 0;
  return IsEqual(cx, p, len);
}

bool TRECode::CompareCode(const TRECode*) const { return true; }

bool TRECode::ExecRepeat(const TREContext& cx, const char16_t*& p, bool isStar) const {
  const char16_t* q = p;
  int n = Repeat(cx, q, -1);
  if (!isStar && n < 1) return false;
  p = q;
  return true;
}

bool TRECode::ExecRepeat(const TREContext& cx, const char16_t*& p, int min, int max) const {
  const char16_t* q = p;
  int n = Repeat(cx, q, max >= CONST_LoopMax ? -1 : max);
  if (n < min) return false;
  p = q;
  return true;
}

int TRECode::Repeat(const TREContext& cx, const char16_t*& p, int max) const {
  int n = 0;
  while (max < 0 || n < max) {
    int len = 0;
    if (!IsEqual(cx, p, len) || len <= 0) break;
    p += len;
    ++n;
  }
  return n;
}

const char16_t* TRECode::PrevRepeat(const char16_t* p, const char16_t* loopStart) const {
  int len = GetLength();
  if (len > 0 && p - loopStart >= len) return p - len;
  return REPrevFoldedChar(p, loopStart, FCompareOptions);
}

const char16_t* TRECode::Find(const TREContext& cx, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  for (; p <= end; ++p)
    if (Compare(cx, p)) return p;
  return nullptr;
}

bool TRECode::IsEqual(const TREContext&, const char16_t*, int& len) const {
  len = 0;
  return false;
}

bool TRECode::IsInclude(const TRECode*) const { return false; }
bool TRECode::IsOverlap(const TRECode*) const { return true; }

}  // namespace vantora
