// NFA construction: the states emitted for each construct (via the program
// listing), loop forms chosen by the parser, measured lengths, and the
// property/option handling of Compile (recompile only after a change).
#include <gtest/gtest.h>

#include <string>

#include "regex/RegExpCodeChar.h"
#include "regex/RegExpNFA.h"
#include "regex/RegExpProgram.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

namespace vantora {
namespace {

using test::U;

std::string Dump(const std::string& pattern, TREOptions options = {}, TOptimizeKind kind = opBoth) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetOptimizeKind(kind);
  re.SetExpression(U(pattern));
  re.Compile();
  return REDumpNFA(re);
}

struct Lengths {
  int Min, Max;
};
Lengths Len(const std::string& pattern) {
  TRegExp re;
  re.SetExpression(U(pattern));
  re.Compile();
  return {re.Program()->MinMatchLength(), re.Program()->MaxMatchLength()};
}

TEST(Compile, LiteralRunsAndSingleLeafLoops) {
  // abc* is the literal "ab" followed by a star over c. Compile includes
  // the optimiser: a loop that the program end follows is possessive.
  EXPECT_EQ(Dump("abc*"),
            "0: Char literal \"ab\" -> 2\n"
            "1: End\n"
            "2: Star char c {0,32767} possessive -> 1\n");
  EXPECT_EQ(Dump("x{2,}"), "0: Bound char x {2,32767} possessive -> 1\n1: End\n");
  EXPECT_EQ(Dump("a+"), "0: Plus char a {1,32767} possessive -> 1\n1: End\n");
  EXPECT_EQ(Dump("a+a"), "0: Plus char a {1,32767} greedy -> 2\n1: End\n2: Char char a -> 1\n");
  EXPECT_EQ(Dump("a++"), "0: Plus char a {1,32767} possessive -> 1\n1: End\n");
  EXPECT_EQ(Dump("a{2,5}"), "0: Bound char a {2,5} possessive -> 1\n1: End\n");
  // .* has its own fast kind; .*+ stays possessive.
  EXPECT_EQ(Dump(".*"), "0: Star any {0,32767} any -> 1\n1: End\n");
  EXPECT_EQ(Dump(".*+"), "0: Star any {0,32767} possessive -> 1\n1: End\n");
  EXPECT_EQ(Dump("\\X*"), "0: Star combining-seq {0,32767} combining -> 1\n1: End\n");
  // Lazy loops and loops over groups are general loops.
  EXPECT_EQ(Dump("a*?"),
            "0: Loop {0,32767} reluctant -> 2 ext 4\n"
            "1: End\n"
            "2: Char char a -> 3\n"
            "3: LoopEnd -> 4\n"
            "4: LoopExit {0,32767} reluctant -> 1 ext 2\n");
  EXPECT_NE(Dump("(ab)*").find("Loop {0,32767} greedy"), std::string::npos);
  // Without compile-time optimisation every loop is general.
  EXPECT_NE(Dump("a*", {}, opNone).find("0: Loop {0,32767} greedy"), std::string::npos);
  EXPECT_NE(Dump("a*", {}, opRuntimeOnly).find("0: Loop"), std::string::npos);
}

TEST(Compile, OptionalItemIsAnAlternationInTheOrderOfItsKind) {
  EXPECT_EQ(Dump("a?"), "0: Char char a -> 1\n0: Empty -> 1\n1: End\n");
  EXPECT_EQ(Dump("a??"), "0: Empty -> 1\n0: Char char a -> 1\n1: End\n");
  EXPECT_NE(Dump("a?+").find("Loop {0,1} possessive"), std::string::npos);
}

TEST(Compile, AlternativesShareTheirEntryInPatternOrder) {
  EXPECT_EQ(Dump("ab|c|de"),
            "0: Char literal \"ab\" -> 1\n"
            "0: Char char c -> 1\n"
            "0: Char literal \"de\" -> 1\n"
            "1: End\n");
  // A long alternation and a long sequence compile without deep recursion.
  std::string alts, seq;
  for (int i = 0; i < 20000; ++i) alts += (i ? "|" : "") + std::string("x") + std::to_string(i % 10);
  for (int i = 0; i < 20000; ++i) seq += "(?:a)b?";
  EXPECT_FALSE(Dump(alts).empty());
  EXPECT_FALSE(Dump(seq).empty());
}

TEST(Compile, GroupsAssertionsAndConditions) {
  EXPECT_EQ(Dump("(a)"),
            "0: GroupBegin #1 -> 2\n1: End\n2: Char char a -> 3\n3: GroupEnd #1 -> 1\n");
  EXPECT_EQ(Dump("(?>a+)b"),
            "0: Suspend -> 3 ext 4\n1: End\n2: Char char b -> 1\n"
            "3: Plus char a {1,32767} greedy -> 4\n4: MatchEnd -> 2\n");
  EXPECT_EQ(Dump("(?<=ab|c)d"),
            "0: BehindMatch len 1..2 -> 3 ext 4\n1: End\n2: Char char d -> 1\n"
            "3: Char literal \"ab\" -> 4\n3: Char char c -> 4\n4: MatchEnd -> 2\n");
  EXPECT_EQ(Dump("(a)?(?(1)b|c)"),
            "0: GroupBegin #1 -> 3\n0: Empty -> 2\n1: End\n"
            "2: IfMatch if-group 1 -> 5 else 6\n3: Char char a -> 4\n4: GroupEnd #1 -> 2\n"
            "5: Char char b -> 1\n6: Char char c -> 1\n");
  // An assertion condition has its own sub-program.
  EXPECT_EQ(Dump("(?(?=a)ab|cd)"),
            "0: IfMatch -> 6 ext 2 else 7\n1: End\n2: AheadMatch -> 4 ext 5\n"
            "4: Char char a -> 5\n5: MatchEnd -> 3\n6: Char literal \"ab\" -> 1\n7: Char literal \"cd\" -> 1\n");
  // DEFINE skips its body; calls reach the group's own begin state.
  EXPECT_EQ(Dump("(?(DEFINE)(?<d>\\d))(?&d)"),
            "0: Define -> 2 ext 3\n1: End\n2: GoSub #1 -> 1\n3: Empty -> 5\n4: Fail -> -1\n"
            "5: GroupBegin #1 -> 6\n6: Normal \\d -> 7\n7: GroupEnd #1 -> 4\n");
  EXPECT_EQ(Dump("(a)|b(?1)"),
            "0: Empty -> 2\n0: Char char b -> 5\n1: End\n2: GroupBegin #1 -> 3\n"
            "3: Char char a -> 4\n4: GroupEnd #1 -> 1\n5: GoSub #1 -> 1\n");
}

TEST(Compile, VerbsCarryNamesAndTheEnclosingAlternation) {
  TRegExp re;
  re.SetExpression(u"(*MARK:m1)a(*THEN:t)b|c(*PRUNE)");
  re.Compile();
  const std::vector<std::u16string>& names = re.Program()->Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], u"m1");
  EXPECT_EQ(names[1], u"t");
  std::string d = REDumpNFA(re);
  EXPECT_NE(d.find("Mark -> "), std::string::npos);
  EXPECT_NE(d.find("Then -> 4 ext 0 name 1"), std::string::npos) << d;
  EXPECT_NE(d.find("Prune -> 1\n"), std::string::npos);
  EXPECT_NE(Dump("a(*THEN)").find("Then -> 1\n"), std::string::npos);  // no alternation: no partner
}

TEST(Compile, MeasuredLengths) {
  EXPECT_EQ(Len("abc").Min, 3);
  EXPECT_EQ(Len("abc").Max, 3);
  EXPECT_EQ(Len("a|bcd").Min, 1);
  EXPECT_EQ(Len("a|bcd").Max, 3);
  EXPECT_EQ(Len("a{2,4}").Max, 4);
  EXPECT_EQ(Len("a*").Max, -1);
  EXPECT_EQ(Len("(?=abc)x").Min, 1);    // assertions consume nothing
  EXPECT_EQ(Len("\\x{1F600}").Min, 2);  // a surrogate pair
  EXPECT_EQ(Len("(a)\\1").Max, -1);     // back-references vary
  EXPECT_EQ(Len("(a(*ACCEPT)b)c").Min, 0);
  EXPECT_EQ(Len("(ab)(?1)").Min, 4);    // calls use the group's length
  EXPECT_EQ(Len("(a(?1)?b)").Max, -1);  // recursion is unbounded
}

TEST(Compile, CompileOnlyWhenExpressionOrOptionsChange) {
  TRegExp re;
  re.SetExpression(u"a(b)");
  re.Compile();
  EXPECT_TRUE(re.Compiled());
  const TREProgram* first = re.Program().get();
  re.SetExpression(u"a(b)");  // same text: keeps the program
  EXPECT_TRUE(re.Compiled());
  re.Compile();
  EXPECT_EQ(re.Program().get(), first);
  re.SetOptions(0, false);  // already off: nothing changes
  EXPECT_TRUE(re.Compiled());
  re.SetOptions(0, true);
  EXPECT_FALSE(re.Compiled());
  EXPECT_TRUE(re.Options(0));
  const std::shared_ptr<const TREProgram> kept = re.Program();  // still alive: a new one cannot take its address
  re.Compile();
  EXPECT_NE(re.Program().get(), first);
  re.SetDefineCharClassLegacy(true);
  EXPECT_FALSE(re.Compiled());
  EXPECT_TRUE(re.OptionSet().Contains(roDefinedCharClassLegacy));
  re.Compile();
  // Indexes: 5 and 6 are width and kana; any other index acts on kana.
  re.SetIgnoreZenHan(true);
  EXPECT_TRUE(re.IgnoreZenHan());
  EXPECT_TRUE(re.Options(99));
  re.SetOptions(-1, false);
  EXPECT_FALSE(re.OptionSet().Contains(roIgnoreKana));
  EXPECT_FALSE(re.IgnoreZenHan());
  EXPECT_TRUE(re.Options(5));
  EXPECT_EQ(TRegExp::Version(), u"2.6.2");
  // Option indexes map to the option members in table order.
  const TREOption byIndex[] = {roIgnoreCase, roMultiLine, roNamedGroupOnly, roSingleLine,
                               roExtended,   roIgnoreWidth, roIgnoreKana,   roAutoCallout};
  for (int i = 0; i < 8; ++i) {
    TRegExp r;
    r.SetOptions(i, true);
    EXPECT_TRUE(r.OptionSet().Contains(byIndex[i])) << i;
    EXPECT_EQ(r.OptionSet().Bits(), 1u << byIndex[i]) << i;
  }
}

TEST(Compile, SearchesLeaveTheCompiledProgramAsCompileLeftIt) {
  for (const char* pattern : {"\\d+(?:x|y)", "(?:a|b)*c", "a*b|c+"}) {
    TRegExp re;
    re.SetExpression(U(pattern));
    re.Compile();
    const std::string compiled = REDumpNFA(re);
    re.Exec(u"12x abc ccc");
    re.ExecNext();
    EXPECT_EQ(REDumpNFA(re), compiled) << pattern;
  }
}

TEST(Compile, AutoCalloutsPrecedeItemsAndQuantifiedItems) {
  std::string d = Dump("ab*", {roAutoCallout});
  EXPECT_NE(d.find("Callout callout 255"), std::string::npos) << d;
  TRegExp re;
  re.SetOptionSet({roAutoCallout});
  re.SetExpression(u"a(?C7)");
  re.Compile();
  std::string all = REDumpNFA(re);
  EXPECT_NE(all.find("callout 7"), std::string::npos);
}

TEST(Compile, RecompilingFromInsideASearchIsRefused) {
  TRegExp re;
  re.SetExpression(u"a(?C1)b");
  bool refused = false;
  re.OnCallout = [&](TRegExp& r, PCalloutData, bool& isMatch, std::int32_t&) {
    r.SetExpression(u"xyz");
    try {
      r.Compile();
    } catch (const ERegExpRuntime&) {
      refused = true;
    }
    isMatch = true;
  };
  EXPECT_TRUE(re.Exec(u"ab"));
  EXPECT_TRUE(refused);
  re.OnCallout = nullptr;
  EXPECT_TRUE(re.Exec(u"xyz"));  // outside the search the new pattern compiles
}

TEST(Compile, ReplaceCodeSwapsALeafEverywhereOrReportsItMissing) {
  std::unique_ptr<TREProgram> program = REBuildProgram(u"a|b", {}, opBoth);
  const TRECode* old = program->Codes().front().get();
  program->ReplaceCode(old, std::make_unique<TRECharCode>(u'z', TREOptions{}));
  EXPECT_EQ(REDumpNFA(*program), "0: Char char z -> 1\n0: Char char b -> 1\n1: End\n");
  TRECharCode stranger(u'q', {});
  try {
    program->ReplaceCode(&stranger, std::make_unique<TRECharCode>(u'y', TREOptions{}));
    FAIL();
  } catch (const ERegExp& e) {
    EXPECT_EQ(e.Message(), u"BUG: not found OldCode");
  }
}

}  // namespace
}  // namespace vantora
