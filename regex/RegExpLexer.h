// TRELex: cuts a pattern (UTF-16) into tokens for the parser.
//
// The lexer is a cursor over the pattern plus the values of the current
// token. Its whole state is one copyable record (TRELexRec), so the parser
// can look ahead and go back with Save/Restore. Contexts: normal text,
// inside a bracketed class (members come as tkChar, tkRangeChar, type and
// property tokens, then tkCharClassEnd) and inside \Q...\E. The current
// options decide extended-mode white space and the half-width voiced-mark
// combination; the parser sets them (inline option groups) and restores
// them at group ends.
//
// Errors: Error() raises ERegExpCompile with the message formatted with the
// pattern fragment from the token start through the character at the error
// position (plus "..." when the fragment is not empty), then "; " and the
// pattern with " <-- " inserted after that character.
// Covered by tests/regex/test_lexer.cpp and tests/regex/test_compile_errors.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "regex/RegExpTypes.h"
#include "regex/UnicodeProp.h"

namespace vantora {

class TRegExp;

// The lexer's state: position and the current token's values.
struct TRELexRec {
  std::size_t Pos = 0;          // index of the next unread code unit
  std::size_t TokenStart = 0;   // index where the current token began
  TREToken Token = tkEnd;
  TREContextKind Context = ctNormal;
  bool ClassFirst = false;      // at the first member of a class
  std::uint32_t Char = 0;       // tkChar: the code point (unfolded)
  std::uint32_t StartChar = 0;  // tkRangeChar: first and last code point
  std::uint32_t LastChar = 0;
  int Min = 0;                  // quantifiers; tkCallout number in Min
  int Max = 0;
  int Number = 0;               // group / reference number (relative: signed)
  TUnicodeProperty Property = upC;
  TREPosixClassKind PosixKind = pckNone;
  std::u16string Name;          // group names, verb names
  TREOptions Options;           // options in force
  TREOptions NewOptions;        // tkOption / tkLParWithOption: the options set
  bool HasNumber = false;       // tkIfMatchRef/tkInSubRef: number (else Name)
};

class TRELex {
 public:
  TRELex(const std::u16string& pattern, TREOptions options);

  // Reads the next token into the state and returns it.
  TREToken GetToken();
  // The fast step of a literal run: when the unit at the cursor is an
  // ordinary character of plain text (normal context, neither extended
  // mode nor width folding, no metacharacter, no surrogate), reads it as
  // GetToken would and returns true; otherwise changes nothing.
  bool NextPlainChar();
  TREToken Token() const { return S.Token; }
  const TRELexRec& State() const { return S; }
  TRELexRec Save() const { return S; }
  void Restore(const TRELexRec& rec) { S = rec; }

  TREOptions Options() const { return S.Options; }
  void SetOptions(TREOptions o) { S.Options = o; }
  // Number of capturing groups opened so far (decides \nn back-reference
  // versus octal); kept up to date by the parser.
  void SetGroupCount(int n) { FGroupCount = n; }
  const std::u16string& Pattern() const { return FPattern; }

  // Raises ERegExpCompile: msg formatted with the fragment ending at the
  // character at errorPos (default: the character before the cursor).
  [[noreturn]] void Error(const char16_t* msg) const;
  [[noreturn]] void ErrorAt(const char16_t* msg, std::size_t errorPos) const;
  // The same with the fragment starting at 'from' instead of the token start.
  [[noreturn]] void ErrorSpan(const char16_t* msg, std::size_t from, std::size_t errorPos) const;
  // Raises with msg formatted by a value (group errors) or a name, with the
  // marker at the cursor.
  [[noreturn]] void ErrorValue(const char16_t* msg, long long value) const;
  [[noreturn]] void ErrorName(const char16_t* msg, const std::u16string& name) const;

 private:
  // The fields a token sets, back to "none" before the next token is read.
  void ClearTokenFields();
  bool AtEnd() const { return S.Pos >= FPattern.size(); }
  char16_t Peek(std::size_t ahead = 0) const {
    return S.Pos + ahead < FPattern.size() ? FPattern[S.Pos + ahead] : u'\0';
  }
  bool Has(std::size_t ahead) const { return S.Pos + ahead < FPattern.size(); }
  std::uint32_t ReadPatternChar();
  void SkipExtendedSpace();

  TREToken LexNormal();
  TREToken LexClassMember();
  TREToken LexQuote();
  TREToken LexParen();
  TREToken LexVerb();
  TREToken LexOption();
  TREToken LexCondition();
  TREToken LexBrace();
  TREToken LexEscape();
  // Escapes that give one character (shared by text and classes): returns
  // true and sets c when the escape at the cursor (after the backslash) is
  // such an escape.
  bool LexEscChar(std::uint32_t& c);
  TREToken LexProperty(bool negative);
  bool LexPosixCharClass(bool& negative, TREPosixClassKind& kind, bool inClass);
  std::u16string ReadGroupName(char16_t close);
  bool ReadDelimitedGroup(char16_t close, bool& relative);
  int GetDigit();
  std::uint32_t GetOctalDigit();

  std::u16string FPattern;
  TRELexRec S;
  int FGroupCount = 0;
};

}  // namespace vantora
