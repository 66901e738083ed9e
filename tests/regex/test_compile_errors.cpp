// Compile errors: which message each malformed pattern raises, the exact
// text of a sample (fragment, message, "; ", pattern with " <-- "), and
// that a failed compile leaves the object uncompiled and usable.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/RegExpConst.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

namespace vantora {
namespace {

using test::S;
using test::U;

// The message of compiling the pattern, "" when it compiles.
std::string CompileMessage(const std::string& pattern, TREOptions options = {}) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(U(pattern));
  try {
    re.Compile();
  } catch (const ERegExpCompile& e) {
    return S(e.Message());
  }
  return "";
}

// Whether the message is built from the given table entry: its fixed text
// (the parts around %s / %d) occurs in it.
bool Raises(const std::string& pattern, const char16_t* entry, TREOptions options = {}) {
  std::string msg = CompileMessage(pattern, options);
  std::u16string text(entry);
  for (const char16_t* ph : {u"%s", u"%d"}) {
    auto at = text.find(ph);
    if (at != std::u16string::npos) {
      std::string before = S(text.substr(0, at));
      std::string after = S(text.substr(at + 2));
      return !msg.empty() && msg.find(before) != std::string::npos && msg.find(after) != std::string::npos;
    }
  }
  return !msg.empty() && msg.find(S(text)) != std::string::npos;
}

TEST(CompileErrors, ExactTextWithFragmentAndPositionMarker) {
  EXPECT_EQ(CompileMessage("(abc"), " ( がマッチしません; (abc <-- ");
  EXPECT_EQ(CompileMessage("a{3,2}"), "{3,2}...最大値より最小値のほうが大きいです; a{3,2} <-- ");
  EXPECT_EQ(CompileMessage("a{40000}"), "{40000}...繰り返しの数が大きすぎます; a{40000} <-- ");
  EXPECT_EQ(CompileMessage("x(?<=a+)b"), "(?<=a+)...戻り読み内で可変長文字列は使えません; x(?<=a+) <-- b");
  EXPECT_EQ(CompileMessage("[:alpha:]x"),
            "[:alpha:]...POSIX文字クラスが使えるのは文字クラスの中だけです; [:alpha:] <-- x");
  EXPECT_EQ(CompileMessage("\\x{110000}"), "\\x{110000}...コードポイントの範囲を超えています; \\x{110000} <-- ");
  EXPECT_EQ(CompileMessage("ab)c"), ")... ( がマッチしません; ab) <-- c");
  EXPECT_EQ(CompileMessage("*a"), "*...繰り返す対象がありません; * <-- a");
  // Group errors carry the number or name instead of a fragment.
  EXPECT_EQ(CompileMessage("(a)\\2"), "グループ番号<2>はこの位置からは参照できません; (a)\\2 <-- ");
  EXPECT_EQ(CompileMessage("\\k<x>"), "グループ名<x>の書式が間違っています; \\k<x> <-- ");
  EXPECT_EQ(CompileMessage("\\p{Foo}"), "{Foo} はプロパティではありません; \\p{Foo} <-- ");
  EXPECT_EQ(CompileMessage("[[:foo:]]"), "[:foo:] はPOSIXクラスではありません; [[:foo:] <-- ]");
}

TEST(CompileErrors, QuantifierErrors) {
  EXPECT_TRUE(Raises("a{3,2}", sCantDoMaxLessMin));
  EXPECT_TRUE(Raises("a{40000}", sQuantifierIsTooLarge));
  EXPECT_TRUE(Raises("a{1,32768}", sQuantifierIsTooLarge));
  EXPECT_EQ(CompileMessage("a{32767}"), "");
  EXPECT_TRUE(Raises("a**", sNothingToRepeat));
  EXPECT_TRUE(Raises("|*", sNothingToRepeat));
  EXPECT_TRUE(Raises("(*)", sNothingToRepeat));
  EXPECT_TRUE(Raises("(?=a)*", sLoopOfMatchAheadNotSpecified));
  EXPECT_TRUE(Raises("(?!a)+", sLoopOfMatchAheadNotSpecified));
  for (const char* p : {"\\b*", "\\B+", "\\A?", "\\Z{2}", "\\z*"})
    EXPECT_TRUE(Raises(p, sLoopOfLengthZeroCannotSpecified)) << p;
  // Bounds: white space only directly after the comma.
  EXPECT_EQ(CompileMessage("a{2, 3}"), "");
  EXPECT_TRUE(Raises("a{2 ,3}", sUnmatchedCurlyBracket));
  EXPECT_TRUE(Raises("a{2,3 }", sUnmatchedCurlyBracket));
  EXPECT_TRUE(Raises("a{2", sUnmatchedCurlyBracket));
  EXPECT_EQ(CompileMessage("a{,3}"), "");
  EXPECT_EQ(CompileMessage("a{ 2,3}"), "");
}

TEST(CompileErrors, EscapeErrors) {
  EXPECT_TRUE(Raises("a\\", sRegExpNotCompleted));
  EXPECT_TRUE(Raises("\\xg1", sHexDigitIsRequired));
  EXPECT_TRUE(Raises("\\x{}", sHexDigitIsRequired));
  EXPECT_TRUE(Raises("\\x{12g}", sHexDigitIsRequired));
  EXPECT_TRUE(Raises("\\x{1234567}", sMissingRightBraceOnEscx));
  EXPECT_TRUE(Raises("\\x{123", sMissingRightBraceOnEscx));
  EXPECT_TRUE(Raises("\\x{110000}", sCodePointRangeOver));
  EXPECT_EQ(CompileMessage("\\x{10FFFF}"), "");
  EXPECT_TRUE(Raises("\\c1", sInvalidEscapeCharacterSyntax));
  EXPECT_TRUE(Raises("\\c\\x", sInvalidEscapeCharacterSyntax));
  EXPECT_TRUE(Raises("\\c", sInvalidEscapeCharacterSyntax));
  EXPECT_EQ(CompileMessage("\\c\\\\"), "");
  EXPECT_TRUE(Raises("\\g", sGroupNumberIsEmpty));
  EXPECT_TRUE(Raises("\\kx", sGroupNumberIsEmpty));
  EXPECT_TRUE(Raises("(?+)", sGroupNumberIsEmpty));
  EXPECT_TRUE(Raises("(a)\\k<1", sNotTerminated));
  EXPECT_TRUE(Raises("(a)\\g{1", sNotTerminated));
}

TEST(CompileErrors, ClassAndPropertyErrors) {
  EXPECT_TRUE(Raises("[abc", sUnmatchedBigPar));
  EXPECT_TRUE(Raises("[", sUnmatchedBigPar));
  EXPECT_TRUE(Raises("[[:alpha:", sUnmatchedBigPar));
  EXPECT_TRUE(Raises("[[:alpha:x]", sUnmatchedBigPar));
  EXPECT_TRUE(Raises("[[:nope:]]", sPosixClassUnkown));
  EXPECT_TRUE(Raises("[z-a]", sInvalideBigParRange));
  EXPECT_TRUE(Raises("[z-\\x{61}]", sInvalideBigParRange));
  EXPECT_TRUE(Raises("[:alpha:]", sPosixClassSupportedOnlyClass));
  EXPECT_TRUE(Raises("\\p{Nonsense}", sPropertyUnknown));
  EXPECT_TRUE(Raises("\\p{Hira@gana}", sInvalidProperty));
  EXPECT_TRUE(Raises("\\pQ", sInvalidProperty));
  EXPECT_TRUE(Raises("\\p", sInvalidProperty));
  EXPECT_TRUE(Raises("\\p{Lu", sMissingRightBrace));
  EXPECT_TRUE(Raises("\\p{Katakana", sMissingRightBrace));
}

TEST(CompileErrors, GroupErrors) {
  EXPECT_TRUE(Raises("(abc", sUnmatchedSmallPar));
  EXPECT_TRUE(Raises("((a)", sUnmatchedSmallPar));
  EXPECT_TRUE(Raises("a)", sUnmatchedSmallPar));
  EXPECT_TRUE(Raises("(?P", sGroupNameIsEmpty));
  EXPECT_TRUE(Raises("(?Px)", sGroupNameIsEmpty));
  EXPECT_TRUE(Raises("(?<abc", sNoEndOfGroup));
  EXPECT_TRUE(Raises("(?<1a>x)", sInvalidCharInGroupName));
  EXPECT_TRUE(Raises("(?<a-b>x)", sInvalidCharInGroupName));
  EXPECT_TRUE(Raises("(?<a\u3000b>x)", sInvalidCharInGroupName));  // ideographic space
  EXPECT_EQ(CompileMessage("(?<年>x)\\k<年>"), "");
  EXPECT_TRUE(Raises("(?i", sOptionNotCompleted));
  EXPECT_TRUE(Raises("(?im-", sOptionNotCompleted));
  EXPECT_TRUE(Raises("(?z)", sNotRecognized));
  EXPECT_TRUE(Raises("(?", sNotRecognized));
  EXPECT_TRUE(Raises("\\2(a)", sInvalidGroupNumber));
  EXPECT_TRUE(Raises("(a)\\g{-2}", sInvalidGroupNumber));
  EXPECT_TRUE(Raises("(?2)(a)", sInvalidGroupNumber));
  EXPECT_TRUE(Raises("\\k<nope>(?<x>a)", sInvalidGroupName));
  EXPECT_TRUE(Raises("(?&nope)", sInvalidGroupName));
  EXPECT_TRUE(Raises("(?<n>a)(?<n>b)(?&n)", sCannotCallMultipleDefineGroupName));
  EXPECT_TRUE(Raises("(a(?1))", sNotRecognized) == false);
  EXPECT_TRUE(Raises("((?1))", sNeverEndingRecursion));
  EXPECT_TRUE(Raises("(a|(?R))", sNeverEndingRecursion));
  EXPECT_TRUE(Raises("(a)\\1", sUseNamedGroup, {roNamedGroupOnly}));
  EXPECT_TRUE(Raises("(?n)(a)\\1", sUseNamedGroup));
  EXPECT_EQ(CompileMessage("(?<x>a)\\k<x>", {roNamedGroupOnly}), "");
  EXPECT_TRUE(Raises("(?C256)", sRangeOverCalloutNumber));
  EXPECT_EQ(CompileMessage("(?C255)"), "");
}

TEST(CompileErrors, ConditionAndVerbErrors) {
  EXPECT_TRUE(Raises("(a)(?(1)b|c|d)", sContainsTooManyBranches));
  EXPECT_TRUE(Raises("(?(DEFINE)a|b)", sContainsTooManyBranches));
  EXPECT_TRUE(Raises("(?(1x)a)", sInvalideCondition));
  EXPECT_TRUE(Raises("(?(?x)a)", sInvalideCondition));
  EXPECT_TRUE(Raises("(?(+)a)", sConditionNotRecognized));
  EXPECT_TRUE(Raises("(?(2)a)(b)", sRangeOverGroupNumber));
  EXPECT_TRUE(Raises("(*PRUNE", sUnterminatedVerbPattern));
  EXPECT_TRUE(Raises("(*MARK:x", sUnterminatedVerbPattern));
  EXPECT_TRUE(Raises("(*BOGUS)", sNotRecognized));
  EXPECT_TRUE(Raises("(*COMMIT:x)", sNotRecognized));
  EXPECT_EQ(CompileMessage("(*F)|(*FAIL)|(*ACCEPT)|(*COMMIT)|(*THEN:t)|(*SKIP:s)|(*:m)"), "");
}

TEST(CompileErrors, FailedCompileLeavesObjectUncompiledAndReusable) {
  TRegExp re;
  re.SetExpression(u"(a");
  EXPECT_THROW(re.Compile(), ERegExpCompile);
  EXPECT_FALSE(re.Compiled());
  EXPECT_EQ(re.GroupCount(), 0);
  EXPECT_THROW(re.Compile(), ERegExpCompile);  // still failing, no stale program
  re.SetExpression(u"(a)(b)");
  EXPECT_NO_THROW(re.Compile());
  EXPECT_TRUE(re.Compiled());
  EXPECT_EQ(re.GroupCount(), 2);
  // ERegExpCompile is an ERegExp; what() carries the text as UTF-8.
  re.SetExpression(u"[");
  try {
    re.Compile();
    FAIL();
  } catch (const ERegExp& e) {
    EXPECT_EQ(std::string(e.what()), S(e.Message()));
  }
}

TEST(CompileErrors, DeepNestingIsAnErrorNotACrash) {
  std::string deep(20000, '(');
  deep += "a";
  deep += std::string(20000, ')');
  EXPECT_TRUE(Raises(deep, sNotRecognized));
  std::string lookarounds;
  for (int i = 0; i < 5000; ++i) lookarounds += "(?=";
  lookarounds += "a";
  for (int i = 0; i < 5000; ++i) lookarounds += ")";
  EXPECT_FALSE(CompileMessage(lookarounds).empty());
  // Moderate nesting works.
  std::string ok(100, '(');
  ok += "a";
  ok += std::string(100, ')');
  EXPECT_EQ(CompileMessage(ok), "");
}

TEST(CompileErrors, RandomPatternsCompileOrRaiseOnlyCompileErrors) {
  // Fragments of the pattern language glued at random, under random options:
  // every outcome is a program or an ERegExpCompile, never anything else.
  const char16_t* atoms[] = {u"a", u"(", u")", u"[", u"]", u"^", u"-", u"\\", u"*", u"+", u"?", u"{", u"}",
                             u",", u"1", u"0", u"|", u"(?", u"<", u">", u"'", u"=", u"!", u"P", u"k", u"g",
                             u"x", u"p", u"{L}", u":", u"alpha", u"(*", u"MARK", u"R", u"&", u"C", u"#", u"i",
                             u"Q", u"E", u"$", u".", u"\uFF76", u"\uFF9E", u"DEFINE", u"c", u" "};
  std::mt19937 rng(20260);
  int compiled = 0;
  for (int i = 0; i < 20000; ++i) {
    std::u16string pattern;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) pattern += atoms[rng() % std::size(atoms)];
    TRegExp re;
    re.SetOptionSet(TREOptions(static_cast<std::uint16_t>(rng() & 0x1FE)));
    re.SetExpression(pattern);
    try {
      re.Compile();
      ++compiled;
    } catch (const ERegExpCompile&) {
      EXPECT_FALSE(re.Compiled());
    }
  }
  EXPECT_GT(compiled, 1000);
}

}  // namespace
}  // namespace vantora
