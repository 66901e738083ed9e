// Loops: general loops (lazy, possessive, counted, nested, with captures),
// fast single-leaf loops over surrogate pairs and folded classes, and the
// give-back order of repetitions. Expectations agree with PCRE2 where the
// semantics are shared.
#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(Loops, GreedyLazyPossessiveAndCountedLoops) {
  const MatchRow rows[] = {
      {"(ab|a)*?b", "aab", R"x(@1"aab","a")x"},
      {"(?:ab|a)*+b", "aab", R"x(@3"b")x"},
      {"(?:ab|a)*+", "aab", R"x(@1"aab" @4"")x"},
      {"(a|b){2,3}", "abbab", R"x(@1"abb","b" @4"ab","b")x"},
      {"((a|b)+c)*d", "abcbcd", R"x(@1"abcbcd","bc","b")x"},
      {"(a){0}b", "ab", R"x(@2"b",-)x"},
      {"a{2,4}a", "aaaa", R"x(@1"aaaa")x"},
      {"(a{2,4}?)a", "aaaa", R"x(@1"aaa","aa")x"},
      {"😀*😀", "😀😀😀", R"x(@1"😀😀😀")x"},
      {"[😀a]+a", "a😀a", R"x(@1"a😀a")x"},
      {"[😀a]+?a", "😀a😀a", R"x(@1"😀a" @4"😀a")x"},
      {"(?i)[a-z]+", "xABcD1", R"x(@1"xABcD")x"},
      {"(?:a|bc)+?d", "abcad", R"x(@1"abcad")x"},
      {"(?:(a)|(b))*?c", "abc", R"x(@1"abc","a","b")x"},
      {"(a+|b+)*c", "aabbc", R"x(@1"aabbc","bb")x"},
      {"((?:a|b)*)c", "ababc", R"x(@1"ababc","abab")x"},
      {"(?:x|(y))+", "xyx", R"x(@1"xyx","y")x"},
  };
  ExpectRows(rows);
}

TEST(Loops, FoldingOptionsInsideLoops) {
  EXPECT_EQ(AllMatches("(?:ｶﾞ)+", "ガガx", TREOptions{roIgnoreWidth}), R"(@1"ガガ")");
  EXPECT_EQ(AllMatches("[ア-ン]+", "あいう", TREOptions{roIgnoreKana}), R"(@1"あいう")");
  EXPECT_EQ(AllMatches("(?i)(?:ab)+", "AbaBab"), R"(@1"AbaBab")");
}

TEST(Loops, EmptyIterationsEndUnboundedLoopsButCountBelowTheMinimum) {
  EXPECT_EQ(AllMatches("(a?)*", "b"), R"(@1"","" @2"","")");
  EXPECT_EQ(AllMatches("(?:a?){3}b", "b"), R"(@1"b")");
  EXPECT_EQ(AllMatches("(a|){2,}b", "ab"), R"(@1"ab","")");
  EXPECT_EQ(AllMatches("(?:()|a)+b", "aab"), R"(@1"aab","")");
}

TEST(Loops, AGreedyLoopIsLeftWhereverItsFollowerCanStart) {
  // The "leave here" of a greedy loop is skipped only where no literal that
  // can follow matches; followers behind groups, empty branches and
  // alternatives must all be seen, and look-arounds or anchors keep it.
  ExpectRows({
      {"(?:a|b)*(?:c|(b)x)", "abbx", R"(@1"abbx","b")"},
      {"(?:a|b)*(?:(a)|c)b", "abab", R"(@1"abab","a")"},
      {"(a|b)*()(c)", "ababc", R"(@1"ababc","b","","c")"},
      {"(?:a|bc)*(?:(?:)|x)b", "abcb", R"(@1"abcb")"},
      {"(?:(?:a|b)*c)*d", "abcacd", R"(@1"abcacd")"},
      {"(a|b)*(?=b)", "aab", R"(@1"aa","a" @3"",-)"},
      {"(a|b)*$", "ab", R"(@1"ab","b" @3"",-)"},
  });
}

TEST(Loops, LongGeneralLoopsMatchAcrossTheMemoCeiling) {
  // A million iterations: the memo is forgotten and restarted on the way,
  // which changes no result.
  std::string s;
  for (int i = 0; i < 500000; ++i) s += "ab";
  TRegExp re;
  re.SetExpression(u"(?:a|b)*c");
  EXPECT_TRUE(re.Exec(U(s + "c")));
  EXPECT_EQ(re.Groups()[0].Length(), 1000001);
  re.SetExpression(u"(a|b)*(?:ab)+x");
  EXPECT_FALSE(re.Exec(U(s + "c")));
  EXPECT_TRUE(re.Exec(U(s + "x")));
  EXPECT_EQ(re.Groups()[1].Index(), 999998);
}

}  // namespace
}  // namespace vantora::test
