// Character-consuming leaves (see RegExpCodeChar.h for the reading rules).
//
// A class keeps sorted, merged ranges of code points. Under compare options
// every added range also contributes the folded image of each of its code
// points, so a subject character folded the same way finds itself in the
// ranges: [a-z] under roIgnoreCase holds a-z and A-Z, [あ-ん] under
// roIgnoreKana also holds the katakana. Member leaves (\d, \p{..}, POSIX
// classes) test the unfolded character.
// Covered by tests/regex/test_code.cpp.
#include "regex/RegExpCodeChar.h"

#include <algorithm>

#include "regex/RegExpW.h"

namespace vantora {

// ------------------------------------------------------- type predicates

bool REIsWordChar(std::uint32_t c, bool legacy) {
  if (legacy || c < 0x80)
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  if (c > UnicodeMaxCodePoint) return false;
  TUnicodeProperty major = GetUnicodeGeneralCategory(c);
  if (major == upL || major == upM) return true;
  TUnicodeProperty cat = GetUnicodeCategory(c);
  return cat == upNd || cat == upPc;
}

bool REIsDigitChar(std::uint32_t c, bool legacy) {
  if (legacy || c < 0x80) return c >= '0' && c <= '9';
  return c <= UnicodeMaxCodePoint && GetUnicodeCategory(c) == upNd;
}

bool REIsSpaceChar(std::uint32_t c, bool legacy) {
  if (c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D) return true;
  if (legacy) return c == 0x20;
  if (c == 0x85 || c == 0x20) return true;
  if (c < 0x80) return false;
  return c <= UnicodeMaxCodePoint && GetUnicodeGeneralCategory(c) == upZ;
}

bool REIsHorizontalSpace(std::uint32_t c) {
  return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || c == 0x180E ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool REIsVerticalSpace(std::uint32_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool REIsPosixClass(std::uint32_t c, TREPosixClassKind kind, bool legacy) {
  bool valid = c <= UnicodeMaxCodePoint;
  auto major = [&] { return valid ? GetUnicodeGeneralCategory(c) : upC; };
  auto cat = [&] { return valid ? GetUnicodeCategory(c) : upCn; };
  switch (kind) {
    case pckNone: return false;
    case pckAlnum: return major() == upL || REIsDigitChar(c, false);
    case pckAlpha: return major() == upL;
    case pckAscii: return c < 0x80;
    case pckBlank: return c == 0x09 || (valid && cat() == upZs);
    case pckCntrl: return cat() == upCc;
    case pckDigit: return REIsDigitChar(c, false);
    case pckGraph: {
      TUnicodeProperty m = major(), k = cat();
      return m != upZ && k != upCc && k != upCn && k != upCs && !(c >= 0x09 && c <= 0x0D);
    }
    case pckLower: return cat() == upLl;
    case pckPrint: {
      TUnicodeProperty k = cat();
      return (major() != upZ || k == upZs) && k != upCc && k != upCn && k != upCs;
    }
    case pckUpper: return cat() == upLu;
    case pckPunct: return major() == upP;
    case pckSpace: return c == 0x0B || REIsSpaceChar(c, false);
    case pckSpacePerl: return REIsSpaceChar(c, legacy);
    case pckXdigit:
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    case pckWord: return REIsWordChar(c, legacy);
    case pckAny: return true;
    case pckAssigned: return valid && cat() != upCn;
  }
  return false;
}

namespace {

std::string Hex(std::uint32_t c) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), d[c & 15]);
    c >>= 4;
  } while (c);
  return "U+" + s;
}

std::string CharText(std::uint32_t c) {
  if (c >= 0x21 && c < 0x7F) return std::string(1, static_cast<char>(c));
  return Hex(c);
}

// Reads one character at p for a leaf: folded or not.
inline std::uint32_t ReadFor(const char16_t*& p, const char16_t* end, bool fold, TRECompareOptions co) {
  return fold ? REReadFoldedChar(p, end, co) : REReadChar(p, end);
}

}  // namespace

// ---------------------------------------------------------- TRECharLevelCode

bool TRECharLevelCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  const char16_t* end = cx.RangeEnd;
  if (p >= end) return false;
  if (*p < 0x80) {
    if (!AcceptsAscii(*p)) return false;
    len = 1;
    return true;
  }
  const char16_t* q = p;
  std::uint32_t c = ReadFor(q, end, FFoldSubject, CompareOptions());
  if (!MatchChar(c)) return false;
  len = static_cast<int>(q - p);
  return true;
}

int TRECharLevelCode::Repeat(const TREContext& cx, const char16_t*& p, int max) const {
  const char16_t* end = cx.RangeEnd;
  int n = 0;
  while ((max < 0 || n < max) && p < end) {
    int len = 0;
    if (!IsEqual(cx, p, len)) break;
    p += len;
    ++n;
  }
  return n;
}

const char16_t* TRECharLevelCode::PrevRepeat(const char16_t* p, const char16_t* loopStart) const {
  return REPrevFoldedChar(p, loopStart, FFoldSubject ? CompareOptions() : TRECompareOptions{});
}

void TRECharLevelCode::GetLengthRange(int& min, int& max) const {
  min = 1;
  max = 2;
}

bool TRECharLevelCode::CompareCode(const TRECode* code) const {
  if (auto* ch = REAsChar(code); ch && ch->CompareOptions().Empty())
    return AcceptsRaw(ch->Char());
  if (auto* lit = REAsLiteral(code); lit && lit->CompareOptions().Empty())
    return AcceptsRaw(lit->Chars().front());
  return true;
}

bool TRECharLevelCode::IsInclude(const TRECode* code) const {
  if (auto* ch = REAsChar(code); ch && ch->CompareOptions().Empty())
    return AcceptsRaw(ch->Char());
  return false;
}

bool TRECharLevelCode::IsOverlap(const TRECode* code) const {
  if (auto* ch = REAsChar(code); ch && ch->CompareOptions().Empty())
    return AcceptsRaw(ch->Char());
  if (auto* lit = REAsLiteral(code); lit && lit->CompareOptions().Empty())
    return AcceptsRaw(lit->Chars().front());
  if (auto* other = REAsCharLevel(code)) {
    if (auto* self = REAsChar(this); self && CompareOptions().Empty())
      return other->AcceptsRaw(self->Char());
  }
  return true;
}

// ------------------------------------------------------------- TRECharCode

TRECharCode::TRECharCode(std::uint32_t ch, TREOptions options)
    : TRECharLevelCode(options, true, ckChar), FChar(REFoldChar(ch, REGetCompareOptions(options))) {
}

void TRECharCode::GetLengthRange(int& min, int& max) const {
  if (FChar >= 0x10000) {
    min = max = 2;
  } else if (CompareOptions().Contains(coIgnoreWidth) && FChar >= 0x3000) {
    min = 1;
    max = 2;
  } else {
    min = max = 1;
  }
}

const char16_t* TRECharCode::Find(const TREContext& cx, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  if (!FFoldSubject && FChar < 0x10000) {
    auto unit = static_cast<char16_t>(FChar);
    for (; p < end; ++p)
      if (*p == unit) return p;
    return nullptr;
  }
  for (; p < end; ++p)
    if (Compare(cx, p)) return p;
  return nullptr;
}

std::string TRECharCode::Dump() const { return "char " + CharText(FChar); }

// ---------------------------------------------------------- TRELiteralCode

TRELiteralCode::TRELiteralCode(const std::vector<std::uint32_t>& chars,
                               TREOptions options)
    : TRECode(options, ckLiteral) {
  FChars.reserve(chars.size());
  FText.reserve(chars.size());
  for (std::uint32_t c : chars) {
    std::uint32_t f = REFoldChar(c, CompareOptions());
    FChars.push_back(f);
    if (f < 0x10000) FText.push_back(static_cast<char16_t>(f));
    else REAppendChar(FText, f);
  }
}

bool TRELiteralCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  const char16_t* end = cx.RangeEnd;
  if (CompareOptions().Empty()) {
    if (end - p < static_cast<std::ptrdiff_t>(FText.size())) return false;
    if (!std::equal(FText.begin(), FText.end(), p)) return false;
    len = static_cast<int>(FText.size());
    return true;
  }
  const char16_t* q = p;
  for (std::uint32_t c : FChars) {
    if (q >= end) return false;
    if (REReadFoldedChar(q, end, CompareOptions()) != c) return false;
  }
  len = static_cast<int>(q - p);
  return true;
}

void TRELiteralCode::GetLengthRange(int& min, int& max) const {
  min = max = static_cast<int>(FText.size());
  if (CompareOptions().Contains(coIgnoreWidth)) {
    int extra = 0;
    for (std::uint32_t c : FChars)
      if (c >= 0x3000 && c < 0x10000) ++extra;
    max += extra;
  }
}

void TRELiteralCode::GetCharLengthRange(int& min, int& max) const {
  min = max = static_cast<int>(FChars.size());
}

const char16_t* TRELiteralCode::Find(const TREContext& cx, const char16_t* p) const {
  const char16_t* end = cx.RangeEnd;
  if (CompareOptions().Empty()) {
    auto it = std::search(p, end, FText.begin(), FText.end());
    return it == end ? nullptr : it;
  }
  for (; p < end; ++p)
    if (Compare(cx, p)) return p;
  return nullptr;
}

bool TRELiteralCode::CompareCode(const TRECode* code) const {
  if (auto* other = REAsCharLevel(code); other && CompareOptions().Empty())
    return other->AcceptsRaw(FChars.front());
  return true;
}

bool TRELiteralCode::IsOverlap(const TRECode* code) const {
  if (!CompareOptions().Empty()) return true;
  if (auto* other = REAsCharLevel(code)) return other->AcceptsRaw(FChars.front());
  if (auto* lit = REAsLiteral(code); lit && lit->CompareOptions().Empty())
    return lit->FChars.front() == FChars.front();
  return true;
}

std::string TRELiteralCode::Dump() const {
  std::string s = "literal \"";
  for (std::uint32_t c : FChars) s += CharText(c);
  return s + "\"";
}

// ---------------------------------------------------------- TREAnyCharCode

bool TREAnyCharCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  if (p >= cx.RangeEnd) return false;
  if (!SingleLine() && REIsLineBreak(*p)) return false;
  len = 1;
  return true;
}

int TREAnyCharCode::Repeat(const TREContext& cx, const char16_t*& p, int max) const {
  const char16_t* end = cx.RangeEnd;
  if (max >= 0 && end - p > max) end = p + max;
  const char16_t* start = p;
  if (SingleLine()) {
    p = end;
  } else {
    while (p < end && !REIsLineBreak(*p)) ++p;
  }
  return static_cast<int>(p - start);
}

bool TREAnyCharCode::IsOverlap(const TRECode* code) const {
  if (SingleLine()) return true;
  if (auto* other = REAsChar(code); other && other->CompareOptions().Empty())
    return !REIsLineBreak(other->Char());
  return true;
}

std::string TREAnyCharCode::Dump() const { return SingleLine() ? "any(s)" : "any"; }

// --------------------------------------------------------- TRECharTypeCode

TRECharTypeCode::TRECharTypeCode(TKind kind, bool negative, TREOptions options)
    : TRECharLevelCode(options, false),
      FKind(kind),
      FNegative(negative),
      FLegacy(options.Contains(roDefinedCharClassLegacy)) {}

bool TRECharTypeCode::MatchChar(std::uint32_t c) const {
  bool r = false;
  switch (FKind) {
    case ctWord: r = REIsWordChar(c, FLegacy); break;
    case ctDigit: r = REIsDigitChar(c, FLegacy); break;
    case ctSpace: r = REIsSpaceChar(c, FLegacy); break;
    case ctHorizontalSpace: r = REIsHorizontalSpace(c); break;
    case ctVerticalSpace: r = REIsVerticalSpace(c); break;
  }
  return r != FNegative;
}

void TRECharTypeCode::GetLengthRange(int& min, int& max) const {
  min = 1;
  // Positive \s \h \v and legacy \w \d only match BMP characters.
  bool bmpOnly = !FNegative && (FKind == ctHorizontalSpace || FKind == ctVerticalSpace ||
                                FKind == ctSpace || FLegacy);
  max = bmpOnly ? 1 : 2;
}

std::string TRECharTypeCode::Dump() const {
  static const char* names[] = {"w", "d", "s", "h", "v"};
  std::string n = names[FKind];
  if (FNegative) n[0] = static_cast<char>(n[0] - 32);
  return "\\" + n;
}

std::string TREPropertyCode::Dump() const {
  return std::string(FNegative ? "\\P{" : "\\p{") + std::string(UnicodePropertyName(FProperty)) + "}";
}

std::string TREPosixCharClassCode::Dump() const {
  return std::string(FNegative ? "[:^" : "[:") + std::to_string(static_cast<int>(FKind)) + ":]";
}

// ------------------------------------------------------------ \R and \X

bool TRELineBreakCharCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  const char16_t* end = cx.RangeEnd;
  if (p >= end || !REIsLineBreak(*p)) return false;
  len = (*p == 0x0D && p + 1 < end && p[1] == 0x0A) ? 2 : 1;
  return true;
}

const char16_t* TRELineBreakCharCode::PrevRepeat(const char16_t* p, const char16_t* loopStart) const {
  if (p - loopStart >= 2 && p[-1] == 0x0A && p[-2] == 0x0D) return p - 2;
  return p - 1;
}

static bool IsMark(std::uint32_t c) {
  return c <= UnicodeMaxCodePoint && GetUnicodeGeneralCategory(c) == upM;
}

bool TRECombiningSequence::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  const char16_t* end = cx.RangeEnd;
  if (p >= end) return false;
  const char16_t* q = p;
  REReadChar(q, end);  // the base (a lone mark forms a sequence of its own)
  while (q < end) {
    const char16_t* r = q;
    if (!IsMark(REReadChar(r, end))) break;
    q = r;
  }
  len = static_cast<int>(q - p);
  return true;
}

const char16_t* TRECombiningSequence::PrevRepeat(const char16_t* p, const char16_t* loopStart) const {
  const char16_t* q = REPrevFoldedChar(p, loopStart, {});
  while (q > loopStart) {
    const char16_t* r = q;
    if (!IsMark(REReadChar(r, p))) break;
    q = REPrevFoldedChar(q, loopStart, {});
  }
  return q;
}

// -------------------------------------------------------- TRECharClassCode

void TRECharClassCode::Add(std::uint32_t from, std::uint32_t to) {
  AddRange(from, to);
  TRECompareOptions co = CompareOptions();
  if (co.Empty()) return;
  // Folding changes nothing above the Deseret block (the last cased letters
  // of the tables), and the images of folded characters lie below it, so a
  // range covering U+0020..U+1044F already holds every image.
  constexpr std::uint32_t kLastFolded = 0x1044F;
  if (from <= 0x20 && to >= kLastFolded) return;
  for (std::uint32_t c = from; c <= to && c <= kLastFolded; ++c) {
    std::uint32_t f = REFoldChar(c, co);
    if (f != c && (f < from || f > to)) AddRange(f, f);
  }
}

void TRECharClassCode::Add(std::unique_ptr<TRECharLevelCode> code) { FMembers.push_back(std::move(code)); }

void TRECharClassCode::Sort() {
  std::sort(FRanges.begin(), FRanges.end());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> merged;
  for (auto r : FRanges) {
    if (!merged.empty() && r.first <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, r.second);
    } else {
      merged.push_back(r);
    }
  }
  FRanges.swap(merged);
}

bool TRECharClassCode::InRanges(std::uint32_t c) const {
  auto it = std::upper_bound(FRanges.begin(), FRanges.end(), c,
                             [](std::uint32_t v, const auto& r) { return v < r.first; });
  if (it == FRanges.begin()) return false;
  --it;
  return c <= it->second;
}

bool TRECharClassCode::MatchChar(std::uint32_t c) const {
  bool in = InRanges(c);
  for (std::size_t i = 0; !in && i < FMembers.size(); ++i) in = FMembers[i]->MatchChar(c);
  return in != FNegative;
}

bool TRECharClassCode::AcceptsAsciiSlow(char16_t u) const {
  bool in = InRanges(FFoldSubject ? REFoldChar(u, CompareOptions()) : u);
  for (std::size_t i = 0; !in && i < FMembers.size(); ++i) in = FMembers[i]->MatchChar(u);
  return in != FNegative;
}

bool TRECharClassCode::IsEqual(const TREContext& cx, const char16_t* p, int& len) const {
  const char16_t* end = cx.RangeEnd;
  if (p >= end) return false;
  if (*p < 0x80) {
    if (!AcceptsAscii(*p)) return false;
    len = 1;
    return true;
  }
  const char16_t* q = p;
  std::uint32_t folded = ReadFor(q, end, FFoldSubject, CompareOptions());
  bool in = InRanges(folded);
  if (!in && !FMembers.empty()) {
    const char16_t* r = p;
    std::uint32_t raw = REReadChar(r, end);
    for (std::size_t i = 0; !in && i < FMembers.size(); ++i) in = FMembers[i]->MatchChar(raw);
  }
  if (in == FNegative) return false;
  len = static_cast<int>(q - p);
  return true;
}

std::string TRECharClassCode::Dump() const {
  std::string s = FNegative ? "class^[" : "class[";
  for (auto& r : FRanges) {
    s += CharText(r.first);
    if (r.second != r.first) s += "-" + CharText(r.second);
  }
  for (auto& m : FMembers) s += " " + m->Dump();
  return s + "]";
}

}  // namespace vantora
