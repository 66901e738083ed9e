// Lexer: token kinds and values of the escapes, bounds, classes, groups,
// conditions and verbs; save/restore; property-name resolution.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/RegExpLexer.h"
#include "regex/RegExpSyntax.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

namespace vantora {
namespace {

using test::U;

std::vector<TREToken> Tokens(const std::u16string& pattern, TREOptions options = {}) {
  TRELex lex(pattern, options);
  std::vector<TREToken> out;
  while (lex.GetToken() != tkEnd) out.push_back(lex.Token());
  return out;
}

// The code points of the tkChar tokens of a pattern.
std::vector<std::uint32_t> Chars(const std::u16string& pattern, TREOptions options = {}) {
  TRELex lex(pattern, options);
  std::vector<std::uint32_t> out;
  while (lex.GetToken() != tkEnd) {
    EXPECT_EQ(lex.Token(), tkChar);
    out.push_back(lex.State().Char);
  }
  return out;
}

TEST(Lexer, CharacterEscapes) {
  using V = std::vector<std::uint32_t>;
  EXPECT_EQ(Chars(u"\\a\\e\\f\\n\\r\\t"), (V{7, 0x1B, 0x0C, 0x0A, 0x0D, 0x09}));
  EXPECT_EQ(Chars(u"\\x41\\x{41}\\x{1F600}\\x{0}"), (V{0x41, 0x41, 0x1F600, 0}));
  EXPECT_EQ(Chars(u"\\0\\012\\0101"), (V{0, 10, 010, '1'}));  // three digits in all
  EXPECT_EQ(Chars(u"\\cA\\ca\\c@\\c[\\c\\\\"), (V{1, 1, 0, 0x1B, 0x1C}));
  EXPECT_EQ(Chars(u"\\.\\*\\E\\N\\y"), (V{'.', '*', 'E', 'N', 'y'}));
  // A surrogate pair is one character.
  EXPECT_EQ(Chars(u"\U0001F600x"), (V{0x1F600, 'x'}));
  // \Q...\E quotes everything, also to the end of the pattern.
  EXPECT_EQ(Chars(u"\\Q(*)\\Ea"), (V{'(', '*', ')', 'a'}));
  EXPECT_EQ(Chars(u"\\Q[x"), (V{'[', 'x'}));
  // '{' not followed by a digit is text.
  EXPECT_EQ(Chars(u"{a{,1}"), (V{'{', 'a', '{', ',', '1', '}'}));
}

TEST(Lexer, TypeAnchorAndReferenceTokens) {
  EXPECT_EQ(Tokens(u"\\w\\W\\d\\D\\s\\S\\h\\H\\v\\V\\R\\X"),
            (std::vector<TREToken>{tkWordChar, tkNEWordChar, tkDigitChar, tkNEDigitChar, tkSpaceChar,
                                   tkNESpaceChar, tkHorizontalSpaceChar, tkNEHorizontalSpaceChar,
                                   tkVerticalSpaceChar, tkNEVerticalSpaceChar, tkLineBreak,
                                   tkCombiningSequence}));
  EXPECT_EQ(Tokens(u"^$\\A\\Z\\z\\b\\B\\G\\K."),
            (std::vector<TREToken>{tkLHead, tkLTail, tkTHead, tkTTail, tkTTailEnd, tkWordBoundary,
                                   tkNEWordBoundary, tkGlobalPos, tkKeepPattern, tkDot}));
  struct Case {
    const char16_t* Pattern;
    TREToken Token;
    int Number;
    const char16_t* Name;
  };
  for (const Case& c : {Case{u"\\1", tkReference, 1, u""}, Case{u"\\k<2>", tkReference, 2, u""},
                        Case{u"\\k'3'", tkReference, 3, u""}, Case{u"\\k{4}", tkReference, 4, u""},
                        Case{u"\\k5", tkReference, 5, u""}, Case{u"\\k-1", tkReferenceRelative, -1, u""},
                        Case{u"\\k+2", tkReference, 2, u""}, Case{u"\\g{6}", tkReference, 6, u""},
                        Case{u"\\g7", tkReference, 7, u""}, Case{u"\\g{-2}", tkReferenceRelative, -2, u""},
                        Case{u"\\g-3", tkReferenceRelative, -3, u""},
                        Case{u"\\k<nm>", tkNamedReference, 0, u"nm"}, Case{u"\\k'nm'", tkNamedReference, 0, u"nm"},
                        Case{u"\\k{nm}", tkNamedReference, 0, u"nm"}, Case{u"(?P=nm)", tkNamedReference, 0, u"nm"},
                        Case{u"\\g<nm>", tkGoSubName, 0, u"nm"}, Case{u"\\g'nm'", tkGoSubName, 0, u"nm"},
                        Case{u"(?P>nm)", tkGoSubName, 0, u"nm"}, Case{u"(?&nm)", tkGoSubName, 0, u"nm"},
                        Case{u"\\g<2>", tkGoSub, 2, u""}, Case{u"\\g<-1>", tkGoSubRelative, -1, u""},
                        Case{u"\\g<+1>", tkGoSubRelative, 1, u""}, Case{u"\\g'2'", tkGoSub, 2, u""},
                        Case{u"(?R)", tkGoSub, 0, u""}, Case{u"(?0)", tkGoSub, 0, u""},
                        Case{u"(?3)", tkGoSub, 3, u""}, Case{u"(?+1)", tkGoSubRelative, 1, u""},
                        Case{u"(?-1)", tkGoSubRelative, -1, u""}}) {
    TRELex lex(c.Pattern, {});
    lex.SetGroupCount(9);
    EXPECT_EQ(lex.GetToken(), c.Token) << test::S(c.Pattern);
    EXPECT_EQ(lex.State().Number, c.Number) << test::S(c.Pattern);
    EXPECT_EQ(lex.State().Name, std::u16string(c.Name)) << test::S(c.Pattern);
  }
}

TEST(Lexer, GroupsConditionsVerbsAndOptions) {
  EXPECT_EQ(Tokens(u"()(?:)(?=)(?!)(?!a)(?<=)(?<!)(?>)(?|)"),
            (std::vector<TREToken>{tkLPar, tkRPar, tkLParWithOption, tkRPar, tkAheadMatch, tkRPar, tkFail,
                                   tkAheadNoMatch, tkChar, tkRPar, tkBehindMatch, tkRPar, tkBehindNoMatch,
                                   tkRPar, tkNoBackTrack, tkRPar, tkBranchReset, tkRPar}));
  EXPECT_EQ(Tokens(u"(?<a>)(?'b')(?P<c>)"),
            (std::vector<TREToken>{tkGroupBegin, tkRPar, tkGroupBegin, tkRPar, tkGroupBegin, tkRPar}));
  EXPECT_EQ(Tokens(u"(?(1)(?(<n>)(?('n')(?(n)(?(R)(?(R2)(?(R&n)(?(DEFINE)"),
            (std::vector<TREToken>{tkIfMatchRef, tkIfMatchRef, tkIfMatchRef, tkIfMatchRef, tkInSubRef,
                                   tkInSubRef, tkInSubRef, tkDefine}));
  // An assertion condition leaves the assertion to be read next.
  EXPECT_EQ(Tokens(u"(?(?=a)"), (std::vector<TREToken>{tkIfMatch, tkAheadMatch, tkChar, tkRPar}));
  EXPECT_EQ(Tokens(u"(*PRUNE)(*SKIP)(*MARK:m)(*:m)(*THEN)(*COMMIT)(*ACCEPT)(*FAIL)(*F)"),
            (std::vector<TREToken>{tkbcPrune, tkbcSkip, tkbcMark, tkbcMark, tkbcThen, tkbcCommit, tkbcAccept,
                                   tkFail, tkFail}));
  EXPECT_EQ(Tokens(u"(?C)(?C12)"), (std::vector<TREToken>{tkCallout, tkCallout}));
  // Comments vanish.
  EXPECT_EQ(Tokens(u"a(?#x(y)b"), (std::vector<TREToken>{tkChar, tkChar}));

  TRELex lex(u"(?im-s)(?x-i:", TREOptions{roSingleLine});
  EXPECT_EQ(lex.GetToken(), tkOption);
  EXPECT_TRUE(lex.Options().Contains(roIgnoreCase));
  EXPECT_TRUE(lex.Options().Contains(roMultiLine));
  EXPECT_FALSE(lex.Options().Contains(roSingleLine));
  EXPECT_EQ(lex.GetToken(), tkLParWithOption);
  EXPECT_TRUE(lex.State().NewOptions.Contains(roExtended));
  EXPECT_FALSE(lex.State().NewOptions.Contains(roIgnoreCase));
  EXPECT_TRUE(lex.Options().Contains(roIgnoreCase));  // the group's options apply inside it only
}

TEST(Lexer, LongRunsOfCommentsAndQuotesAreReadWithoutRecursion) {
  std::u16string p = u"a";
  for (int i = 0; i < 200000; ++i) p += u"(?#c)\\Q\\E";
  p += u"b";
  EXPECT_EQ(Chars(p), (std::vector<std::uint32_t>{'a', 'b'}));
  TRegExp re;
  re.SetExpression(p);
  EXPECT_NO_THROW(re.Compile());
}

TEST(Lexer, BoundsAndQuantifiers) {
  TRELex lex(u"*+?{3}{2,}{1, 5}", {});
  EXPECT_EQ(lex.GetToken(), tkStar);
  EXPECT_EQ(lex.GetToken(), tkPlus);
  EXPECT_EQ(lex.GetToken(), tkQuest);
  EXPECT_EQ(lex.GetToken(), tkBound);
  EXPECT_EQ(lex.State().Min, 3);
  EXPECT_EQ(lex.State().Max, 3);
  EXPECT_EQ(lex.GetToken(), tkBound);
  EXPECT_EQ(lex.State().Max, CONST_LoopMax);
  EXPECT_EQ(lex.GetToken(), tkBound);
  EXPECT_EQ(lex.State().Min, 1);
  EXPECT_EQ(lex.State().Max, 5);
  EXPECT_EQ(lex.GetToken(), tkEnd);
}

TEST(Lexer, ClassMembers) {
  TRELex lex(u"[]a-c\\d[:alpha:][:^digit:]\\p{Lu}\\--\\]][^]][a-][", {});
  EXPECT_EQ(lex.GetToken(), tkCharClassFirst);
  EXPECT_EQ(lex.GetToken(), tkChar);  // ']' first is literal
  EXPECT_EQ(lex.State().Char, u']');
  EXPECT_EQ(lex.GetToken(), tkRangeChar);
  EXPECT_EQ(lex.State().StartChar, u'a');
  EXPECT_EQ(lex.State().LastChar, u'c');
  EXPECT_EQ(lex.GetToken(), tkDigitChar);
  EXPECT_EQ(lex.GetToken(), tkPosixBracket);
  EXPECT_EQ(lex.State().PosixKind, pckAlpha);
  EXPECT_EQ(lex.GetToken(), tkNEPosixBracket);
  EXPECT_EQ(lex.State().PosixKind, pckDigit);
  EXPECT_EQ(lex.GetToken(), tkProperty);
  EXPECT_EQ(lex.State().Property, upLu);
  EXPECT_EQ(lex.GetToken(), tkRangeChar);  // \- to \]
  EXPECT_EQ(lex.State().StartChar, u'-');
  EXPECT_EQ(lex.State().LastChar, u']');
  EXPECT_EQ(lex.GetToken(), tkCharClassEnd);
  EXPECT_EQ(lex.GetToken(), tkNegativeCharClassFirst);
  EXPECT_EQ(lex.GetToken(), tkChar);
  EXPECT_EQ(lex.State().Char, u']');
  EXPECT_EQ(lex.GetToken(), tkCharClassEnd);
  EXPECT_EQ(lex.GetToken(), tkCharClassFirst);
  EXPECT_EQ(lex.GetToken(), tkChar);
  EXPECT_EQ(lex.GetToken(), tkChar);  // '-' before ']' is literal
  EXPECT_EQ(lex.State().Char, u'-');
  EXPECT_EQ(lex.GetToken(), tkCharClassEnd);
  EXPECT_EQ(lex.GetToken(), tkCharClassFirst);
  EXPECT_THROW(lex.GetToken(), ERegExpCompile);  // the pattern ends inside the class
  // \b inside a class is a backspace.
  TRELex bs(u"[\\b]", {});
  bs.GetToken();
  EXPECT_EQ(bs.GetToken(), tkChar);
  EXPECT_EQ(bs.State().Char, 8u);
}

TEST(Lexer, SaveAndRestoreGoBackOneToken) {
  TRELex lex(u"ab*", {});
  lex.GetToken();
  TRELexRec s = lex.Save();
  EXPECT_EQ(lex.GetToken(), tkChar);
  EXPECT_EQ(lex.GetToken(), tkStar);
  lex.Restore(s);
  EXPECT_EQ(lex.Token(), tkChar);
  EXPECT_EQ(lex.State().Char, u'a');
  EXPECT_EQ(lex.GetToken(), tkChar);
  EXPECT_EQ(lex.State().Char, u'b');
}

TEST(Lexer, ExtendedModeSkipsWhiteSpaceBeforeTokens) {
  EXPECT_EQ(Tokens(u" a\t\r\n b ", {roExtended}), (std::vector<TREToken>{tkChar, tkChar}));
  EXPECT_EQ(Tokens(u"a b", {}), (std::vector<TREToken>{tkChar, tkChar, tkChar}));
  // Half-width kana and its voiced mark make one character only under 'w'.
  EXPECT_EQ(Chars(u"\uFF8A\uFF9F", {roIgnoreWidth}), (std::vector<std::uint32_t>{0x30D1}));
  EXPECT_EQ(Chars(u"\uFF8A\uFF9F", {}), (std::vector<std::uint32_t>{0xFF8A, 0xFF9F}));
}

TEST(Lexer, PropertyNames) {
  TUnicodeProperty p = upC;
  TREPosixClassKind k = pckNone;
  auto prop = [&](std::u16string_view name) {
    p = upC;
    k = pckNone;
    return RELookupProperty(name, p, k);
  };
  EXPECT_EQ(prop(u"Hiragana"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upHiragana);
  EXPECT_EQ(prop(u"hiragana"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upHiragana);
  EXPECT_EQ(prop(u"InHiragana"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upInHiragana);
  EXPECT_EQ(prop(u"IsHiragana"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upInHiragana);
  EXPECT_EQ(prop(u"In_CJK Symbols-and Punctuation"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upInCJKSymbolsandPunctuation);
  EXPECT_EQ(prop(u"L&"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upLC);
  EXPECT_EQ(prop(u"LC"), TREPropertyLookup::Property);
  EXPECT_EQ(p, upLC);
  EXPECT_EQ(prop(u"IsAlpha"), TREPropertyLookup::Posix);
  EXPECT_EQ(k, pckAlpha);
  EXPECT_EQ(prop(u"alnum"), TREPropertyLookup::Posix);
  EXPECT_EQ(k, pckAlnum);
  EXPECT_EQ(prop(u"isspaceperl"), TREPropertyLookup::Posix);
  EXPECT_EQ(k, pckSpacePerl);
  EXPECT_EQ(prop(u"Hira.gana"), TREPropertyLookup::InvalidChar);
  EXPECT_EQ(prop(u"Nonsense"), TREPropertyLookup::Unknown);
  EXPECT_EQ(prop(u"IsNonsense"), TREPropertyLookup::Unknown);
  EXPECT_EQ(REPosixClassOf(u"xdigit"), pckXdigit);
  EXPECT_EQ(REPosixClassOf(u"Alpha"), pckNone);  // [:name:] is case-sensitive
}

}  // namespace
}  // namespace vantora
