// Substitute, Replace (template and function forms, count, offset,
// OnReplace), Split (count, offset, empty matches) and the convenience
// functions.
#include <stdexcept>

#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

using List = std::vector<std::u16string>;

TEST(Replace, TemplateWrapsEachNumberAndSkipsEmptyMatches) {
  TRegExp re;
  re.SetExpression(u"(\\d+)");
  EXPECT_EQ(re.Replace(u"a12b3c", u"[$1]"), u"a[12]b[3]c");
  EXPECT_EQ(re.Replace(u"none", u"[$1]"), u"none");
  re.SetExpression(u"x*");
  EXPECT_EQ(re.Replace(u"abxc", u"-"), u"ab-c");
}

TEST(Replace, EveryTemplateSequence) {
  TRegExp re;
  re.SetExpression(u"(?<w>b)(c)?");
  ASSERT_TRUE(re.Exec(u"abd"));
  EXPECT_EQ(re.Substitute(u"$0|$1|$2|$3|$9"), u"b|b|||");
  EXPECT_EQ(re.Substitute(u"$10"), u"b0");
  EXPECT_EQ(re.Substitute(u"${w}${nope}${w"), u"bb");
  EXPECT_EQ(re.Substitute(u"$&-$$-$`-$'-$_"), u"b-$-a-d-abd");
  EXPECT_EQ(re.Substitute(u"$+"), u"b");  // group 2 did not take part
  EXPECT_EQ(re.Substitute(u"$x$"), u"x$");
  EXPECT_EQ(re.Substitute(u""), u"");
  EXPECT_FALSE(re.Exec(u"zzz"));
  EXPECT_EQ(re.Substitute(u"$0"), u"");
  re.SetExpression(u"(a)(b)?(c)");
  ASSERT_TRUE(re.Exec(u"ac"));
  EXPECT_EQ(re.Substitute(u"$+"), u"c");
}

TEST(Replace, CountOffsetAndEscapesInTheTemplate) {
  TRegExp re;
  re.SetExpression(u"o");
  EXPECT_EQ(re.Replace(u"foo boo", u"0", 2), u"f00 boo");
  EXPECT_EQ(re.Replace(u"foo boo", u"0", 0, 4), u"foo b00");
  EXPECT_EQ(re.Replace(u"foo boo", u"0", 1, 4), u"foo b0o");
  EXPECT_EQ(re.Replace(u"foo", u"\\t"), u"f\t\t");
  EXPECT_EQ(re.Replace(u"foo", u"\\$1"), u"f");  // escapes decode first: $1 of a pattern without groups
}

TEST(Replace, OnReplaceMayChangeTheText) {
  TRegExp re;
  re.SetExpression(u"\\w+");
  int calls = 0;
  re.OnReplace = [&](TRegExp& r, std::u16string& with) {
    ++calls;
    with = u"<" + r.Groups()[0].Strings() + u":" + with + u">";
  };
  EXPECT_EQ(re.Replace(u"ab cd", u"x"), u"<ab:x> <cd:x>");
  EXPECT_EQ(calls, 2);
}

TEST(Replace, FunctionFormAndItsCleanUp) {
  TRegExp re;
  re.SetExpression(u"\\d");
  const std::u16string r = re.Replace(u"a1b2", [](TRegExp& x) { return u"(" + x.Groups()[0].Strings() + u")"; });
  EXPECT_EQ(r, u"a(1)b(2)");
  EXPECT_FALSE(static_cast<bool>(re.OnReplace));
  re.OnReplace = [](TRegExp&, std::u16string& w) { w = u"T"; };
  EXPECT_THROW(re.Replace(u"a1", [](TRegExp&) -> std::u16string { throw std::runtime_error("x"); }),
               std::runtime_error);
  EXPECT_FALSE(static_cast<bool>(re.OnReplace));
  EXPECT_EQ(re.Replace(u"a1", u"#"), u"a#");
}

TEST(Split, PiecesBetweenNonEmptyMatches) {
  TRegExp re;
  re.SetExpression(u",");
  List list{u"old"};
  re.Split(u"a,b,,c", list);
  EXPECT_EQ(list, (List{u"a", u"b", u"", u"c"}));
  re.Split(u"abc", list);
  EXPECT_TRUE(list.empty());
  re.Split(u"a,b,c,d", list, 2);
  EXPECT_EQ(list, (List{u"a", u"b,c,d"}));
  re.Split(u"a,b,c,d", list, 3, 3);
  EXPECT_EQ(list, (List{u"a,b", u"c", u"d"}));
  re.Split(u",a,", list);
  EXPECT_EQ(list, (List{u"", u"a", u""}));
  re.SetExpression(u"(-)|x*");
  re.Split(u"a-b", list);  // groups are not added; empty matches are skipped
  EXPECT_EQ(list, (List{u"a", u"b"}));
}

TEST(Convenience, TemporaryObjectsWithTheGivenOptions) {
  EXPECT_TRUE(RegIsMatch(u"(a)\\d", u"xa1"));
  EXPECT_FALSE(RegIsMatch(u"A", u"a"));
  EXPECT_TRUE(RegIsMatch(u"A", u"a", TREOptions{roIgnoreCase}));
  List list{u"old"};
  EXPECT_TRUE(RegMatch(u"(\\d)(x)?(\\d)", u"a12", list));
  EXPECT_EQ(list, (List{u"12", u"1", u"", u"2"}));
  EXPECT_FALSE(RegMatch(u"z", u"a", list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(RegReplace(u"a", u"banana", u"o"), u"bonono");
  EXPECT_EQ(RegReplace(u"n", u"banana", [](TRegExp& r) { return std::u16string(u"[") + r.Groups()[0].Strings() + u"]"; }),
            u"ba[n]a[n]a");
  RegSplit(u"\\s+", u"a  b\tc", list);
  EXPECT_EQ(list, (List{u"a", u"b", u"c"}));
  EXPECT_THROW(RegIsMatch(u"(", u"x"), ERegExpCompile);
}

}  // namespace
}  // namespace vantora::test
