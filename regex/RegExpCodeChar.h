// Character-consuming leaves: single characters, literal strings, '.', the
// character types (\w \d \s \h \v and negations), \R, \X, Unicode
// properties, POSIX classes and bracketed classes.
//
// Every leaf derived from TRECharLevelCode consumes exactly one character
// (one code point; with coIgnoreWidth a half-width katakana with its voiced
// sound mark counts as one character) and decides by MatchChar on the
// character as read. Characters and classes read the subject folded by their
// compare options (their own contents were folded the same way when built);
// the character types and properties read it unfolded.
// Covered by tests/regex/test_code.cpp.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regex/RegExpCode.h"
#include "regex/UnicodeProp.h"

namespace vantora {

// Character-type predicates shared by the leaves and \b.
bool REIsWordChar(std::uint32_t c, bool legacy);
bool REIsDigitChar(std::uint32_t c, bool legacy);
bool REIsSpaceChar(std::uint32_t c, bool legacy);
bool REIsHorizontalSpace(std::uint32_t c);
bool REIsVerticalSpace(std::uint32_t c);
bool REIsPosixClass(std::uint32_t c, TREPosixClassKind kind, bool legacy);

// A leaf that consumes exactly one character.
class TRECharLevelCode : public TRECode {
 public:
  TRECharLevelCode(TREOptions options, bool foldSubject, TRECodeKind kind = ckCharLevel)
      : TRECode(options, kind), FFoldSubject(foldSubject && !CompareOptions().Empty()) {}
  // Whether the leaf accepts c, a character as read from the subject
  // (folded when the leaf folds the subject).
  virtual bool MatchChar(std::uint32_t c) const = 0;
  // Whether the leaf accepts the unfolded code point c.
  bool AcceptsRaw(std::uint32_t c) const {
    return MatchChar(FFoldSubject ? REFoldChar(c, CompareOptions()) : c);
  }
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  int Repeat(const TREContext& cx, const char16_t*& p, int max) const override;
  const char16_t* PrevRepeat(const char16_t* p, const char16_t* loopStart) const override;
  bool CanRepeatFast() const override { return true; }
  void GetLengthRange(int& min, int& max) const override;
  void GetCharLengthRange(int& min, int& max) const override { min = max = 1; }
  bool CompareCode(const TRECode* code) const override;
  bool IsInclude(const TRECode* code) const override;
  bool IsOverlap(const TRECode* code) const override;
  // A character the leaf surely matches first, when it has exactly one
  // (characters); 0xFFFFFFFF otherwise.
  virtual std::uint32_t SingleChar() const { return 0xFFFFFFFFu; }
  bool FoldsSubject() const { return FFoldSubject; }

 protected:
  // The answer for an ASCII unit (a whole character under every folding),
  // tabled at its first use. Threads sharing a program may fill the same
  // entry at once: each entry is an atomic byte (0 not yet known, 1 no,
  // 2 yes), and every thread writes the same answer.
  bool AcceptsAscii(char16_t u) const {
    std::uint8_t known = FAscii[u].load(std::memory_order_relaxed);
    if (known == 0) {
      known = AcceptsAsciiSlow(u) ? 2 : 1;
      FAscii[u].store(known, std::memory_order_relaxed);
    }
    return known == 2;
  }
  virtual bool AcceptsAsciiSlow(char16_t u) const { return AcceptsRaw(u); }

  bool FFoldSubject;
  mutable std::array<std::atomic<std::uint8_t>, 128> FAscii{};
};

// One literal character (stored folded).
class TRECharCode : public TRECharLevelCode {
 public:
  TRECharCode(std::uint32_t ch, TREOptions options);
  bool MatchChar(std::uint32_t c) const override { return c == FChar; }
  void GetLengthRange(int& min, int& max) const override;
  const char16_t* Find(const TREContext& cx, const char16_t* p) const override;
  std::uint32_t SingleChar() const override { return FChar; }
  std::uint32_t Char() const { return FChar; }
  std::string Dump() const override;

 private:
  std::uint32_t FChar;
};

// Two or more literal characters with the same options (stored folded).
class TRELiteralCode : public TRECode {
 public:
  TRELiteralCode(const std::vector<std::uint32_t>& chars, TREOptions options);
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  void GetLengthRange(int& min, int& max) const override;
  void GetCharLengthRange(int& min, int& max) const override;
  bool CanRepeatFast() const override { return GetLength() > 0; }
  const char16_t* Find(const TREContext& cx, const char16_t* p) const override;
  bool CompareCode(const TRECode* code) const override;
  bool IsOverlap(const TRECode* code) const override;
  const std::u16string& Text() const { return FText; }
  const std::vector<std::uint32_t>& Chars() const { return FChars; }
  std::string Dump() const override;

 private:
  std::u16string FText;               // folded, as UTF-16
  std::vector<std::uint32_t> FChars;  // folded code points
};

// '.': one code unit, not a line break unless roSingleLine.
class TREAnyCharCode : public TRECode {
 public:
  explicit TREAnyCharCode(TREOptions options) : TRECode(options, ckAnyChar) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  int Repeat(const TREContext& cx, const char16_t*& p, int max) const override;
  bool CanRepeatFast() const override { return true; }
  void GetLengthRange(int& min, int& max) const override { min = max = 1; }
  void GetCharLengthRange(int& min, int& max) const override { min = max = 1; }
  bool IsOverlap(const TRECode* code) const override;
  bool SingleLine() const { return Options().Contains(roSingleLine); }
  std::string Dump() const override;
};

// \w \W, \d \D, \s \S, \h \H, \v \V.
class TRECharTypeCode : public TRECharLevelCode {
 public:
  enum TKind : std::uint8_t { ctWord, ctDigit, ctSpace, ctHorizontalSpace, ctVerticalSpace };
  TRECharTypeCode(TKind kind, bool negative, TREOptions options);
  bool MatchChar(std::uint32_t c) const override;
  void GetLengthRange(int& min, int& max) const override;
  std::string Dump() const override;
  TKind Kind() const { return FKind; }
  bool Negative() const { return FNegative; }

 private:
  TKind FKind;
  bool FNegative;
  bool FLegacy;
};

class TREWordCharCode : public TRECharTypeCode {
 public:
  TREWordCharCode(bool negative, TREOptions options)
      : TRECharTypeCode(ctWord, negative, options) {}
};
class TREDigitCharCode : public TRECharTypeCode {
 public:
  TREDigitCharCode(bool negative, TREOptions options)
      : TRECharTypeCode(ctDigit, negative, options) {}
};
class TRESpaceCharCode : public TRECharTypeCode {
 public:
  TRESpaceCharCode(bool negative, TREOptions options)
      : TRECharTypeCode(ctSpace, negative, options) {}
};
class TREHorizontalSpaceCharCode : public TRECharTypeCode {
 public:
  TREHorizontalSpaceCharCode(bool negative, TREOptions options)
      : TRECharTypeCode(ctHorizontalSpace, negative, options) {}
};
class TREVerticalSpaceCharCode : public TRECharTypeCode {
 public:
  TREVerticalSpaceCharCode(bool negative, TREOptions options)
      : TRECharTypeCode(ctVerticalSpace, negative, options) {}
};

// \p{...}, \P{...}.
class TREPropertyCode : public TRECharLevelCode {
 public:
  TREPropertyCode(TUnicodeProperty prop, bool negative, TREOptions options)
      : TRECharLevelCode(options, false), FProperty(prop), FNegative(negative) {}
  bool MatchChar(std::uint32_t c) const override {
    return IsUnicodeProperty(c, FProperty) != FNegative;
  }
  std::string Dump() const override;
  TUnicodeProperty Property() const { return FProperty; }

 private:
  TUnicodeProperty FProperty;
  bool FNegative;
};

// [:name:] and \p{isname}.
class TREPosixCharClassCode : public TRECharLevelCode {
 public:
  TREPosixCharClassCode(TREPosixClassKind kind, bool negative, TREOptions options)
      : TRECharLevelCode(options, false), FKind(kind), FNegative(negative) {}
  bool MatchChar(std::uint32_t c) const override {
    return REIsPosixClass(c, FKind, Options().Contains(roDefinedCharClassLegacy)) != FNegative;
  }
  std::string Dump() const override;

 private:
  TREPosixClassKind FKind;
  bool FNegative;
};

// \R: CR LF as one unit, or one line-break character.
class TRELineBreakCharCode : public TRECode {
 public:
  explicit TRELineBreakCharCode(TREOptions options) : TRECode(options, ckLineBreak) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  const char16_t* PrevRepeat(const char16_t* p, const char16_t* loopStart) const override;
  bool CanRepeatFast() const override { return true; }
  void GetLengthRange(int& min, int& max) const override { min = 1, max = 2; }
  void GetCharLengthRange(int& min, int& max) const override { min = 1, max = 2; }
  std::string Dump() const override { return "linebreak"; }
};

// \X: one character followed by any number of marks (marks attach to the
// character before them; a mark with none before it starts a sequence).
class TRECombiningSequence : public TRECode {
 public:
  explicit TRECombiningSequence(TREOptions options) : TRECode(options, ckCombining) {}
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  const char16_t* PrevRepeat(const char16_t* p, const char16_t* loopStart) const override;
  bool CanRepeatFast() const override { return true; }
  void GetLengthRange(int& min, int& max) const override { min = 1, max = -1; }
  void GetCharLengthRange(int& min, int& max) const override { min = 1, max = -1; }
  std::string Dump() const override { return "combining-seq"; }
};

// [...] and [^...]: ranges of folded characters plus member leaves.
class TRECharClassCode : public TRECharLevelCode {
 public:
  TRECharClassCode(bool negative, TREOptions options)
      : TRECharLevelCode(options, true), FNegative(negative) {}
  // Adds one character / a range (unfolded; folded images are added too).
  void Add(std::uint32_t c) { Add(c, c); }
  void Add(std::uint32_t from, std::uint32_t to);
  // Adds a member leaf (\d, \p{..}, [:alpha:] ...); the class takes it over.
  void Add(std::unique_ptr<TRECharLevelCode> code);
  // Orders and merges the ranges; called once after the last Add.
  void Sort();
  void Rebuild() { Sort(); }
  bool MatchChar(std::uint32_t c) const override;
  bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override;
  std::string Dump() const override;
  bool Negative() const { return FNegative; }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>>& Ranges() const { return FRanges; }

 private:
  bool InRanges(std::uint32_t c) const;
  bool AcceptsAsciiSlow(char16_t u) const override;
  void AddRange(std::uint32_t from, std::uint32_t to) { FRanges.emplace_back(from, to); }

  bool FNegative;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> FRanges;
  std::vector<std::unique_ptr<TRECharLevelCode>> FMembers;
};

// The leaf as one of these classes, decided by its kind; nullptr when it
// is not one.
inline const TRECharLevelCode* REAsCharLevel(const TRECode* c) {
  return c && REIsCharLevelKind(c->Kind()) ? static_cast<const TRECharLevelCode*>(c) : nullptr;
}
inline const TRECharCode* REAsChar(const TRECode* c) {
  return c && c->Kind() == ckChar ? static_cast<const TRECharCode*>(c) : nullptr;
}
inline const TRELiteralCode* REAsLiteral(const TRECode* c) {
  return c && c->Kind() == ckLiteral ? static_cast<const TRELiteralCode*>(c) : nullptr;
}

}  // namespace vantora
