// The shared character-escape reader (see RegExpEscapeGrammar.h).
#include "regex/RegExpEscapeGrammar.h"

namespace vantora {

namespace {
int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

TREEscape Char(std::uint32_t c, std::size_t end) { return {ekCharacter, c, end, eeNone}; }
TREEscape Malformed(TREEscapeError error, std::size_t end) { return {ekMalformed, 0, end, error}; }

// At the unit after "\x".
TREEscape ReadHex(std::u16string_view text, std::size_t i) {
  const std::size_t n = text.size();
  if (i < n && text[i] == u'{') {
    ++i;
    std::uint32_t v = 0;
    int digits = 0;
    for (; digits < 6; ++digits, ++i) {
      if (i >= n) return Malformed(eeMissingBrace, n);
      if (text[i] == u'}') break;
      const int d = HexValue(text[i]);
      if (d < 0) return Malformed(eeHexDigitRequired, i + 1);
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    if (digits == 0) return Malformed(eeHexDigitRequired, i + 1);
    if (i >= n) return Malformed(eeMissingBrace, n);
    if (text[i] != u'}') return Malformed(eeMissingBrace, i + 1);
    ++i;
    if (v > 0x10FFFF) return Malformed(eeCodePointRange, i);
    return Char(v, i);
  }
  std::uint32_t v = 0;
  for (int k = 0; k < 2; ++k, ++i) {
    if (i >= n) return Malformed(eeHexDigitRequired, n);
    const int d = HexValue(text[i]);
    if (d < 0) return Malformed(eeHexDigitRequired, i + 1);
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  return Char(v, i);
}

// At the unit after "\c": the control code of @, A..Z (also a..z), [, backslash
// (written \c\\), ], ^ and _.
TREEscape ReadControl(std::u16string_view text, std::size_t i, bool lenient) {
  const std::size_t n = text.size();
  if (i >= n) return lenient ? TREEscape{ekNothing, 0, n, eeNone} : Malformed(eeControlSyntax, n);
  char16_t c = text[i++];
  if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
  if (c == u'\\') {
    if (i >= n || text[i] != u'\\') return Malformed(eeControlSyntax, i);
    return Char(0x1C, i + 1);
  }
  if ((c >= u'A' && c <= u'Z') || c == u'@' || c == u'[' || c == u']' || c == u'^' || c == u'_')
    return Char(static_cast<std::uint32_t>(c) ^ 0x40u, i);
  return lenient ? TREEscape{ekNothing, 0, i, eeNone} : Malformed(eeControlSyntax, i);
}
}  // namespace

TREEscape REReadOctalEscape(std::u16string_view text, std::size_t pos) {
  std::uint32_t v = 0;
  std::size_t i = pos;
  for (; i < text.size() && i - pos < 3 && text[i] >= u'0' && text[i] <= u'7'; ++i)
    v = v * 8 + static_cast<std::uint32_t>(text[i] - u'0');
  return Char(v, i);
}

TREEscape REReadCharEscape(std::u16string_view text, std::size_t pos, bool lenientControl) {
  switch (text[pos]) {
    case u'a': return Char(0x07, pos + 1);
    case u'e': return Char(0x1B, pos + 1);
    case u'f': return Char(0x0C, pos + 1);
    case u'n': return Char(0x0A, pos + 1);
    case u'r': return Char(0x0D, pos + 1);
    case u't': return Char(0x09, pos + 1);
    case u'c': return ReadControl(text, pos + 1, lenientControl);
    case u'x': return ReadHex(text, pos + 1);
    case u'0': return REReadOctalEscape(text, pos);
    default: return {};
  }
}

}  // namespace vantora
