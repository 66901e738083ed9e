// TRECode: the base of every leaf of a compiled program (a literal, a class,
// an anchor, a back-reference...), and the character folding that compare
// options apply to pattern and subject alike.
//
// A leaf answers questions about the subject at a position p (a pointer into
// the subject, RangeTop <= p <= RangeEnd of the search's TREContext); it never
// reads outside [RangeTop, RangeEnd) except that zero-width leaves
// (\b, ^, look-behind helpers) may look at the code unit before p when
// p > TextTop. Leaves are immutable once the parser has built them and read
// everything that belongs to a search from the TREContext passed in, so a
// program can be run any number of times, also by several threads at once.
//
// Repetition (fast single-leaf loops): Repeat consumes up to max whole
// repetitions and returns how many; PrevRepeat steps back over exactly one
// repetition, which lets the matcher give back repetitions one at a time
// without recording each position. The parser uses the fast loop forms only
// for leaves whose CanRepeatFast is true.
//
// The leaf families live in RegExpCodeChar.h (characters, literals, classes,
// character types) and RegExpCodeAssert.h (anchors, boundaries,
// back-references, conditions, callouts).
// Covered by tests/regex/test_code.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "regex/RegExpTypes.h"

namespace vantora {

// What a leaf reads of the search that runs it: the whole subject, the
// range the search may use, where the previous match ended (\G) and the
// current capture records with the links of same-named groups
// (back-references and group conditions). The match state owns it; the
// leaves themselves hold no search state, so one program can be run by
// several searches at once.
struct TREContext {
  const char16_t* TextTop = nullptr;
  const char16_t* TextEnd = nullptr;
  const char16_t* RangeTop = nullptr;
  const char16_t* RangeEnd = nullptr;
  const char16_t* LastMatchEnd = nullptr;  // nullptr before the first match
  const TRECapture* Captures = nullptr;    // by group index, GroupCount records
  const int* SameGroup = nullptr;          // by group index: next group of its name, 0 none
  int GroupCount = 0;                      // including group 0
};

// ------------------------------------------------------------------ folding

// Reads one code point at p (p < end): a surrogate pair counts as one, a
// lone surrogate is returned as it is. Advances p.
std::uint32_t REReadChar(const char16_t*& p, const char16_t* end);

// Folds one code point by the compare options: upper case (coIgnoreCase),
// ASCII and half-width katakana to full width (coIgnoreWidth), hiragana to
// katakana (coIgnoreKana).
std::uint32_t REFoldChar(std::uint32_t c, TRECompareOptions co);

// Reads and folds one character at p (p < end). With coIgnoreWidth a
// half-width katakana followed by a half-width (semi-)voiced sound mark is
// read as the one voiced full-width letter (two code units) where such a
// letter exists. Advances p.
std::uint32_t REReadFoldedChar(const char16_t*& p, const char16_t* end, TRECompareOptions co);

// The start of the character that ends at p, as REReadFoldedChar would have
// read it when reading forward from a position at or before 'start';
// never goes below start. p > start.
const char16_t* REPrevFoldedChar(const char16_t* p, const char16_t* start, TRECompareOptions co);

// Appends a code point as UTF-16.
void REAppendChar(std::u16string& s, std::uint32_t c);

// Line-break characters for ., ^, $ and \Z: U+000A..U+000D, U+0085,
// U+2028, U+2029.
constexpr bool REIsLineBreak(std::uint32_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// ----------------------------------------------------------------- TRECode

// The class of a leaf, for the parser, the optimiser and the matcher to
// dispatch on without a dynamic_cast. Every concrete leaf sets its kind
// (subclasses of the classes named here keep it); rules that allow
// something only for the kinds they know treat ckOther as unknown.
enum TRECodeKind : std::uint8_t {
  ckOther,
  // Leaves that consume text.
  ckChar,            // TRECharCode: one character (a TRECharLevelCode)
  ckCharLevel,       // any other TRECharLevelCode: a class, type, property...
  ckLiteral,         // TRELiteralCode: a run of characters
  ckAnyChar,         // TREAnyCharCode: .
  ckLineBreak,       // TRELineBreakCharCode: \R
  ckCombining,       // TRECombiningSequence: \X
  ckReference,       // TREReferenceCode (and named): a back-reference
  ckCallout,         // TRECalloutCode
  // Zero-width leaves (TREZeroWidthCode), from ckLineHead on.
  ckLineHead,        // TRELineHeadCode: ^
  ckLineTail,        // TRELineTailCode: $
  ckTextHead,        // TRETextHeadCode: \A
  ckTextTail,        // TRETextTailCode: \Z
  ckTextEnd,         // TRETextEndCode: \z
  ckBoundary,        // TREBoundaryCode: \b \B
  ckGlobalPos,       // TREGlobalPosCode: \G
  ckIfThenReference, // TREIfThenReferenceCode (and named): the (?(1)...) test
  ckInSubReference,  // TREInSubReferenceCode: the (?(R1)...) test
};

// Leaves of TRECharLevelCode: exactly one character.
constexpr bool REIsCharLevelKind(TRECodeKind k) { return k == ckChar || k == ckCharLevel; }
// Leaves of TREZeroWidthCode.
constexpr bool REIsZeroWidthKind(TRECodeKind k) { return k >= ckLineHead; }
// Leaves that test a group's capture or the call stack, not the subject.
constexpr bool REIsGroupTestKind(TRECodeKind k) { return k == ckIfThenReference || k == ckInSubReference; }

class TRECode {
 public:
  explicit TRECode(TREOptions options, TRECodeKind kind = ckOther);
  virtual ~TRECode() = default;
  TRECode(const TRECode&) = delete;
  TRECode& operator=(const TRECode&) = delete;

  // Code units one match consumes: a fixed count, or -1 when it varies.
  int GetLength() const;
  // Code points one match consumes: a fixed count, or -1 when it varies.
  int GetCharLength() const;
  // Minimum and maximum code units (max -1 = unbounded).
  virtual void GetLengthRange(int& min, int& max) const;
  // Minimum and maximum code points (max -1 = unbounded).
  virtual void GetCharLengthRange(int& min, int& max) const;

  // Whether the node matches at p.
  bool Compare(const TREContext& cx, const char16_t* p) const;
  // Whether this node can match the first character of another node.
  virtual bool CompareCode(const TRECode* code) const;
  // Consumes as many repetitions as possible (plus: at least one).
  bool ExecRepeat(const TREContext& cx, const char16_t*& p, bool isStar) const;
  // Consumes min..max repetitions, as many as possible (max >= 32767:
  // unbounded). Fails, leaving p, when fewer than min are possible.
  bool ExecRepeat(const TREContext& cx, const char16_t*& p, int min, int max) const;
  // Consumes up to max repetitions (max < 0: unbounded); returns the count.
  virtual int Repeat(const TREContext& cx, const char16_t*& p, int max) const;
  // The position one repetition before p, where loopStart is where the
  // repetitions began (p > loopStart).
  virtual const char16_t* PrevRepeat(const char16_t* p, const char16_t* loopStart) const;
  // Whether Repeat/PrevRepeat are exact, so a fast loop may use them.
  virtual bool CanRepeatFast() const { return false; }
  // The first position at or after p where the node matches, or nullptr.
  virtual const char16_t* Find(const TREContext& cx, const char16_t* p) const;
  // Tests at p; on success len = code units consumed.
  virtual bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const;
  // Whether every character this node's argument matches is matched here.
  virtual bool IsInclude(const TRECode* code) const;
  // Whether the two nodes can match a common character (conservative: true
  // when unsure).
  virtual bool IsOverlap(const TRECode* code) const;
  // Whether the node fixes the match position (^, \A ...).
  virtual bool IsAnchored() const { return false; }
  // A short description for program listings.
  virtual std::string Dump() const = 0;

  TRECodeKind Kind() const { return FKind; }
  TREOptions Options() const { return FOptions; }
  TRECompareOptions CompareOptions() const { return FCompareOptions; }

 protected:
  TRECodeKind FKind;
  TREOptions FOptions;
  TRECompareOptions FCompareOptions;
};

}  // namespace vantora
