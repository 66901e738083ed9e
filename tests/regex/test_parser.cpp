// Parser: literal merging and compile-time folding, the reach of inline
// options, group numbering (named, duplicate names, branch reset, named-only
// mode), sub-expression texts, reference resolution, and the end-to-end
// behaviour of the constructs whose meaning the parser decides.
#include <gtest/gtest.h>

#include <string>

#include "regex/RegExpNFA.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

namespace vantora {
namespace {

using test::AllMatches;
using test::S;
using test::U;

std::string Dump(const std::string& pattern, TREOptions options = {}) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(U(pattern));
  re.Compile();
  return REDumpNFA(re);
}

TEST(Parser, CaseFoldingHappensAtCompileTimeAndFollowsOptionScope) {
  EXPECT_NE(Dump("(?i)abc").find("literal \"ABC\""), std::string::npos);
  EXPECT_NE(Dump("(?i:abc)").find("literal \"ABC\""), std::string::npos);
  EXPECT_NE(Dump("abc", {roIgnoreCase}).find("literal \"ABC\""), std::string::npos);
  // a(?i)b: the a stays case-sensitive, and the two are separate leaves.
  EXPECT_EQ(Dump("a(?i)b"), "0: Char char a -> 2\n1: End\n2: Char char B -> 1\n");
  // An inline option ends with its group.
  std::string d = Dump("(a(?i)b)c");
  EXPECT_NE(d.find("char B"), std::string::npos);
  EXPECT_NE(d.find("char c"), std::string::npos) << d;
  // (?-i) switches off what the object's options switched on.
  EXPECT_NE(Dump("A(?-i)b", {roIgnoreCase}).find("char b"), std::string::npos);
  EXPECT_EQ(AllMatches("(a(?i)b)c", "aBc aBC"), "@1\"aBc\",\"aB\"");
  EXPECT_EQ(AllMatches("x(?i:y)z", "xYz xyZ"), "@1\"xYz\"");
}

TEST(Parser, WidthAndKanaFoldingOfPatternCharacters) {
  // Half-width katakana with a voiced mark is one character under 'w'.
  EXPECT_NE(Dump(S(u"\uFF76\uFF9E"), {roIgnoreWidth}).find("char U+30AC"), std::string::npos);
  // ASCII folds to full width, hiragana to katakana.
  EXPECT_NE(Dump("a", {roIgnoreWidth}).find("char U+FF41"), std::string::npos);
  EXPECT_NE(Dump(S(u"\u3042"), {roIgnoreKana}).find("char U+30A2"), std::string::npos);
  TREOptions zenhan{roIgnoreWidth, roIgnoreKana};
  EXPECT_EQ(AllMatches(S(u"\u304C"), S(u"x\uFF76\uFF9E\u30AC"), zenhan), "@2\"\uFF76\uFF9E\" @4\"\u30AC\"");
  EXPECT_EQ(AllMatches("abc", S(u"\uFF41\uFF42\uFF43"), {roIgnoreWidth}), "@1\"\uFF41\uFF42\uFF43\"");
}

TEST(Parser, CharacterBeforeAQuantifierIsNotMerged) {
  EXPECT_EQ(AllMatches("abc*", "ab abccc ac"), "@1\"ab\" @4\"abccc\"");
  EXPECT_EQ(AllMatches("ab{2}", "abb abab"), "@1\"abb\"");
  // \Q...\E and escapes join the same run.
  EXPECT_NE(Dump("a\\Q.*\\Eb").find("literal \"a.*b\""), std::string::npos);
  EXPECT_NE(Dump("\\x41\\u").find("literal \"Au\""), std::string::npos);
}

TEST(Parser, GroupNumberingAndNames) {
  TRegExp re;
  re.SetExpression(u"(a)(?:b)(?<year>c)(?'m'd)(?P<day>e)(f)");
  re.Compile();
  EXPECT_EQ(re.GroupCount(), 5);
  EXPECT_EQ(re.GroupNameFromIndex(2), u"year");
  EXPECT_EQ(re.GroupNameFromIndex(3), u"m");
  EXPECT_EQ(re.GroupNameFromIndex(4), u"day");
  EXPECT_EQ(re.GroupNameFromIndex(5), u"");
  EXPECT_EQ(re.IndexFromGroupName(u"day"), 4);
  EXPECT_EQ(re.IndexFromGroupName(u"none"), -1);
  EXPECT_THROW(re.GroupNameFromIndex(6), ERegExpRuntime);
  EXPECT_THROW(re.GroupNameFromIndex(-1), ERegExpRuntime);
  // Named-only mode: plain groups do not count.
  TRegExp n;
  n.SetOptionSet({roNamedGroupOnly});
  n.SetExpression(u"(a)(?<x>b)(c)");
  n.Compile();
  EXPECT_EQ(n.GroupCount(), 1);
  EXPECT_EQ(n.GroupNameFromIndex(1), u"x");
  TRegExp inl;
  inl.SetExpression(u"(a)(?n)(b)(?<x>c)");
  inl.Compile();
  EXPECT_EQ(inl.GroupCount(), 2);
}

TEST(Parser, DuplicateNamesAreLinkedAndTheMatchingOneIsChosen) {
  TRegExp re;
  re.SetExpression(u"(?<n>a)|(?<n>b)");
  re.Compile();
  EXPECT_EQ(re.GroupCount(), 2);
  EXPECT_EQ(re.Groups().Item(1).SameNameNext(), 2);
  EXPECT_EQ(re.Groups().Item(2).SameNameNext(), 0);
  EXPECT_EQ(re.IndexFromGroupName(u"n"), 1);  // nothing matched yet: the first
  ASSERT_TRUE(re.Exec(u"b"));
  EXPECT_EQ(re.IndexFromGroupName(u"n"), 2);
  EXPECT_EQ(S(re.Groups().Names(u"n").Strings()), "b");
  // A back-reference to a shared name reads the group that matched.
  EXPECT_EQ(AllMatches("(?:(?<n>a)|(?<n>b))\\k<n>", "aa ab bb"), "@1\"aa\",\"a\",- @7\"bb\",-,\"b\"");
}

TEST(Parser, BranchResetNumbering) {
  TRegExp re;
  re.SetExpression(u"(?|(a)|(b))");
  re.Compile();
  EXPECT_EQ(re.GroupCount(), 1);
  re.SetExpression(u"(?|(a)(b)|(c))(d)");
  re.Compile();
  EXPECT_EQ(re.GroupCount(), 3);  // d follows the widest alternative
  EXPECT_EQ(AllMatches("(?|(a)(b)|(c))(d)", "abd cd"), "@1\"abd\",\"a\",\"b\",\"d\" @5\"cd\",\"c\",-,\"d\"");
  re.SetExpression(u"(?|(?<x>a)|(?<y>b))");
  re.Compile();
  EXPECT_EQ(re.GroupCount(), 1);
  EXPECT_EQ(re.IndexFromGroupName(u"y"), 1);
}

TEST(Parser, SubExpressionIsTheGroupBodyText) {
  TRegExp re;
  re.SetExpression(u"(abc)(?<n>x(y)z  )((?:p|q))");
  re.Compile();
  EXPECT_EQ(re.Groups().Item(0).SubExpression(), u"");
  EXPECT_EQ(re.Groups().Item(1).SubExpression(), u"abc");
  EXPECT_EQ(re.Groups().Item(2).SubExpression(), u"x(y)z");  // trailing white space dropped
  EXPECT_EQ(re.Groups().Item(3).SubExpression(), u"y");
  EXPECT_EQ(re.Groups().Item(4).SubExpression(), u"(?:p|q)");
  // Escaped parentheses do not end the body.
  re.SetExpression(u"(a\\)b)");
  re.Compile();
  EXPECT_EQ(re.Groups().Item(1).SubExpression(), u"a\\)b");
}

TEST(Parser, ReferencesResolveAndMarkTheirGroups) {
  TRegExp re;
  re.SetExpression(u"(a)|b\\1");  // a reference to an existing group compiles
  re.Compile();
  EXPECT_TRUE(re.Groups().Item(1).IsReferenced());
  re.SetExpression(u"(a)(b)\\g{-1}\\g-2\\k{1}(?(2)x)");
  re.Compile();
  EXPECT_TRUE(re.Groups().Item(1).IsReferenced());
  EXPECT_TRUE(re.Groups().Item(2).IsReferenced());
  EXPECT_EQ(AllMatches("(a)(b)\\g{-1}\\g-2", "abba abab"), "@1\"abba\",\"a\",\"b\"");
  // Forward references are checked at the end.
  re.SetExpression(u"(?:\\2b|(a))(c)");
  EXPECT_NO_THROW(re.Compile());
  // \nn: a back-reference when that many groups can exist, else octal.
  EXPECT_EQ(AllMatches("\\101", "A"), "@1\"A\"");
  EXPECT_EQ(AllMatches("(a)\\11", "a\t"), "@1\"a\\t\",\"a\"");
  EXPECT_EQ(AllMatches("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\\10", "abcdefghijj"),
            "@1\"abcdefghijj\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",\"i\",\"j\"");
}

TEST(Parser, CommentsOptionsAndExtendedMode) {
  EXPECT_EQ(AllMatches("a(?#note)b", "ab"), "@1\"ab\"");
  EXPECT_EQ(AllMatches("(?x) a b \\  c", "ab c abc"), "@1\"ab c\"");
  EXPECT_EQ(AllMatches("a b", "ab a b", {roExtended}), "@1\"ab\"");
  // Extended mode leaves classes alone.
  EXPECT_EQ(AllMatches("[ ]x", " x", {roExtended}), "@1\" x\"");
  EXPECT_EQ(AllMatches("(?s).", "\n"), "@1\"\\n\"");
  EXPECT_EQ(AllMatches("(?m)^b", "a\nb"), "@3\"b\"");
}

TEST(Parser, LookBehindAcceptsAlternativesOfDifferentLengthsOnly) {
  EXPECT_EQ(AllMatches("(?<=ab|c)d", "abd cd bd"), "@3\"d\" @6\"d\"");
  TRegExp re;
  for (const char16_t* bad : {u"(?<=a*)b", u"(?<=a?)b", u"(?<!a{2})b", u"(?<=(?:ab)+)c", u"(?<=\\1)(a)"}) {
    re.SetExpression(bad);
    EXPECT_THROW(re.Compile(), ERegExpCompile) << S(bad);
  }
}

}  // namespace
}  // namespace vantora
