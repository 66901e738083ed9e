// Escape operations of TRegExp: DecodeEscape (backslash escapes to
// characters, used on replacement templates), EncodeEscape (control and
// unassigned characters to escapes, for showing text) and EscapeRegExChars
// (makes a text match itself literally as a pattern).
//
// DecodeEscape reads left to right with the escape reader the pattern
// lexer uses (RegExpEscapeGrammar.h); an escape never reads past the end of
// the text, and every error is an ERegExp-family exception whose message
// quotes the text up to the offending character followed by " <-- ".
// Covered by tests/regex/test_regexp_escape.cpp.
#include <algorithm>

#include "regex/RegExpConst.h"
#include "regex/RegExpEscapeGrammar.h"
#include "regex/RegExpW.h"
#include "regex/UnicodeProp.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {
// The text up to and including position i, followed by " <-- ".
std::u16string Upto(const std::u16string& text, std::size_t i) {
  return text.substr(0, std::min(text.size(), i + 1)) + u" <-- ";
}

// A malformed escape whose letter is at 'letter': the message quotes the
// text up to the offending unit. \xHH without its digits is reported as a
// compile error, every other one as an escape error.
[[noreturn]] void RaiseEscapeError(const std::u16string& text, std::size_t letter, const TREEscape& e) {
  const std::u16string where = Upto(text, e.End - 1);
  switch (e.Error) {
    case eeHexDigitRequired:
      if (letter + 1 >= text.size() || text[letter + 1] != u'{')
        throw ERegExpCompile(REFormat(sHexDigitIsRequired, where));
      throw ERegExp(REFormat(sHexDigitIsRequired, where));
    case eeMissingBrace: throw ERegExp(REFormat(sUnmatchedCurlyBracket, where));
    case eeCodePointRange: throw ERegExp(REFormat(sCodePointRangeOver, where));
    default: throw ERegExp(REFormat(sInvalidEscapeCharacterSyntax, where));
  }
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
    const std::size_t letter = i + 1;
    const char16_t e = text[letter];
    // Octal escapes start with 0..3 here (one unit at most); any other
    // letter that is no character escape stands for itself.
    const TREEscape esc = e >= u'1' && e <= u'3' ? REReadOctalEscape(text, letter)
                                                 : REReadCharEscape(text, letter, true);
    switch (esc.Kind) {
      case ekCharacter: REAppendUtf16(out, esc.Char); i = esc.End; break;
      case ekNothing: i = esc.End; break;
      case ekMalformed: RaiseEscapeError(text, letter, esc);
      case ekNotCharEscape: out += e; i = letter + 1; break;
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
