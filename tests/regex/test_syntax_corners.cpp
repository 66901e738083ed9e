// Corners of the pattern syntax where a reading was easy to get wrong:
// \k+n, a '-' beside a class escape, kana folding of the last hiragana
// digraph, and what an explicit callout reports about the item after it.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(SyntaxCorners, KPlusNIsANumberedReference) {
  // \k+n names group n (as \kn); only \k-n counts back from the reference.
  EXPECT_EQ(AllMatches("(a)\\k+1", "xaa"), R"(@2"aa","a")");
  EXPECT_EQ(AllMatches("(a)(b)\\k+1\\k-1", "abab"), R"(@1"abab","a","b")");
  EXPECT_EQ(AllMatches("(a)(b)\\k+2", "abb"), R"(@1"abb","a","b")");
}

TEST(SyntaxCorners, AHyphenBesideAClassEscapeIsLiteralOnEitherSide) {
  for (const char* pattern : {"[a-\\d]+", "[\\d-a]+", "[a-\\w]+", "[%-\\p{Nd}]+"}) {
    TRegExp re;
    re.SetExpression(U(pattern));
    ASSERT_NO_THROW(re.Compile()) << pattern;
  }
  EXPECT_EQ(AllMatches("[a-\\d]+", "b-a5c"), R"(@2"-a5")");
  EXPECT_EQ(AllMatches("[\\d-a]+", "b-a5c"), R"(@2"-a5")");
  EXPECT_EQ(AllMatches("[%-\\p{Nd}]+", "a%-7"), R"(@2"%-7")");
}

TEST(SyntaxCorners, KanaFoldingPairsTheHiraganaAndKatakanaDigraphs) {
  // U+309F (hiragana yori) and U+30FF (katakana koto) fold together, in a
  // literal, in a class and in a literal long enough for the quick search.
  const TREOptions kana = CorpusOptions("k");
  EXPECT_EQ(AllMatches("\xe3\x82\x9f", "\xe3\x83\xbf", kana), "@1\"\xe3\x83\xbf\"");
  EXPECT_EQ(AllMatches("\xe3\x83\xbf", "\xe3\x82\x9f", kana), "@1\"\xe3\x82\x9f\"");
  EXPECT_EQ(AllMatches("[\xe3\x82\x9f]", "x\xe3\x83\xbf", kana), "@2\"\xe3\x83\xbf\"");
  EXPECT_EQ(AllMatches("\xe3\x82\x9f\xe3\x82\x9f\xe3\x82\x9f" "ab", "xx\xe3\x83\xbf\xe3\x82\x9f\xe3\x83\xbf" "ab", kana),
            "@3\"\xe3\x83\xbf\xe3\x82\x9f\xe3\x83\xbf" "ab\"");
  EXPECT_EQ(AllMatches("\xe3\x82\x9f", "\xe3\x83\xbf"), "-");  // only with the option
}

// The first callout's pattern position and next-item length on a subject
// where every item below can match.
std::pair<int, int> FirstCallout(const char16_t* pattern, bool automatic) {
  TRegExp re;
  re.SetExpression(pattern);
  re.SetOptions(7, automatic);
  std::vector<TCalloutData> calls;
  re.OnCallout = [&](TRegExp&, PCalloutData d, bool& isMatch, std::int32_t& len) {
    calls.push_back(*d);
    isMatch = true;
    len = 0;
  };
  re.Exec(u"xabab12c");
  if (calls.empty()) return {-1, -1};
  return {calls[0].PatternPosition, calls[0].NextItemLength};
}

TEST(SyntaxCorners, AnExplicitCalloutReportsTheLengthOfTheNextItem) {
  // As an automatic callout does: a run of literals is one item, a
  // quantified group one item with its quantifier; nothing after: 0.
  EXPECT_EQ(FirstCallout(u"ab", true), std::make_pair(1, 2));
  EXPECT_EQ(FirstCallout(u"(?C7)ab", false), std::make_pair(6, 2));
  EXPECT_EQ(FirstCallout(u"x(?C7)(?:ab)+c", false), std::make_pair(7, 7));
  EXPECT_EQ(FirstCallout(u"(?C7)\\d{2}", false), std::make_pair(6, 5));
  EXPECT_EQ(FirstCallout(u"a(?C7)|b", false), std::make_pair(7, 0));
}

}  // namespace
}  // namespace vantora::test
