// Subroutine calls and recursion: captures restored after a call, named
// calls, DEFINE groups, left recursion that must end instead of looping,
// and deep recursion on the heap.
#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(Calls, RecursionAndSubroutines) {
  const MatchRow rows[] = {
      {"a|(?R)b", "b", R"x(-)x"},
      {"(a|b(?1))", "bba", R"x(@1"bba","bba")x"},
      {"(?<p>\\((?:[^()]|(?&p))*\\))", "((a)(b(c)))", R"x(@1"((a)(b(c)))","((a)(b(c)))")x"},
      {"(a)(?1)(?1)", "aaa", R"x(@1"aaa","a")x"},
      {"(?(DEFINE)(?<w>[a-z]+))(?&w)\\s(?&w)", "hello world", R"x(@1"hello world",-)x"},
  };
  ExpectRows(rows);
}

TEST(Calls, CapturesComeBackAfterACallAndRecursionTestsSeeTheCallStack) {
  EXPECT_EQ(AllMatches("(\\w)(?1)\\1", "abb aba"), R"(@5"aba","a")");
  EXPECT_EQ(AllMatches("^((.)(?1)\\2|.?)$", "racecar"), R"(@1"racecar","racecar","r")");
  EXPECT_EQ(AllMatches("(a(?(R1)b|(?1)c))", "aabc"), R"(@1"aabc","aabc")");
  EXPECT_EQ(AllMatches("(?(R)x|y(?R)?)", "yyx"), R"(@1"y" @2"yx")");
}

TEST(Calls, ExponentialRecursionRaisesTheMatchLimit) {
  // The memo cannot cut inside calls; the step budget ends such a search
  // with an error, not with "no match".
  TRegExp re;
  re.SetExpression(u"((?1)*a$?a?)pAA");
  EXPECT_THROW(re.Exec(u"A\\aA" + std::u16string(37, u'a')), ERegExpMatchLimit);
  re.SetExpression(u"(a|b?)*\\1c");  // a back-reference keeps the memo out; polynomial: it completes
  EXPECT_FALSE(re.Exec(std::u16string(1000, u'a')));
  EXPECT_TRUE(re.Exec(std::u16string(50, u'a') + u"c"));
}

TEST(Calls, DeepRecursionUsesTheHeap) {
  const std::string s = std::string(5000, '(') + "a" + std::string(5000, ')');
  EXPECT_EQ(AllMatches("^(\\((?1)\\)|a)$", s), "@1\"" + s + "\",\"" + s + "\"");
}

}  // namespace
}  // namespace vantora::test
