// The search interface of TRegExp: Exec/ExecNext/ExecPos and their ranges,
// group access and its errors, names, recompilation on option changes, the
// OnMatch and OnCallout events, marks, and misuse.
#include <gtest/gtest.h>

#include "regex/RegExpConst.h"
#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(RegExpApi, ExecNextWalksEveryMatchThenStaysFalse) {
  TRegExp re;
  re.SetExpression(u"b");
  ASSERT_TRUE(re.Exec(u"abcb"));
  EXPECT_EQ(re.Groups()[0].Index(), 2);
  EXPECT_EQ(re.Groups()[0].Length(), 1);
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ(re.Groups()[0].Index(), 4);
  EXPECT_FALSE(re.ExecNext());
  EXPECT_FALSE(re.ExecNext());
  EXPECT_FALSE(re.Groups()[0].Success());
  EXPECT_EQ(re.Groups()[0].Index(), 0);
  EXPECT_EQ(re.Groups()[0].Strings(), u"");
}

TEST(RegExpApi, ExecNextBeforeExecRaises) {
  TRegExp re;
  re.SetExpression(u"a");
  try {
    re.ExecNext();
    FAIL() << "no exception";
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(e.Message(), u"Execメソッドが実行されていません");
  }
}

TEST(RegExpApi, LazyCaptureBetweenTagsAndDotStopsAtLineBreaks) {
  TRegExp re;
  re.SetOptions(0, true);
  re.SetExpression(u"最終更新日：<time>(.*?)</time>");
  ASSERT_TRUE(re.Exec(u"<p>最終更新日：<TIME>2024/05/01 15:00</TIME> x </time></p>"));
  EXPECT_EQ(re.Groups()[1].Strings(), u"2024/05/01 15:00");
  EXPECT_FALSE(re.Exec(u"最終更新日：<time>a\nb</time>"));
  re.SetOptions(3, true);  // roSingleLine
  ASSERT_TRUE(re.Exec(u"最終更新日：<time>a\nb</time>"));
  EXPECT_EQ(re.Groups()[1].Strings(), u"a\nb");
}

TEST(RegExpApi, GroupIndexOutOfRangeRaisesWithTheIndex) {
  TRegExp re;
  re.SetExpression(u"(a)(b)?");
  ASSERT_TRUE(re.Exec(u"a"));
  EXPECT_EQ(re.GroupCount(), 2);
  EXPECT_FALSE(re.Groups()[2].Success());
  EXPECT_EQ(re.Groups()[2].Index(), 0);
  EXPECT_EQ(re.Groups()[2].Length(), 0);
  try {
    re.Groups()[3];
    FAIL() << "no exception";
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(e.Message(), u"グループ番号<3>は範囲を越えています");
  }
  EXPECT_THROW(re.Groups()[-1], ERegExpRuntime);
  EXPECT_THROW(re.GroupNameFromIndex(3), ERegExpRuntime);
}

TEST(RegExpApi, NamesPickTheGroupThatTookPart) {
  TRegExp re;
  re.SetExpression(u"(?<n>a)|(?<n>b)|(?<m>c)");
  ASSERT_TRUE(re.Exec(u"b"));
  EXPECT_EQ(re.Groups().Names(u"n").Strings(), u"b");
  EXPECT_EQ(re.IndexFromGroupName(u"n"), 2);
  EXPECT_EQ(re.IndexFromGroupName(u"m"), 3);
  EXPECT_EQ(re.IndexFromGroupName(u"zz"), -1);
  EXPECT_EQ(re.GroupNameFromIndex(2), u"n");
  ASSERT_TRUE(re.Exec(u"a"));
  EXPECT_EQ(&re.Groups().Names(u"n"), &re.Groups()[1]);
  ASSERT_TRUE(re.Exec(u"c"));
  EXPECT_EQ(&re.Groups().Names(u"n"), &re.Groups()[2]);  // none took part: the last of the chain
  try {
    re.Groups().Names(u"zz");
    FAIL() << "no exception";
  } catch (const ERegExpRuntime& e) {
    EXPECT_EQ(e.Message(), u"グループ名<zz>は存在しません");
  }
}

TEST(RegExpApi, SameExpressionKeepsTheProgramOptionChangesRecompile) {
  TRegExp re;
  re.SetExpression(u"abc");
  EXPECT_FALSE(re.Exec(u"ABC"));
  EXPECT_TRUE(re.Compiled());
  re.SetExpression(u"abc");
  EXPECT_TRUE(re.Compiled());
  re.SetOptions(0, true);
  EXPECT_FALSE(re.Compiled());
  EXPECT_TRUE(re.Exec(u"ABC"));
  re.SetOptions(0, true);
  EXPECT_TRUE(re.Compiled());
  re.SetExpression(u"x");
  EXPECT_FALSE(re.Compiled());
  EXPECT_THROW(re.ExecNext(), ERegExpRuntime);  // the new text is not compiled yet
}

TEST(RegExpApi, ExecPosHonoursOffsetAndRange) {
  TRegExp re;
  re.SetExpression(u"^b+$");
  EXPECT_FALSE(re.ExecPos(1, 0));  // no subject yet
  re.SetInputString(u"abbbc");
  EXPECT_FALSE(re.ExecPos(0, 0));
  EXPECT_FALSE(re.ExecPos(-3, 0));
  EXPECT_FALSE(re.ExecPos(2, 0));  // whole subject: ^ is the subject start
  ASSERT_TRUE(re.ExecPos(2, 3));   // range [2, 5): ^ and $ are its ends
  EXPECT_EQ(re.Groups()[0].Index(), 2);
  EXPECT_EQ(re.Groups()[0].Length(), 3);
  EXPECT_FALSE(re.ExecPos(2, 100));  // clipped at the subject end: "bbbc" fails $ before c
  re.SetInputString(u"abbb");
  EXPECT_TRUE(re.ExecPos(2, 100));
  EXPECT_FALSE(re.ExecPos(99, 0));
  re.SetExpression(u"(?<=a)b");
  re.SetInputString(u"abab");
  ASSERT_TRUE(re.ExecPos(2, 0));   // the look-behind sees before the offset
  EXPECT_EQ(re.Groups()[0].Index(), 2);
  EXPECT_FALSE(re.ExecPos(2, 2));  // but not before the range start
  ASSERT_TRUE(re.ExecPos(3, 0));
  EXPECT_EQ(re.Groups()[0].Index(), 4);
}

TEST(RegExpApi, ExecNextAfterEmptyMatchMovesOnAndGlobalPosIsContiguous) {
  EXPECT_EQ(AllMatches("x*", "axx"), R"(@1"" @2"xx" @4"")");
  EXPECT_EQ(AllMatches("\\G\\w", "ab c"), R"(@1"a" @2"b")");
  EXPECT_EQ(AllMatches("", ""), R"(@1"")");
}

TEST(RegExpApi, OnMatchSeesEverySuccessfulSearch) {
  TRegExp re;
  std::vector<int> seen;
  re.OnMatch = [&](TRegExp& r) { seen.push_back(r.Groups()[0].Index()); };
  re.SetExpression(u"\\d");
  re.Exec(u"1a2b3");
  while (re.ExecNext()) {
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 3, 5}));
}

TEST(RegExpApi, SearchingAgainFromACalloutIsRefused) {
  TRegExp re;
  re.SetExpression(u"a(?C1)");
  re.OnCallout = [](TRegExp& r, PCalloutData, bool&, std::int32_t&) { r.Exec(u"a"); };
  EXPECT_THROW(re.Exec(u"a"), ERegExpRuntime);
  re.OnCallout = [](TRegExp&, PCalloutData, bool& isMatch, std::int32_t&) { isMatch = true; };
  EXPECT_TRUE(re.Exec(u"a"));  // the object stays usable
  // OnMatch runs after the search, so it may search again.
  int depth = 0;
  re.OnMatch = [&](TRegExp& r) {
    if (++depth < 3) r.ExecNext();
  };
  EXPECT_TRUE(re.Exec(u"aaa"));
  EXPECT_EQ(depth, 3);
}

TEST(RegExpApi, CalloutsDecideAndConsume) {
  TRegExp re;
  re.SetExpression(u"a(?C7)c");
  EXPECT_FALSE(re.Exec(u"abc"));  // without a handler a callout fails
  std::vector<TCalloutData> calls;
  re.OnCallout = [&](TRegExp&, PCalloutData d, bool& isMatch, std::int32_t& len) {
    calls.push_back(*d);
    isMatch = true;
    len = 1;  // the handler consumes the b
  };
  ASSERT_TRUE(re.Exec(u"xabc"));
  EXPECT_EQ(re.Groups()[0].Strings(), u"abc");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Version, 1);
  EXPECT_EQ(calls[0].CalloutNumber, 7);
  EXPECT_EQ(calls[0].CurrentPosition, 3);
  EXPECT_EQ(calls[0].StartPosition, 2);
  re.OnCallout = [](TRegExp&, PCalloutData, bool& isMatch, std::int32_t& len) {
    isMatch = true;
    len = 1000;  // clipped at the range end
  };
  EXPECT_FALSE(re.Exec(u"abc"));  // consumed to the end, c cannot follow
  re.SetExpression(u"a(?C7)");
  ASSERT_TRUE(re.Exec(u"xabc"));
  EXPECT_EQ(re.Groups()[0].Strings(), u"abc");
}

TEST(RegExpApi, AutomaticCalloutsAreNumbered255) {
  TRegExp re;
  re.SetExpression(u"ab");
  re.SetOptions(7, true);
  int count = 0;
  re.OnCallout = [&](TRegExp&, PCalloutData d, bool& isMatch, std::int32_t& len) {
    EXPECT_EQ(d->CalloutNumber, 255);
    ++count;
    isMatch = true;
    len = 0;
  };
  ASSERT_TRUE(re.Exec(u"ab"));
  EXPECT_GT(count, 0);
}

TEST(RegExpApi, MarksAreReported) {
  TRegExp re;
  re.SetExpression(u"a(*MARK:first)b|c(*:second)d");
  ASSERT_TRUE(re.Exec(u"cd"));
  EXPECT_EQ(re.RegMark(), u"second");
  EXPECT_FALSE(re.Exec(u"ax"));
  EXPECT_EQ(re.RegError(), u"first");
  re.SetExpression(u"x");
  ASSERT_TRUE(re.Exec(u"x"));
  EXPECT_EQ(re.RegMark(), u"");
  EXPECT_EQ(TRegExp::Version(), u"2.6.2");
}

TEST(RegExpApi, EmptySubjectAndFailedSearchLeaveNoCaptures) {
  TRegExp re;
  re.SetExpression(u"(a)|(x*)");
  ASSERT_TRUE(re.Exec(u""));
  EXPECT_EQ(re.Groups()[0].Index(), 1);
  EXPECT_EQ(re.Groups()[0].Length(), 0);
  EXPECT_FALSE(re.Groups()[1].Success());
  EXPECT_TRUE(re.Groups()[2].Success());
  re.SetExpression(u"(a)(b)");
  EXPECT_FALSE(re.Exec(u"ac"));
  for (int i = 0; i <= re.GroupCount(); ++i) EXPECT_FALSE(re.Groups()[i].Success()) << i;
}

TEST(RegExpApi, SubjectsAreSharedNotCopiedPerSearch) {
  auto text = std::make_shared<const std::u16string>(u"Tokyo 7203, Osaka 6758");
  TRegExp codes, cities;
  codes.SetExpression(u"\\d{4}");
  cities.SetExpression(u"[A-Z][a-z]+");
  ASSERT_TRUE(codes.Exec(text));
  ASSERT_TRUE(cities.Exec(text));
  EXPECT_EQ(codes.InputString().data(), text->data());
  EXPECT_EQ(cities.InputString().data(), text->data());
  EXPECT_EQ(codes.Groups()[0].Index(), 7);
  ASSERT_TRUE(codes.ExecNext());
  EXPECT_EQ(codes.Groups()[0].Strings(), u"6758");
  // An equal subject keeps the string held; a different one replaces it.
  const std::u16string same = *text;
  ASSERT_TRUE(codes.Exec(same));
  EXPECT_EQ(codes.InputString().data(), text->data());
  EXPECT_FALSE(codes.Exec(u"none"));
  EXPECT_EQ(codes.InputString(), u"none");
  EXPECT_EQ(*text, u"Tokyo 7203, Osaka 6758");
  codes.SetInputString(std::shared_ptr<const std::u16string>());
  EXPECT_EQ(codes.InputString(), u"");
}

// Objects made from one compiled program: each has the program's pattern
// and options, its own subject, groups and handlers, and recompiling one
// leaves the program of the others alone. A callout handler sees the
// groups of the running search of its own object.
TEST(RegExpApi, ObjectsOfOneProgramKeepTheirOwnSearches) {
  TRegExp first;
  first.SetOptions(0, true);
  first.SetExpression(u"(?<w>a+)(?C1)(b)?");
  first.Compile();
  TRegExp second(first.Program());
  EXPECT_TRUE(second.Compiled());
  EXPECT_EQ(second.Program(), first.Program());
  EXPECT_EQ(second.Expression(), first.Expression());
  EXPECT_TRUE(second.Options(0));
  EXPECT_EQ(second.GroupNameFromIndex(1), u"w");
  std::vector<std::u16string> seen;
  second.OnCallout = [&](TRegExp& re, PCalloutData, bool& isMatch, std::int32_t& len) {
    seen.push_back(re.Groups()[1].Strings());
    isMatch = true;
    len = 0;
  };
  EXPECT_FALSE(first.Exec(u"xAAb"));  // no handler on this object: the callout fails
  ASSERT_TRUE(second.Exec(u"-aaa"));
  EXPECT_EQ(seen, std::vector<std::u16string>{u"aaa"});
  EXPECT_EQ(second.Groups()[0].Index(), 2);
  EXPECT_FALSE(second.Groups()[2].Success());
  EXPECT_EQ(first.Groups()[0].Strings(), u"");
  second.SetExpression(u"(b+)");
  ASSERT_TRUE(second.Exec(u"abba"));
  EXPECT_NE(second.Program(), first.Program());
  EXPECT_EQ(second.Groups()[1].Strings(), u"bb");
  first.OnCallout = second.OnCallout = nullptr;
  EXPECT_EQ(first.Expression(), u"(?<w>a+)(?C1)(b)?");
  EXPECT_EQ(first.GroupCount(), 2);
  TRegExp none(nullptr);  // no program: compiles its (empty) expression on use
  EXPECT_FALSE(none.Compiled());
  EXPECT_TRUE(none.Exec(u"x"));
}

}  // namespace
}  // namespace vantora::test
