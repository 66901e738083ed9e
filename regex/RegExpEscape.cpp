// Escape operations of TRegExp: DecodeEscape (backslash escapes to
// characters, used on replacement templates), EncodeEscape (control and
// unassigned characters to escapes, for showing text) and EscapeRegExChars
// (makes a text match itself literally as a pattern).
//
// DecodeEscape reads left to right; an escape never reads past the end of
// the text, and every error is an ERegExp-family exception whose message
// quotes the text up to the offending character followed by " <-- ".
// Covered by tests/regex/test_regexp_escape.cpp.
#include "regex/RegExpConst.h"
#include "regex/RegExpW.h"
#include "regex/UnicodeProp.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {
int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void AppendCodePoint(std::u16string& s, std::uint32_t c) { REAppendUtf16(s, c); }

// The text up to and including position i, followed by " <-- ".
std::u16string Upto(const std::u16string& text, std::size_t i) {
  return text.substr(0, std::min(text.size(), i + 1)) + u" <-- ";
}
}  // namespace

std::u16string TRegExp::DecodeEscape(const std::u16string& text) {
  if (text.find(u'\\') == std::u16string::npos) return text;
  std::u16string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char16_t c = text[i];
    if (c != u'\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= n) {  // a lone backslash at the end stays
      out += c;
      break;
    }
    const char16_t e = text[i + 1];
    i += 2;
    switch (e) {
      case u'0': case u'1': case u'2': case u'3': {
        std::uint32_t v = static_cast<std::uint32_t>(e - u'0');
        for (int k = 0; k < 2 && i < n && text[i] >= u'0' && text[i] <= u'7'; ++k, ++i)
          v = v * 8 + static_cast<std::uint32_t>(text[i] - u'0');
        out += static_cast<char16_t>(v);
        break;
      }
      case u'a': out += u'\a'; break;
      case u'e': out += char16_t{0x1B}; break;
      case u'f': out += u'\f'; break;
      case u'n': out += u'\n'; break;
      case u'r': out += u'\r'; break;
      case u't': out += u'\t'; break;
      case u'c': {
        if (i >= n) break;
        char16_t x = text[i];
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 0x20);
        if (x == u'\\') {
          if (i + 1 >= n || text[i + 1] != u'\\')
            throw ERegExp(REFormat(sInvalidEscapeCharacterSyntax, Upto(text, i)));
          out += static_cast<char16_t>(x ^ 0x40);
          i += 2;
        } else if ((x >= u'A' && x <= u'Z') || x == u'@' || x == u'[' || x == u']' || x == u'^' ||
                   x == u'_') {
          out += static_cast<char16_t>(x ^ 0x40);
          ++i;
        } else {
          ++i;  // yields nothing
        }
        break;
      }
      case u'x': {
        if (i < n && text[i] == u'{') {
          ++i;
          std::uint32_t v = 0;
          int digits = 0;
          for (;;) {
            if (i >= n) throw ERegExp(REFormat(sUnmatchedCurlyBracket, Upto(text, n - 1)));
            const char16_t h = text[i];
            if (h == u'}' && digits > 0) {
              ++i;
              break;
            }
            if (digits == 6) throw ERegExp(REFormat(sUnmatchedCurlyBracket, Upto(text, i)));
            const int d = HexValue(h);
            if (d < 0) throw ERegExp(REFormat(sHexDigitIsRequired, Upto(text, i)));
            v = v * 16 + static_cast<std::uint32_t>(d);
            ++digits;
            ++i;
          }
          if (v > 0x10FFFF) throw ERegExp(REFormat(sCodePointRangeOver, Upto(text, i - 1)));
          AppendCodePoint(out, v);
        } else {
          std::uint32_t v = 0;
          for (int k = 0; k < 2; ++k) {
            const int d = i < n ? HexValue(text[i]) : -1;
            if (d < 0) throw ERegExpCompile(REFormat(sHexDigitIsRequired, Upto(text, i < n ? i : n - 1)));
            v = v * 16 + static_cast<std::uint32_t>(d);
            ++i;
          }
          out += static_cast<char16_t>(v);
        }
        break;
      }
      default:
        out += e;
        break;
    }
  }
  return out;
}

std::u16string TRegExp::EncodeEscape(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    switch (c) {
      case 0x07: out += u"\\a"; continue;
      case 0x09: out += u"\\t"; continue;
      case 0x0A: out += u"\\n"; continue;
      case 0x0C: out += u"\\f"; continue;
      case 0x0D: out += u"\\r"; continue;
      case 0x1B: out += u"\\e"; continue;
      default: break;
    }
    std::uint32_t cp = c;
    std::size_t len = 1;
    if (REIsHighSurrogate(c) && i + 1 < n && REIsLowSurrogate(text[i + 1])) {
      cp = RECombineSurrogates(c, text[i + 1]);
      len = 2;
    }
    const bool lone = len == 1 && REIsSurrogate(c);
    const TUnicodeProperty cat = GetUnicodeCategory(cp);
    const bool white = cp == 0x0B || cp == 0x85 || GetUnicodeGeneralCategory(cp) == upZ;
    if (!white && (lone || cat == upCc || cat == upCn)) {
      static const char16_t* digits = u"0123456789ABCDEF";
      std::u16string hex;
      for (std::uint32_t v = cp; v != 0 || hex.empty(); v >>= 4) hex.insert(hex.begin(), digits[v & 15]);
      out += u"\\x{" + hex + u"}";
    } else {
      out.append(text, i, len);
    }
    i += len - 1;
  }
  return out;
}

std::u16string TRegExp::EscapeRegExChars(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    switch (c) {
      case u'$': case u'(': case u')': case u'*': case u'+': case u'.': case u'?': case u'[':
      case u'\\': case u']': case u'^': case u'{': case u'|': case u'}':
        out += u'\\';
        out += c;
        break;
      case 0:
        out += u"\\0";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

std::u16string DecodeEscape(const std::u16string& text) { return TRegExp::DecodeEscape(text); }
std::u16string EncodeEscape(const std::u16string& text) { return TRegExp::EncodeEscape(text); }

}  // namespace vantora
