// Limits of a search: a search of polynomial cost completes with the result
// PCRE2 gives (PCRE2 found each expected match below), and a search stopped
// by a limit raises ERegExpMatchLimit instead of answering "no match"; the
// object stays usable afterwards.
#include <gtest/gtest.h>

#include "regex/RegExpConst.h"
#include "support_regex.h"

namespace vantora::test {
namespace {

std::u16string Repeat(const char16_t* unit, int n) {
  std::u16string s;
  for (int i = 0; i < n; ++i) s += unit;
  return s;
}

// Exec, with the match position or "no match".
std::string Found(const char16_t* pattern, const std::u16string& subject) {
  TRegExp re;
  re.SetExpression(pattern);
  if (!re.Exec(subject)) return "no match";
  return "@" + std::to_string(re.Groups()[0].Index()) + "+" + std::to_string(re.Groups()[0].Length());
}

TEST(MatchLimits, PolynomialSearchesOutsideTheMemoComplete) {
  // A verb keeps the memo out: cubic in steps, found at the end.
  EXPECT_EQ(Found(u"(*MARK:m)a*a*c|b", Repeat(u"a", 500) + u"b"), "@501+1");
  // A back-reference: quadratic in steps (cubic in compares; 30,000 units
  // complete as well, in tens of seconds, as with PCRE2).
  EXPECT_EQ(Found(u"(a+)\\1c|b", Repeat(u"a", 3000) + u"b"), "@3001+1");
  EXPECT_EQ(Found(u"(a|aa)*\\1x", Repeat(u"a", 25) + u"yaax"), "@27+3");
}

TEST(MatchLimits, CallsNestDeeperThanTheFormerFixedLimit) {
  const std::u16string nested = Repeat(u"(", 25000) + Repeat(u")", 25000);
  EXPECT_EQ(Found(u"^(\\((?1)*\\))$", nested), "@1+50000");
}

TEST(MatchLimits, AnExhaustedBudgetIsAnErrorAndTheObjectSearchesAgain) {
  TRegExp re;
  re.SetExpression(u"(a|aa)*\\1x|b");
  try {
    re.Exec(Repeat(u"a", 60) + u"yaax");
    FAIL() << "the exponential search must raise";
  } catch (const ERegExpMatchLimit& e) {
    EXPECT_EQ(e.Limit(), ERegExpMatchLimit::mlSteps);
    EXPECT_EQ(e.Message(), REFormat(sMatchLimitExceeded, sMatchLimitSteps));
  }
  EXPECT_FALSE(re.Groups()[0].Success());
  EXPECT_FALSE(re.ExecNext());  // the failed search is not a match to continue from
  EXPECT_TRUE(re.Exec(u"aaxb"));
  EXPECT_EQ(Describe(re), R"(@1"aax","a")");
}

}  // namespace
}  // namespace vantora::test
