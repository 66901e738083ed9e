// The failure memo: pathological patterns end, and the memo never changes a
// result (counted loops, the empty-iteration bit, searches after a match,
// look-arounds and start positions).
#include <gtest/gtest.h>

#include "regex/RegExpCode.h"
#include "regex/RegExpCodeChar.h"
#include "regex/RegExpProgram.h"
#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(FailureMemo, CountedLoopsAreNotCutByAnEarlierStart) {
  EXPECT_EQ(AllMatches("(?:x?y){2}z", "yyyz"), R"(@2"yyz")");
  EXPECT_EQ(AllMatches("(?:x?y){3}z", "yyyyz"), R"(@2"yyyz")");
  EXPECT_EQ(AllMatches("(?:a|b){2,3}c", "ababac"), R"(@3"abac")");
  EXPECT_EQ(AllMatches("(?:a*b){2}c", "abbabbc"), R"(@4"abbc")");
  EXPECT_EQ(AllMatches("(?:(?:y|x?y){2})+z", "yyyz"), R"(@2"yyz")");
}

TEST(FailureMemo, CountedLoopsOverGroupsAreBoundedWithTheirCountInTheKey) {
  // Exponential without the memo (PCRE2 gives up on the first and third).
  const std::string a32(32, 'a'), a22(22, 'a'), a63(63, 'a');
  EXPECT_EQ(AllMatches("(?:a|aa){2,}c|b", a32 + "b"), R"(@33"b")");
  EXPECT_EQ(AllMatches("(?:a?){22}a{22}", a22), "@1\"" + a22 + "\"");
  EXPECT_EQ(AllMatches("(?:\\w+\\s?){1,10}y|x", a63 + "x"), R"(@64"x")");
  // The count is clamped at the minimum of an unbounded loop and at the
  // maximum of a bounded one, never merged below them.
  EXPECT_EQ(AllMatches("(?:x?y){2,}z", "yyyz"), R"(@1"yyyz")");
  EXPECT_EQ(AllMatches("(?:x?y){2,3}z", "yyyyyz"), R"(@3"yyyz")");
  EXPECT_EQ(AllMatches("(?:(?:a|b){2})+c", "abac"), R"(@2"bac")");
  EXPECT_EQ(AllMatches("(?:a|b){3,}?c", "ababac"), R"(@1"ababac")");
}

TEST(FailureMemo, EmptyIterationBitIsPartOfTheKey) {
  // The same loop state at the same position, once at the start of an
  // iteration and once after consuming: only the first may iterate again.
  EXPECT_EQ(AllMatches("(?:a?b?)*c", "abbac"), R"(@1"abbac")");
  EXPECT_EQ(AllMatches("(?:(a)|b?)*c", "xbac"), R"(@2"bac","a")");
  EXPECT_EQ(AllMatches("(?:a|(?=b))*b", "aab"), R"(@1"aab")");
}

TEST(FailureMemo, ASuccessfulSearchDoesNotPoisonTheNext) {
  EXPECT_EQ(AllMatches("(?:ab)*", "abab"), R"(@1"abab" @5"")");
  EXPECT_EQ(AllMatches("(a|b)*", "ab"), R"(@1"ab","b" @3"",-)");
  EXPECT_EQ(AllMatches("(?:a+)+", "aa-aa"), R"(@1"aa" @4"aa")");
}

TEST(FailureMemo, PathologicalPatternsEnd) {
  const std::u16string as(10000, u'a');
  TRegExp re;
  re.SetOptimizeKind(opNone);  // the matcher alone: no pre-filter on the missing literal
  re.SetExpression(u"(a*)*b");
  EXPECT_FALSE(re.Exec(as));
  re.SetExpression(u"(a|aa)+$");
  EXPECT_FALSE(re.Exec(as + u"b"));
  ASSERT_TRUE(re.Exec(as));
  EXPECT_EQ(re.Groups()[0].Length(), 10000);
  re.SetExpression(u"(x+x+)+y");
  EXPECT_FALSE(re.Exec(std::u16string(10000, u'x')));
  re.SetExpression(u"(?:a+|b)*c");
  EXPECT_FALSE(re.Exec(as + u"b" + as));
  std::u16string many;  // forty optional groups do not switch the memo off
  for (int i = 0; i < 40; ++i) many += u"(x)?";
  TRegExp plain;  // without start-position optimisation: the matcher alone
  plain.SetOptimizeKind(opNone);
  plain.SetExpression(many + u"(a*)*b");
  EXPECT_FALSE(plain.Exec(as + u"cc"));
  re.SetExpression(u"^(\\w+\\s?)*$");
  EXPECT_FALSE(re.Exec(std::u16string(3000, u'a') + u"!"));
}

TEST(FailureMemo, LongSubjectsUseTheHeapNotTheCallStack) {
  const std::u16string s = std::u16string(200000, u'a') + u"c";
  TRegExp re;
  re.SetExpression(u"(?:a|b)*c");
  ASSERT_TRUE(re.Exec(s));
  EXPECT_EQ(re.Groups()[0].Length(), 200001);
  re.SetExpression(u"(a|b)*?c");
  ASSERT_TRUE(re.Exec(s));
  EXPECT_EQ(re.Groups()[1].Strings(), u"a");
  re.SetExpression(u"^(a(?1)?b)$");
  ASSERT_TRUE(re.Exec(std::u16string(3000, u'a') + std::u16string(3000, u'b')));
  re.SetExpression(u"(?>a+)(?<=a)c");
  EXPECT_TRUE(re.Exec(s));
}

// The memo rule admits only the leaf kinds it knows: the same program with
// one leaf replaced by a leaf of a kind the rule has never heard of keeps
// the memo out, as \G (which reads the previous match) does.
TEST(FailureMemo, LeavesOfKindsTheRuleDoesNotKnowKeepTheMemoOut) {
  struct TUnknownLeaf : TRECode {
    TUnknownLeaf() : TRECode(TREOptions{}) {}
    bool IsEqual(const TREContext& cx, const char16_t* p, int& len) const override {
      len = 2;
      return cx.RangeEnd - p >= 2 && p[0] == u'a' && p[1] == u'b';
    }
    std::string Dump() const override { return "unknown"; }
  };
  std::unique_ptr<TREProgram> program = REBuildProgram(u"(?:ab|cd)*e", {}, opBoth);
  EXPECT_TRUE(program->Analysis().MemoAllowed);
  const TRECode* literal = nullptr;
  for (const auto& code : program->Codes())
    if (const TRELiteralCode* lit = REAsLiteral(code.get()); lit && lit->Text() == u"ab") literal = lit;
  ASSERT_NE(literal, nullptr);
  program->ReplaceCode(literal, std::make_unique<TUnknownLeaf>());
  TREMatchAnalysis again;
  REAnalyseMatch(*program, again);
  EXPECT_FALSE(again.MemoAllowed);
  EXPECT_FALSE(RECompileProgram(u"\\G(?:ab|cd)*e", {}, opBoth)->Analysis().MemoAllowed);
}

}  // namespace
}  // namespace vantora::test
