// Enumerations and small value types shared by every stage of the regex
// pipeline (lexer -> parser -> NFA builder -> matcher): the option set, the
// compare options derived from it, the token, operator and NFA-state kinds,
// loop kinds, POSIX class kinds and the optimisation modes.
//
// Invariants: the ordinal order of every enumeration is fixed (option bits
// are stored by ordinal in a 16-bit set; code switches on the kinds).
// Covered by tests/regex/test_lexer.cpp and tests/regex/test_compile.cpp.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vantora {

// Options of a pattern. Bit n of TREOptions is the option of ordinal n.
enum TREOption : std::uint8_t {
  roNone,                    // no effect
  roIgnoreCase,              // i: fold both sides to upper case
  roMultiLine,               // m: ^ and $ also at line breaks
  roNamedGroupOnly,          // n: plain ( ) does not capture
  roSingleLine,              // s: . also matches line breaks
  roExtended,                // x: skip white space before each token
  roIgnoreWidth,             // w: half-width and full-width forms are equal
  roIgnoreKana,              // k: hiragana and katakana are equal
  roDefinedCharClassLegacy,  // \w \d \s \b use their ASCII definitions
  roAutoCallout,             // callout 255 before every item
};

// A set of TREOption stored as 16 bits.
class TREOptions {
 public:
  constexpr TREOptions() = default;
  constexpr explicit TREOptions(std::uint16_t bits) : FBits(bits) {}
  constexpr TREOptions(std::initializer_list<TREOption> list) {
    for (TREOption o : list) Include(o);
  }
  constexpr bool Contains(TREOption o) const { return (FBits >> o) & 1u; }
  constexpr void Include(TREOption o) { FBits = static_cast<std::uint16_t>(FBits | (1u << o)); }
  constexpr void Exclude(TREOption o) { FBits = static_cast<std::uint16_t>(FBits & ~(1u << o)); }
  constexpr void Set(TREOption o, bool on) { on ? Include(o) : Exclude(o); }
  constexpr std::uint16_t Bits() const { return FBits; }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TREOptions a, TREOptions b) { return a.FBits == b.FBits; }

 private:
  std::uint16_t FBits = 0;
};

// The default options of a new TRegExp (the empty set).
inline constexpr TREOptions RegExpDefaultOptions{};

// What the comparison routines fold: derived from TREOptions.
enum TRECompareOption : std::uint8_t { coIgnoreCase, coIgnoreWidth, coIgnoreKana };

class TRECompareOptions {
 public:
  constexpr TRECompareOptions() = default;
  constexpr bool Contains(TRECompareOption o) const { return (FBits >> o) & 1u; }
  constexpr void Include(TRECompareOption o) { FBits = static_cast<std::uint8_t>(FBits | (1u << o)); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr std::uint8_t Bits() const { return FBits; }
  friend constexpr bool operator==(TRECompareOptions a, TRECompareOptions b) { return a.FBits == b.FBits; }

 private:
  std::uint8_t FBits = 0;
};

constexpr TRECompareOptions REGetCompareOptions(TREOptions options) {
  TRECompareOptions r;
  if (options.Contains(roIgnoreCase)) r.Include(coIgnoreCase);
  if (options.Contains(roIgnoreWidth)) r.Include(coIgnoreWidth);
  if (options.Contains(roIgnoreKana)) r.Include(coIgnoreKana);
  return r;
}

// How much optimisation Compile and the matcher apply.
enum TOptimizeKind : std::uint8_t { opNone, opCompileOnly, opRuntimeOnly, opBoth };

// Lexer tokens.
enum TREToken : std::uint8_t {
  tkEnd, tkChar, tkUnion, tkQuest, tkDot, tkRangeChar, tkLHead, tkLTail, tkEmpty,
  tkLPar, tkRPar, tkStar, tkPlus, tkBound, tkCharClassFirst, tkNegativeCharClassFirst,
  tkCharClassEnd, tkGroupBegin, tkReference, tkReferenceRelative, tkNamedReference,
  tkLParWithOption, tkWordChar, tkNEWordChar, tkDigitChar, tkNEDigitChar, tkSpaceChar,
  tkNESpaceChar, tkTHead, tkTTail, tkTTailEnd, tkWordBoundary, tkNEWordBoundary,
  tkOption, tkHorizontalSpaceChar, tkNEHorizontalSpaceChar, tkVerticalSpaceChar,
  tkNEVerticalSpaceChar, tkLineBreak, tkPosixBracket, tkNEPosixBracket, tkProperty,
  tkNEProperty, tkNoBackTrack, tkKeepPattern, tkAheadMatch, tkAheadNoMatch,
  tkBehindMatch, tkBehindNoMatch, tkCombiningSequence, tkGoSub, tkGoSubName,
  tkGoSubRelative, tkIfMatch, tkIfMatchRef, tkGlobalPos, tkBranchReset, tkFail,
  tkCallout, tkInSubRef, tkDefine, tkbcPrune, tkbcSkip, tkbcMark, tkbcThen,
  tkbcCommit, tkbcAccept,
};

// Lexer context.
enum TREContextKind : std::uint8_t { ctNormal, ctCharClass, ctNegativeCharClass, ctQuote };

// Operator of a parser tree node (TREBinCode).
enum TREOperator : std::uint8_t {
  opEmply, opConcat, opUnion, opGroup, opLHead, opLTail, opQuest, opPlus, opStar,
  opBound, opLoop, opNoBackTrack, opKeepPattern, opAheadMatch, opAheadNoMatch,
  opBehindMatch, opBehindNoMatch, opGoSub, opIfMatch, opIfThen, opDefine, opFail,
  opPrune, opSkip, opMark, opThen, opCommint, opAccept,
};

// Kind of an NFA state (see RegExpNFA.h for the layout of each kind).
enum TRENFAKind : std::uint8_t {
  nkNormal, nkChar, nkEmpty, nkStar, nkPlus, nkBound, nkQuest, nkLoop, nkLoopExit,
  nkLoopEnd, nkGroupBegin, nkGroupEnd, nkKeepPattern, nkSuspend, nkMatchEnd, nkEnd,
  nkGoSub, nkAheadMatch, nkAheadNoMatch, nkBehindMatch, nkBehindNoMatch, nkIfMatch,
  nkIfThen, nkCallout, nkDefine, nkFail, nkPrune, nkSkip, nkMark, nkThen, nkCommit,
  nkAccept,
};

// Kind of a loop.
enum TRELoopKind : std::uint8_t {
  lkGreedy, lkReluctant, lkSimpleReluctant, lkPossessive,
  lkAny,                // greedy or possessive .* fast path
  lkCombiningSequence,  // greedy \X* fast path
};

// Start-position strategy and pre-match filter of the matcher.
enum TRELeadCharMode : std::uint8_t {
  lcmNone, lcmFirstLiteral, lcmSimple, lcmTextTop, lcmLineTop, lcmHasLead, lcmMap, lcmAnchor,
  lcmRunLiteral,
};
enum TREPreMatchMode : std::uint8_t { pmNone, pmTail, pmExitst, pmBranch };

// POSIX character classes ([:name:] and \p{isname}).
enum TREPosixClassKind : std::uint8_t {
  pckNone, pckAlnum, pckAlpha, pckAscii, pckBlank, pckCntrl, pckDigit, pckGraph,
  pckLower, pckPrint, pckUpper, pckPunct, pckSpace, pckSpacePerl, pckXdigit, pckWord,
  pckAny, pckAssigned,
};

// Kind of an optimisation record (TREOptimizeData).
enum TREOptimizeDataKind : std::uint8_t {
  odkNormal, odkLead, odkTail, odkLineHead, odkLineTail, odkTextHead, odkTextTail,
};

// One capture record. StartBuf keeps the start of a group that is open
// (set at group begin) until the group end copies it to StartP.
struct TRECapture {
  const char16_t* StartP = nullptr;
  const char16_t* EndP = nullptr;
  const char16_t* StartBuf = nullptr;
  bool Success = false;
};

// Largest repeat count; also the maximum that stands for "no upper bound".
inline constexpr int CONST_LoopMax = 32767;

}  // namespace vantora
