// Backtracking verbs and (*ACCEPT): PRUNE, SKIP (plain and named), THEN,
// COMMIT (confined by atomic groups), ACCEPT in groups and assertions, and
// the marks reported through RegMark/RegError.
#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(Verbs, BacktrackingControl) {
  const MatchRow rows[] = {
      {"a+(*MARK:m)b(*SKIP:m)c|.", "aabx", R"x(@3"b" @4"x")x"},
      {"(?:a(*THEN)b|a(*THEN)c|ad)", "ad ac", R"x(@1"ad" @4"ac")x"},
      {"(?>a(*COMMIT)b)|ac", "ac", R"x(-)x"},
      {"(?=a(*ACCEPT)b)a", "ac", R"x(@1"a")x"},
      {"(a(*ACCEPT)b)?c", "ac", R"x(@1"a","a" @2"c",-)x"},
      {"a(*PRUNE:p)b|a", "ab ac", R"x(@1"ab")x"},
      {"(?:a+(*SKIP)b)+", "aaabaab", R"x(@1"aaabaab")x"},
      {"(a)(*SKIP)(*FAIL)|b", "ab", R"x(@2"b",-)x"},
  };
  ExpectRows(rows);
}

TEST(Verbs, MarksAndSkipNames) {
  TRegExp re;
  re.SetExpression(u"a(*PRUNE:p)b|(*MARK:q)c");
  ASSERT_TRUE(re.Exec(u"c"));
  EXPECT_EQ(re.RegMark(), u"q");
  EXPECT_FALSE(re.Exec(u"ax"));
  EXPECT_EQ(re.RegError(), u"q");  // the last mark met: the attempt at x passes (*MARK:q)
  re.SetExpression(u"a(*PRUNE:p)b");
  EXPECT_FALSE(re.Exec(u"ax"));
  EXPECT_EQ(re.RegError(), u"p");
  // SKIP with an unknown name is ignored: ordinary backtracking goes on.
  EXPECT_EQ(AllMatches("a(*SKIP:none)b|ac", "ac"), R"(@1"ac")");
  // SKIP back to the attempt start acts like PRUNE: the scan moves on by
  // one, and the alternative is never tried.
  EXPECT_EQ(AllMatches("(*SKIP)(*FAIL)|b", "ab"), "-");
  EXPECT_EQ(AllMatches("(*SKIP)b", "ab"), R"(@2"b")");
}

}  // namespace
}  // namespace vantora::test
