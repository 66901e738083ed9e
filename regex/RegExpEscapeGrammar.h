// The character escapes shared by patterns (TRELex) and replacement
// templates (TRegExp::DecodeEscape): one reader decides what \a \e \f \n \r
// \t, \cX, \xHH, \x{H...} and octal digits stand for, where they end and
// what is wrong with a malformed one. Each caller decides which letters it
// hands over (a pattern reads \1..\9 as back-references first) and how an
// error is reported.
// Covered by tests/regex/test_lexer.cpp, tests/regex/test_compile_errors.cpp
// and tests/regex/test_regexp_escape.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantora {

enum TREEscapeKind : std::uint8_t {
  ekNotCharEscape,  // the letter does not start a character escape
  ekCharacter,      // Char, the escape ends at End
  ekNothing,        // stands for no character (lenient \c only); ends at End
  ekMalformed,      // Error; End is one past the offending unit (or the text end)
};

enum TREEscapeError : std::uint8_t {
  eeNone,
  eeHexDigitRequired,  // \x without its digits, or a non-digit inside \x{...}
  eeMissingBrace,      // \x{... without its closing brace (or more than 6 digits)
  eeCodePointRange,    // \x{...} above U+10FFFF
  eeControlSyntax,     // \c at the end, before a character without a control code, or \c\ not doubled
};

struct TREEscape {
  TREEscapeKind Kind = ekNotCharEscape;
  std::uint32_t Char = 0;
  std::size_t End = 0;
  TREEscapeError Error = eeNone;
};

// Reads the escape whose letter is text[pos] (the unit after the
// backslash; pos < text.size()). '0' starts an octal escape. Lenient
// control escapes (templates): \c at the end or before a character that
// has no control code stands for nothing instead of being malformed.
TREEscape REReadCharEscape(std::u16string_view text, std::size_t pos, bool lenientControl);

// Up to three octal digits from pos (none read: value 0, End = pos).
TREEscape REReadOctalEscape(std::u16string_view text, std::size_t pos);

}  // namespace vantora
