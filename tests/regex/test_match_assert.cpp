// Look-aheads, look-behinds, atomic groups and conditions: captures kept
// by positive assertions and dropped by negative ones, nesting, look-behind
// alternatives of different lengths, anchors inside look-behinds.
#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(Assertions, LookAroundsAndAtomicGroups) {
  const MatchRow rows[] = {
      {"(?!(a)b)\\w", "abac", R"x(@2"b",- @3"a",- @4"c",-)x"},
      {"(?=a(?!b))..", "abac", R"x(@3"ac")x"},
      {"(?>(a+))a", "aaa", R"x(-)x"},
      {"(?>(a|ab))c", "abc ac", R"x(@5"ac","a")x"},
      {"(?<=ab|b)c", "abc bc", R"x(@3"c" @6"c")x"},
      {"(?<![ab])c", "ac xc", R"x(@5"c")x"},
      {"(?<=^a)b", "ab cab", R"x(@2"b")x"},
      {"(?=(\\w))(?=(\\w\\w))\\w", "ab", R"x(@1"a","a","ab")x"},
      {"(?:(?=(a))|b)+", "ab", R"x(@1"","a" @2"b",-)x"},
  };
  ExpectRows(rows);
}

TEST(Assertions, LookBehindNeverReadsBeforeTheRangeOrInsideAPair) {
  TRegExp re;
  re.SetExpression(u"(?<=a)b|(?<!\\x{D83D})\\x{DE00}");
  re.SetInputString(u"ab");
  EXPECT_FALSE(re.ExecPos(2, 1));  // the a lies before the range
  EXPECT_TRUE(re.ExecPos(1, 2));
  EXPECT_EQ(AllMatches("(?<=😀)x|(?<=^)x", "x😀x"), R"(@1"x" @4"x")");
}

TEST(Assertions, NestedAssertionsAndConditionsOnThem) {
  EXPECT_EQ(AllMatches("(?=(?!a)(?<=a)(.))\\w", "ab"), R"(@2"b","b")");
  EXPECT_EQ(AllMatches("(?(?<!a)b|c)", "bc acb"), R"(@1"b" @5"c" @6"b")");
  EXPECT_EQ(AllMatches("(?>(?=(a))a|b)\\1?", "aab"), R"(@1"aa","a" @3"b",-)");
}

TEST(Assertions, DeeplyNestedAssertionsRunWithoutNativeRecursion) {
  std::string pattern;
  for (int i = 0; i < 200; ++i) pattern += "(?=a";
  for (int i = 0; i < 200; ++i) pattern += ")";
  pattern += "a";
  EXPECT_EQ(AllMatches(pattern, "x" + std::string(200, 'a')), R"(@2"a")");
  EXPECT_EQ(AllMatches(pattern, "x" + std::string(199, 'a')), "-");
}

}  // namespace
}  // namespace vantora::test
