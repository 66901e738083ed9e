// TRELex: tokens of the pattern language (see RegExpLexer.h).
//
// GetToken dispatches on the context. In normal text the characters
// $ ( ) * + . ? [ \ ^ { | are special; '(' is refined by LexParen into
// groups, look-arounds, conditions, calls, options, comments and callouts;
// '(*' into verbs; '{' is a bound only when a digit follows. Inside a class
// LexClassMember reads one member (a character, a range a-b, a type escape,
// a property or a POSIX class) per call. Every read is bounded by the
// pattern end; a pattern may end anywhere and gets the proper error.
// Covered by tests/regex/test_lexer.cpp and tests/regex/test_compile_errors.cpp.
#include "regex/RegExpLexer.h"

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpConst.h"
#include "regex/RegExpEscapeGrammar.h"
#include "regex/RegExpSyntax.h"
#include "regex/RegExpW.h"
#include "regex/RegExpUtf16.h"

namespace vantora {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsExtendedSpace(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }
// Group names hold word characters only (a surrogate unit belongs to a
// supplementary character and is let through).
bool IsNameChar(char16_t c) {
  if (REIsSurrogate(c)) return true;
  return REIsWordChar(c, false);
}

constexpr std::uint32_t kNoChar = 0xFFFFFFFFu;

}  // namespace

TRELex::TRELex(const std::u16string& pattern, TREOptions options) : FPattern(pattern) {
  S.Options = options;
}

// ------------------------------------------------------------------ errors

void TRELex::Error(const char16_t* msg) const { ErrorAt(msg, S.Pos > 0 ? S.Pos - 1 : 0); }

void TRELex::ErrorAt(const char16_t* msg, std::size_t errorPos) const {
  ErrorSpan(msg, S.TokenStart, errorPos);
}

void TRELex::ErrorSpan(const char16_t* msg, std::size_t from, std::size_t errorPos) const {
  std::size_t stop = std::min(errorPos + 1, FPattern.size());
  std::size_t start = std::min(from, stop);
  std::u16string fragment = FPattern.substr(start, stop - start);
  if (!fragment.empty()) fragment += u"...";
  throw ERegExpCompile(REErrorMessage(REFormat(msg, fragment), FPattern, stop));
}

void TRELex::ErrorValue(const char16_t* msg, long long value) const {
  throw ERegExpCompile(REErrorMessage(REFormat(msg, value), FPattern, S.Pos));
}

void TRELex::ErrorName(const char16_t* msg, const std::u16string& name) const {
  throw ERegExpCompile(REErrorMessage(REFormat(msg, name), FPattern, S.Pos));
}

// ---------------------------------------------------------------- helpers

std::uint32_t TRELex::ReadPatternChar() {
  const char16_t* base = FPattern.data();
  const char16_t* p = base + S.Pos;
  const char16_t* end = base + FPattern.size();
  std::uint32_t c;
  if (S.Options.Contains(roIgnoreWidth)) {
    // Half-width kana + voiced mark: read as the voiced letter when one exists.
    const char16_t* q = p;
    TRECompareOptions co;
    co.Include(coIgnoreWidth);
    std::uint32_t folded = REReadFoldedChar(q, end, co);
    if (q - p == 2 && *p >= 0xFF61 && *p <= 0xFF9F) {
      S.Pos += 2;
      return folded;
    }
  }
  c = REReadChar(p, end);
  S.Pos = static_cast<std::size_t>(p - base);
  return c;
}

void TRELex::SkipExtendedSpace() {
  if (!S.Options.Contains(roExtended)) return;
  while (!AtEnd() && IsExtendedSpace(Peek())) ++S.Pos;
}

int TRELex::GetDigit() {
  long long v = 0;
  bool big = false;
  while (!AtEnd() && IsDigit(Peek())) {
    v = v * 10 + (Peek() - u'0');
    if (v > 0x7FFFFFFF) big = true, v = 0x7FFFFFFF;
    ++S.Pos;
  }
  (void)big;
  return static_cast<int>(v);
}

std::uint32_t TRELex::GetOctalDigit() {
  const TREEscape e = REReadOctalEscape(FPattern, S.Pos);
  S.Pos = e.End;
  return e.Char;
}

// After '<', '\'' or '{': the name up to the closing character.
// The body of a delimited reference or call, after its opening delimiter: an
// optionally signed group number or a group name, up to `close`. Returns true
// for a number (S.Number set; `relative` tells whether it carried a sign) and
// false for a name (S.Name set).
bool TRELex::ReadDelimitedGroup(char16_t close, bool& relative) {
  bool neg = false;
  relative = false;
  if (!AtEnd() && (Peek() == u'-' || Peek() == u'+')) {
    relative = true;
    neg = Peek() == u'-';
    ++S.Pos;
  }
  if (!AtEnd() && IsDigit(Peek())) {
    int n = GetDigit();
    if (AtEnd() || Peek() != close) {
      if (!AtEnd()) ++S.Pos;
      Error(sNotTerminated);
    }
    ++S.Pos;
    S.Number = neg ? -n : n;
    return true;
  }
  if (relative) Error(sGroupNumberIsEmpty);
  std::size_t save = S.Pos;
  while (!AtEnd() && Peek() != close) ++S.Pos;
  if (AtEnd()) Error(sNotTerminated);
  S.Pos = save;
  S.Name = ReadGroupName(close);
  return false;
}

std::u16string TRELex::ReadGroupName(char16_t close) {
  std::u16string name;
  while (true) {
    if (AtEnd()) Error(sNoEndOfGroup);
    char16_t c = Peek();
    if (c == close) break;
    name += c;
    ++S.Pos;
  }
  ++S.Pos;  // the closing character
  if (name.empty()) Error(sGroupNameIsEmpty);
  if (IsDigit(name[0])) throw ERegExpCompile(REErrorMessage(sInvalidCharInGroupName, FPattern, S.Pos));
  for (char16_t c : name)
    if (!IsNameChar(c)) throw ERegExpCompile(REErrorMessage(sInvalidCharInGroupName, FPattern, S.Pos));
  return name;
}

// ---------------------------------------------------------------- GetToken

void TRELex::ClearTokenFields() {
  S.Char = S.StartChar = S.LastChar = 0;
  S.Min = S.Max = S.Number = 0;
  S.Name.clear();
  S.HasNumber = false;
  S.PosixKind = pckNone;
}

TREToken TRELex::GetToken() {
  ClearTokenFields();
  // tkEmpty from a reader means "nothing here" (a comment, \Q, \E): read
  // on. Looping here keeps long runs of them off the call stack.
  do {
    switch (S.Context) {
      case ctCharClass:
      case ctNegativeCharClass:
        S.TokenStart = S.Pos;
        S.Token = LexClassMember();
        break;
      case ctQuote:
        S.TokenStart = S.Pos;
        S.Token = LexQuote();
        break;
      case ctNormal:
        SkipExtendedSpace();
        S.TokenStart = S.Pos;
        S.Token = LexNormal();
        break;
    }
  } while (S.Token == tkEmpty);
  return S.Token;
}

bool TRELex::NextPlainChar() {
  if (S.Context != ctNormal || S.Pos >= FPattern.size()) return false;
  if (S.Options.Contains(roExtended) || S.Options.Contains(roIgnoreWidth)) return false;
  const char16_t c = FPattern[S.Pos];
  switch (c) {
    // The units LexNormal reads as tokens of their own.
    case u'|': case u')': case u'*': case u'+': case u'?': case u'.': case u'^':
    case u'$': case u'(': case u'{': case u'\\': case u'[':
      return false;
    default:
      if (REIsSurrogate(c)) return false;
  }
  ClearTokenFields();
  S.TokenStart = S.Pos++;
  S.Token = tkChar;
  S.Char = c;
  return true;
}

TREToken TRELex::LexQuote() {
  if (AtEnd()) {
    S.Context = ctNormal;
    return tkEnd;
  }
  if (Peek() == u'\\' && Peek(1) == u'E') {
    S.Pos += 2;
    S.Context = ctNormal;
    return tkEmpty;
  }
  S.Char = ReadPatternChar();
  return tkChar;
}

TREToken TRELex::LexNormal() {
  if (AtEnd()) return tkEnd;
  char16_t c = Peek();
  switch (c) {
    case u'|': ++S.Pos; return tkUnion;
    case u')': ++S.Pos; return tkRPar;
    case u'*': ++S.Pos; return tkStar;
    case u'+': ++S.Pos; return tkPlus;
    case u'?': ++S.Pos; return tkQuest;
    case u'.': ++S.Pos; return tkDot;
    case u'^': ++S.Pos; return tkLHead;
    case u'$': ++S.Pos; return tkLTail;
    case u'(': return LexParen();
    case u'{': return LexBrace();
    case u'\\': return LexEscape();
    case u'[': {
      bool negative = false;
      TREPosixClassKind kind = pckNone;
      std::size_t save = S.Pos;
      if (LexPosixCharClass(negative, kind, false)) Error(sPosixClassSupportedOnlyClass);
      S.Pos = save + 1;
      if (!AtEnd() && Peek() == u'^') {
        ++S.Pos;
        S.Context = ctNegativeCharClass;
        S.ClassFirst = true;
        return tkNegativeCharClassFirst;
      }
      S.Context = ctCharClass;
      S.ClassFirst = true;
      return tkCharClassFirst;
    }
    default:
      S.Char = ReadPatternChar();
      return tkChar;
  }
}

// '{' at the cursor: a bound when a digit follows, else the literal '{'.
TREToken TRELex::LexBrace() {
  if (!IsDigit(Peek(1))) {
    S.Char = ReadPatternChar();
    return tkChar;
  }
  ++S.Pos;
  long long mn = 0;
  while (!AtEnd() && IsDigit(Peek())) {
    mn = std::min<long long>(mn * 10 + (Peek() - u'0'), 1'000'000'000LL);
    ++S.Pos;
  }
  long long mx = mn;
  if (AtEnd()) Error(sUnmatchedCurlyBracket);
  if (Peek() == u',') {
    ++S.Pos;
    while (!AtEnd() && IsExtendedSpace(Peek())) ++S.Pos;
    if (!AtEnd() && IsDigit(Peek())) {
      mx = 0;
      while (!AtEnd() && IsDigit(Peek())) {
        mx = std::min<long long>(mx * 10 + (Peek() - u'0'), 1'000'000'000LL);
        ++S.Pos;
      }
    } else {
      mx = CONST_LoopMax;
    }
  }
  if (AtEnd()) Error(sUnmatchedCurlyBracket);
  if (Peek() != u'}') {
    ++S.Pos;
    Error(sUnmatchedCurlyBracket);
  }
  ++S.Pos;
  if (mn > CONST_LoopMax || mx > CONST_LoopMax) Error(sQuantifierIsTooLarge);
  if (mx < mn) Error(sCantDoMaxLessMin);
  S.Min = static_cast<int>(mn);
  S.Max = static_cast<int>(mx);
  return tkBound;
}

// Escapes that stand for one character. The cursor is after the backslash.
bool TRELex::LexEscChar(std::uint32_t& c) {
  if (AtEnd()) {
    Error(sRegExpNotCompleted);
  }
  const TREEscape e = REReadCharEscape(FPattern, S.Pos, false);
  if (e.Kind == ekNotCharEscape) return false;
  S.Pos = e.End;
  switch (e.Error) {
    case eeNone: break;
    case eeHexDigitRequired: Error(sHexDigitIsRequired);
    case eeMissingBrace: Error(sMissingRightBraceOnEscx);
    case eeCodePointRange: Error(sCodePointRangeOver);
    case eeControlSyntax: Error(sInvalidEscapeCharacterSyntax);
  }
  c = e.Char;
  return true;
}

TREToken TRELex::LexEscape() {
  ++S.Pos;  // the backslash
  if (AtEnd()) Error(sRegExpNotCompleted);
  std::uint32_t ch = 0;
  if (LexEscChar(ch)) {
    S.Char = ch;
    return tkChar;
  }
  char16_t e = Peek();
  switch (e) {
    case u'A': ++S.Pos; return tkTHead;
    case u'Z': ++S.Pos; return tkTTail;
    case u'z': ++S.Pos; return tkTTailEnd;
    case u'b': ++S.Pos; return tkWordBoundary;
    case u'B': ++S.Pos; return tkNEWordBoundary;
    case u'G': ++S.Pos; return tkGlobalPos;
    case u'K': ++S.Pos; return tkKeepPattern;
    case u'w': ++S.Pos; return tkWordChar;
    case u'W': ++S.Pos; return tkNEWordChar;
    case u'd': ++S.Pos; return tkDigitChar;
    case u'D': ++S.Pos; return tkNEDigitChar;
    case u's': ++S.Pos; return tkSpaceChar;
    case u'S': ++S.Pos; return tkNESpaceChar;
    case u'h': ++S.Pos; return tkHorizontalSpaceChar;
    case u'H': ++S.Pos; return tkNEHorizontalSpaceChar;
    case u'v': ++S.Pos; return tkVerticalSpaceChar;
    case u'V': ++S.Pos; return tkNEVerticalSpaceChar;
    case u'R': ++S.Pos; return tkLineBreak;
    case u'X': ++S.Pos; return tkCombiningSequence;
    case u'p': ++S.Pos; return LexProperty(false);
    case u'P': ++S.Pos; return LexProperty(true);
    case u'Q':
      ++S.Pos;
      S.Context = ctQuote;
      return tkEmpty;
    case u'k': {
      ++S.Pos;
      if (AtEnd()) Error(sGroupNumberIsEmpty);
      char16_t open = Peek();
      char16_t close = open == u'<' ? u'>' : open == u'\'' ? u'\'' : open == u'{' ? u'}' : 0;
      if (close) {
        ++S.Pos;
        bool rel = false;
        if (ReadDelimitedGroup(close, rel)) return rel ? tkReferenceRelative : tkReference;
        return tkNamedReference;
      }
      // \k-n counts back from here; \k+n is group n (a numbered reference,
      // the sign only spells it), \kn as well.
      const bool rel = open == u'-';
      if (open == u'-' || open == u'+') ++S.Pos;
      if (AtEnd() || !IsDigit(Peek())) {
        if (!AtEnd()) ++S.Pos;
        Error(sGroupNumberIsEmpty);
      }
      int n = GetDigit();
      S.Number = rel ? -n : n;
      return rel ? tkReferenceRelative : tkReference;
    }
    case u'g': {
      ++S.Pos;
      if (AtEnd()) Error(sGroupNumberIsEmpty);
      char16_t open = Peek();
      if (open == u'<' || open == u'\'') {
        // Subroutine call.
        char16_t close = open == u'<' ? u'>' : u'\'';
        ++S.Pos;
        bool sign = false;
        if (ReadDelimitedGroup(close, sign)) return sign ? tkGoSubRelative : tkGoSub;
        return tkGoSubName;
      }
      bool brace = open == u'{';
      if (brace) ++S.Pos;
      bool neg = false, rel = false;
      if (!AtEnd() && (Peek() == u'-' || Peek() == u'+')) {
        rel = true;
        neg = Peek() == u'-';
        ++S.Pos;
      }
      if (AtEnd() || !IsDigit(Peek())) {
        if (brace && !rel && !AtEnd() && Peek() != u'}') {
          std::size_t save = S.Pos;
          while (!AtEnd() && Peek() != u'}') ++S.Pos;
          if (AtEnd()) Error(sNotTerminated);
          S.Pos = save;
          S.Name = ReadGroupName(u'}');
          return tkNamedReference;
        }
        if (!AtEnd()) ++S.Pos;
        Error(sGroupNumberIsEmpty);
      }
      int n = GetDigit();
      if (brace) {
        if (AtEnd() || Peek() != u'}') {
          if (!AtEnd()) ++S.Pos;
          Error(sNotTerminated);
        }
        ++S.Pos;
      }
      S.Number = neg ? -n : n;
      return rel ? tkReferenceRelative : tkReference;
    }
    default:
      break;
  }
  if (e >= u'1' && e <= u'9') {
    std::size_t save = S.Pos;
    int n = GetDigit();
    if (S.Pos - save == 1 || n <= FGroupCount + 1) {
      S.Number = n;
      return tkReference;
    }
    // Not a back-reference: an octal code (or the digit itself).
    S.Pos = save;
    if (Peek() <= u'7') {
      S.Char = GetOctalDigit();
    } else {
      S.Char = Peek();
      ++S.Pos;
    }
    return tkChar;
  }
  // Any other character stands for itself.
  S.Char = ReadPatternChar();
  return tkChar;
}

// After "\p" or "\P".
TREToken TRELex::LexProperty(bool negative) {
  if (AtEnd()) Error(sInvalidProperty);
  char16_t c = Peek();
  if (c != u'{') {
    static const char16_t kLetters[] = u"LMNPSZ";
    for (int i = 0; kLetters[i]; ++i)
      if (c == kLetters[i]) {
        ++S.Pos;
        static const TUnicodeProperty kMajor[] = {upL, upM, upN, upP, upS, upZ};
        S.Property = kMajor[i];
        return negative ? tkNEProperty : tkProperty;
      }
    ++S.Pos;
    Error(sInvalidProperty);
  }
  ++S.Pos;
  if (!AtEnd() && Peek() == u'^') {
    negative = !negative;
    ++S.Pos;
  }
  std::size_t nameStart = S.Pos;
  while (!AtEnd() && Peek() != u'}') ++S.Pos;
  if (AtEnd()) Error(sMissingRightBrace);
  std::u16string name = FPattern.substr(nameStart, S.Pos - nameStart);
  ++S.Pos;
  TUnicodeProperty prop = upC;
  TREPosixClassKind posix = pckNone;
  switch (RELookupProperty(name, prop, posix)) {
    case TREPropertyLookup::Property:
      S.Property = prop;
      return negative ? tkNEProperty : tkProperty;
    case TREPropertyLookup::Posix:
      S.PosixKind = posix;
      return negative ? tkNEPosixBracket : tkPosixBracket;
    case TREPropertyLookup::InvalidChar:
      Error(sInvalidProperty);
    case TREPropertyLookup::Unknown:
      break;
  }
  throw ERegExpCompile(REErrorMessage(REFormat(sPropertyUnknown, name), FPattern, S.Pos));
}

// At '[': whether "[:name:]" / "[:^name:]" follows. On success the cursor is
// after it. An unknown name or a missing ']' raises (inside classes only
// for the name check when inClass is false: the caller reports the misuse).
bool TRELex::LexPosixCharClass(bool& negative, TREPosixClassKind& kind, bool inClass) {
  std::size_t start = S.Pos;
  if (Peek() != u'[' || Peek(1) != u':') return false;
  std::size_t p = start + 2;
  negative = false;
  if (p < FPattern.size() && FPattern[p] == u'^') {
    negative = true;
    ++p;
  }
  std::size_t nameStart = p;
  while (p < FPattern.size() && ((FPattern[p] >= u'a' && FPattern[p] <= u'z') ||
                                 (FPattern[p] >= u'A' && FPattern[p] <= u'Z')))
    ++p;
  if (p == nameStart || p >= FPattern.size() || FPattern[p] != u':') return false;
  std::u16string name = FPattern.substr(nameStart, p - nameStart);
  ++p;  // ':'
  if (!inClass) {
    if (p < FPattern.size() && FPattern[p] == u']') {
      S.Pos = p + 1;
      return true;
    }
    return false;
  }
  if (p >= FPattern.size() || FPattern[p] != u']') {
    S.Pos = std::min(p + 1, FPattern.size());
    Error(sUnmatchedBigPar);
  }
  S.Pos = p + 1;
  kind = REPosixClassOf(name);
  if (kind == pckNone)
    throw ERegExpCompile(REErrorMessage(REFormat(sPosixClassUnkown, name), FPattern, S.Pos));
  return true;
}

// ----------------------------------------------------------- class members

TREToken TRELex::LexClassMember() {
  bool first = S.ClassFirst;
  S.ClassFirst = false;
  if (AtEnd()) Error(sUnmatchedBigPar);
  char16_t c = Peek();
  if (c == u']' && !first) {
    ++S.Pos;
    S.Context = ctNormal;
    return tkCharClassEnd;
  }
  // One member that may start a range: returns kNoChar for non-characters.
  auto readSingle = [&](TREToken& tok) -> std::uint32_t {
    tok = tkChar;
    if (AtEnd()) Error(sUnmatchedBigPar);
    char16_t d = Peek();
    if (d == u'[') {
      bool neg = false;
      TREPosixClassKind kind = pckNone;
      if (LexPosixCharClass(neg, kind, true)) {
        S.PosixKind = kind;
        tok = neg ? tkNEPosixBracket : tkPosixBracket;
        return kNoChar;
      }
      ++S.Pos;
      return u'[';
    }
    if (d != u'\\') return ReadPatternChar();
    ++S.Pos;
    if (AtEnd()) Error(sUnmatchedBigPar);
    std::uint32_t v = 0;
    if (LexEscChar(v)) return v;
    char16_t e = Peek();
    switch (e) {
      case u'w': ++S.Pos; tok = tkWordChar; return kNoChar;
      case u'W': ++S.Pos; tok = tkNEWordChar; return kNoChar;
      case u'd': ++S.Pos; tok = tkDigitChar; return kNoChar;
      case u'D': ++S.Pos; tok = tkNEDigitChar; return kNoChar;
      case u's': ++S.Pos; tok = tkSpaceChar; return kNoChar;
      case u'S': ++S.Pos; tok = tkNESpaceChar; return kNoChar;
      case u'h': ++S.Pos; tok = tkHorizontalSpaceChar; return kNoChar;
      case u'H': ++S.Pos; tok = tkNEHorizontalSpaceChar; return kNoChar;
      case u'v': ++S.Pos; tok = tkVerticalSpaceChar; return kNoChar;
      case u'V': ++S.Pos; tok = tkNEVerticalSpaceChar; return kNoChar;
      case u'p': ++S.Pos; tok = LexProperty(false); return kNoChar;
      case u'P': ++S.Pos; tok = LexProperty(true); return kNoChar;
      case u'b': ++S.Pos; return 0x08;  // backspace, as inside classes elsewhere
      default: break;
    }
    if (e >= u'1' && e <= u'7') return GetOctalDigit();
    return ReadPatternChar();
  };

  TREToken tok = tkChar;
  std::uint32_t from = readSingle(tok);
  if (from == kNoChar) return tok;
  // A range "a-b" unless the '-' is the last member.
  if (!AtEnd() && Peek() == u'-' && Has(1) && Peek(1) != u']') {
    TRELexRec save = S;
    ++S.Pos;
    TREToken endTok = tkChar;
    std::uint32_t to = readSingle(endTok);
    if (to == kNoChar) {
      // A class escape after the '-' ([a-\d]): the '-' is a literal, as
      // before a class escape ([\d-a]); the members are read again one by one.
      S = save;
      S.Char = from;
      return tkChar;
    }
    if (to < from) {
      std::u16string text = FPattern.substr(S.TokenStart, S.Pos - S.TokenStart);
      throw ERegExpCompile(REErrorMessage(REFormat(sInvalideBigParRange, text), FPattern, S.Pos));
    }
    S.StartChar = from;
    S.LastChar = to;
    return tkRangeChar;
  }
  S.Char = from;
  return tkChar;
}

// ------------------------------------------------------------------ parens

TREToken TRELex::LexParen() {
  ++S.Pos;  // '('
  if (!AtEnd() && Peek() == u'*' && Has(1) &&
      ((Peek(1) >= u'A' && Peek(1) <= u'Z') || Peek(1) == u':'))
    return LexVerb();
  if (AtEnd() || Peek() != u'?') return tkLPar;
  ++S.Pos;  // '?'
  if (AtEnd()) Error(sNotRecognized);
  char16_t c = Peek();
  switch (c) {
    case u':':
      ++S.Pos;
      S.NewOptions = S.Options;
      return tkLParWithOption;
    case u'=': ++S.Pos; return tkAheadMatch;
    case u'!':
      ++S.Pos;
      if (!AtEnd() && Peek() == u')') {
        ++S.Pos;
        return tkFail;
      }
      return tkAheadNoMatch;
    case u'>': ++S.Pos; return tkNoBackTrack;
    case u'|': ++S.Pos; return tkBranchReset;
    case u'#':
      while (!AtEnd() && Peek() != u')') ++S.Pos;
      if (AtEnd()) Error(sUnmatchedSmallPar);
      ++S.Pos;
      return tkEmpty;  // a comment yields nothing
    case u'<':
      if (Peek(1) == u'=') {
        S.Pos += 2;
        return tkBehindMatch;
      }
      if (Peek(1) == u'!') {
        S.Pos += 2;
        return tkBehindNoMatch;
      }
      ++S.Pos;
      S.Name = ReadGroupName(u'>');
      return tkGroupBegin;
    case u'\'':
      ++S.Pos;
      S.Name = ReadGroupName(u'\'');
      return tkGroupBegin;
    case u'P': {
      ++S.Pos;
      if (AtEnd()) Error(sGroupNameIsEmpty);
      char16_t k = Peek();
      ++S.Pos;
      if (k == u'<') {
        S.Name = ReadGroupName(u'>');
        return tkGroupBegin;
      }
      if (k == u'=') {
        S.Name = ReadGroupName(u')');
        return tkNamedReference;
      }
      if (k == u'>') {
        S.Name = ReadGroupName(u')');
        return tkGoSubName;
      }
      Error(sGroupNameIsEmpty);
    }
    case u'&':
      ++S.Pos;
      S.Name = ReadGroupName(u')');
      return tkGoSubName;
    case u'R':
      if (Peek(1) == u')') {
        S.Pos += 2;
        S.Number = 0;
        return tkGoSub;
      }
      break;
    case u'C': {
      ++S.Pos;
      int n = 0;
      if (!AtEnd() && IsDigit(Peek())) n = GetDigit();
      if (AtEnd() || Peek() != u')') {
        if (!AtEnd()) ++S.Pos;
        Error(sNotRecognized);
      }
      ++S.Pos;
      if (n > 255) Error(sRangeOverCalloutNumber);
      S.Min = n;
      return tkCallout;
    }
    case u'(':
      ++S.Pos;
      return LexCondition();
    case u'+':
    case u'-':
      if (IsDigit(Peek(1))) {
        bool neg = c == u'-';
        ++S.Pos;
        int n = GetDigit();
        if (AtEnd() || Peek() != u')') {
          if (!AtEnd()) ++S.Pos;
          Error(sNotRecognized);
        }
        ++S.Pos;
        S.Number = neg ? -n : n;
        return tkGoSubRelative;
      }
      if (c == u'+') {
        ++S.Pos;
        Error(sGroupNumberIsEmpty);
      }
      break;
    default:
      break;
  }
  if (IsDigit(c)) {
    int n = GetDigit();
    if (AtEnd() || Peek() != u')') {
      if (!AtEnd()) ++S.Pos;
      Error(sNotRecognized);
    }
    ++S.Pos;
    S.Number = n;
    return tkGoSub;
  }
  return LexOption();
}

// After "(?": option letters, optionally with '-', then ')' or ':'.
TREToken TRELex::LexOption() {
  TREOptions o = S.Options;
  bool off = false;
  while (true) {
    if (AtEnd()) Error(sOptionNotCompleted);
    char16_t c = Peek();
    ++S.Pos;
    TREOption opt = roNone;
    switch (c) {
      case u'i': opt = roIgnoreCase; break;
      case u'm': opt = roMultiLine; break;
      case u'n': opt = roNamedGroupOnly; break;
      case u's': opt = roSingleLine; break;
      case u'x': opt = roExtended; break;
      case u'w': opt = roIgnoreWidth; break;
      case u'k': opt = roIgnoreKana; break;
      case u'-':
        if (off) Error(sNotRecognized);
        off = true;
        continue;
      case u')':
        S.NewOptions = o;
        S.Options = o;
        return tkOption;
      case u':':
        S.NewOptions = o;
        return tkLParWithOption;
      default:
        Error(sNotRecognized);
    }
    o.Set(opt, !off);
  }
}

// After "(?(": the condition of a conditional group.
TREToken TRELex::LexCondition() {
  if (AtEnd()) Error(sInvalideCondition);
  char16_t c = Peek();
  if (c == u'?' && Has(1)) {
    char16_t k = Peek(1);
    bool look = k == u'=' || k == u'!' || (k == u'<' && (Peek(2) == u'=' || Peek(2) == u'!'));
    if (!look) {
      S.Pos += 2;
      Error(sInvalideCondition);
    }
    // The assertion follows as its own group: leave the cursor at its '('.
    --S.Pos;
    return tkIfMatch;
  }
  auto readNumberClose = [&]() {
    int n = GetDigit();
    if (AtEnd() || Peek() != u')') {
      if (!AtEnd()) ++S.Pos;
      Error(sInvalideCondition);
    }
    ++S.Pos;
    return n;
  };
  if (IsDigit(c)) {
    S.Number = readNumberClose();
    S.HasNumber = true;
    return tkIfMatchRef;
  }
  if (c == u'<' || c == u'\'') {
    ++S.Pos;
    S.Name = ReadGroupName(c == u'<' ? u'>' : u'\'');
    if (AtEnd() || Peek() != u')') {
      if (!AtEnd()) ++S.Pos;
      Error(sInvalideCondition);
    }
    ++S.Pos;
    return tkIfMatchRef;
  }
  if (c == u'R') {
    ++S.Pos;
    if (AtEnd()) Error(sInvalideCondition);
    if (Peek() == u')') {
      ++S.Pos;
      S.Number = 0;
      S.HasNumber = true;
      return tkInSubRef;
    }
    if (IsDigit(Peek())) {
      S.Number = readNumberClose();
      S.HasNumber = true;
      return tkInSubRef;
    }
    if (Peek() == u'&') {
      ++S.Pos;
      S.Name = ReadGroupName(u')');
      return tkInSubRef;
    }
    ++S.Pos;
    Error(sInvalideCondition);
  }
  static const std::u16string kDefine = u"DEFINE)";
  if (FPattern.compare(S.Pos, kDefine.size(), kDefine) == 0) {
    S.Pos += kDefine.size();
    return tkDefine;
  }
  // A bare group name: (?(name)...).
  std::size_t p = S.Pos;
  while (p < FPattern.size() && IsNameChar(FPattern[p])) ++p;
  if (p > S.Pos && p < FPattern.size() && FPattern[p] == u')' && !IsDigit(c)) {
    S.Name = ReadGroupName(u')');
    return tkIfMatchRef;
  }
  ++S.Pos;
  Error(sConditionNotRecognized);
}

// After "(" at "*": a backtracking control verb.
TREToken TRELex::LexVerb() {
  ++S.Pos;  // '*'
  std::size_t nameStart = S.Pos;
  while (!AtEnd() && Peek() >= u'A' && Peek() <= u'Z') ++S.Pos;
  std::u16string verb = FPattern.substr(nameStart, S.Pos - nameStart);
  std::u16string arg;
  bool hasArg = false;
  if (!AtEnd() && Peek() == u':') {
    hasArg = true;
    ++S.Pos;
    while (!AtEnd() && Peek() != u')') arg += FPattern[S.Pos++];
  }
  if (AtEnd() || Peek() != u')') Error(sUnterminatedVerbPattern);
  ++S.Pos;
  S.Name = arg;
  if (verb.empty() || verb == u"MARK") {
    if (!hasArg || arg.empty()) Error(sNotRecognized);
    return tkbcMark;
  }
  bool nameAllowed = verb == u"PRUNE" || verb == u"SKIP" || verb == u"THEN";
  if (hasArg && !nameAllowed) Error(sNotRecognized);
  if (verb == u"PRUNE") return tkbcPrune;
  if (verb == u"SKIP") return tkbcSkip;
  if (verb == u"THEN") return tkbcThen;
  if (verb == u"COMMIT") return tkbcCommit;
  if (verb == u"ACCEPT") return tkbcAccept;
  if (verb == u"FAIL" || verb == u"F") return tkFail;
  Error(sNotRecognized);
}

}  // namespace vantora
