// The lazy automaton that finds the leftmost match start: for patterns it
// takes, every observable result equals the backtracking scan's (automaton
// switched off), in the corners where the two could part: look-ahead of $
// and \Z at the range end, \b and ^ at the edges of an ExecPos window, the
// leftmost start of a match that ends after a later one, counted and empty
// loop iterations, folding, and subjects it must give up on (surrogates,
// half-width kana under width folding). It must also keep its state cache
// bounded on a pattern whose automaton is exponential, and leave programs it
// cannot run exactly to the backtracker.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/RegExpMatcher.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

using namespace vantora;
using namespace vantora::test;

namespace {

struct TAutomatonOff {
  TAutomatonOff() { RESetAutomatonEnabled(false); }
  ~TAutomatonOff() { RESetAutomatonEnabled(true); }
};

// All matches, then an ExecPos window from unit 'offset' of 'length' units;
// 'used' tells whether the automaton built any state.
std::string Observe(const std::u16string& pattern, TREOptions options, const std::u16string& subject, bool* used,
                    int offset = 2, int length = -1) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  re.Compile();
  std::string all = AllMatches(re, subject);
  re.SetInputString(subject);
  const int len = length < 0 ? static_cast<int>(subject.size()) - offset : length;
  const bool pos = re.ExecPos(offset, len);
  if (used) *used = REMatchState(re).Dfa && REMatchState(re).Dfa->StateCount() > 0;
  return all + " | " + (pos ? Describe(re) : "-");
}

// Compares both ways; returns whether the automaton took part.
bool ExpectSame(const std::string& pattern, const std::string& subject, TREOptions options = {}, int offset = 2,
                int length = -1) {
  bool used = false;
  const std::string with = Observe(U(pattern), options, U(subject), &used, offset, length);
  TAutomatonOff off;
  const std::string without = Observe(U(pattern), options, U(subject), nullptr, offset, length);
  EXPECT_EQ(with, without) << pattern << " on " << subject;
  return used;
}

}  // namespace

TEST(LazyDfa, EqualsBacktrackerInEveryCorner) {
  struct TCase {
    const char* Pattern;
    const char* Subject;
    TREOptions Options;
  };
  const TCase cases[] = {
      // The leftmost start wins over an earlier end, and over longer later ones.
      {"abcd|c", "xxabcd abc", {}},
      {"a.*z|b", "ab.....z b", {}},
      {"a|ab", "ab ab", {}},
      {"(?:ab|a)(?:bc|c)?", "abc abc", {}},
      // $ and \Z read ahead to the end of the range; ^ after a break but not at the end.
      {"b$", "ab\n", {}},
      {"b$", "ab\n\n", {}},
      {"b\\Z", "ab\n\r\n", {}},
      {"\\n$", "a\n\n", {}},
      {"$", "a\nb\n", {}},
      {"^", "a\nb\n", {roMultiLine}},
      {"^b|a$", "a\nb\n", {roMultiLine}},
      {"\\z|x", "ax", {}},
      // \b and \A against the window's edges (ExecPos from the second unit).
      {"\\bcd", "abcd cd", {}},
      {"\\Bcd", "abcd cd", {}},
      {"\\Acd|d", "xcd", {}},
      {"\\w+\\b", "ab cd", {roDefinedCharClassLegacy}},
      // Counted loops, empty iterations, lazy loops.
      {"(?:ab){2,3}c", "abababababc abc", {}},
      {"(a|){3}b", "ab aab b", {}},
      {"(?:a?){2,}b", "ab b", {}},
      {"x(?:a|bc)*?y", "xabcay xy xbcby", {}},
      {"\\d{2,4}-\\d{2}", "1-12 123-45 12345-678", {}},
      // Without groups the automaton also picks the end: greedy loops take one
      // more repetition first, lazy ones leave first, alternatives go left to right.
      {"x(?:ab|a)*b", "xabab xaab", {}},
      {"(?:a|ab)+?c", "ababc abc", {}},
      {"\\w+?ing|\\w+", "singing ring", {}},
      {"a{2,3}?|b{1,2}", "aaaa bbb", {}},
      {".*?x|.+", "abxcx\nyx", {}},
      {"(?:b|ab)(?:c|bc)*?d", "abcbcd abd", {}},
      // Folding: case, width and kana; units the automaton gives up on.
      {"[a-z]+ing", "RUNNING Sing ring", {roIgnoreCase}},
      {"カタ", "かた ｶﾀ カタ", {roIgnoreKana}},
      {"ガ", "ｶﾞ ガ が", {roIgnoreWidth, roIgnoreKana}},
      {"a.b", "a\U00010000b a-b", {}},
      {"\\w+", "日本語 text", {}},
  };
  int used = 0;
  for (const TCase& c : cases) used += ExpectSame(c.Pattern, c.Subject, c.Options) ? 1 : 0;
  EXPECT_GE(used, 20);
  // A window that ends before a final line break: $ holds at its end only.
  ExpectSame("b$", "abab\n", {}, 1, 4);
  ExpectSame("b\\Z", "ab\nab\n", {}, 1, 5);
}

TEST(LazyDfa, BoundedCacheAndGivingUp) {
  // (a|b)*a(a|b){12}: the automaton of the last 13 characters has 2^13
  // states; the cache stays bounded and the results stay the backtracker's.
  std::mt19937 rnd(7);
  std::string subject;
  for (int i = 0; i < 20000; ++i) subject += "ab"[rnd() % 2];
  subject += "c";
  for (int i = 0; i < 30; ++i) subject += "b";
  bool used = false;
  const std::string pattern = "(?:a|b)*a(?:a|b){12}c";
  const std::string with = Observe(U(pattern), {}, U(subject), &used);
  TAutomatonOff off;
  EXPECT_EQ(with, Observe(U(pattern), {}, U(subject), nullptr));
  TRegExp re;
  re.SetExpression(U(pattern));
  RESetAutomatonEnabled(true);
  EXPECT_TRUE(re.Exec(U(subject)));
  ASSERT_TRUE(REMatchState(re).Dfa);
  EXPECT_LE(REMatchState(re).Dfa->StateCount(), 2048u);
}

TEST(LazyDfa, LeavesUnsupportedProgramsToTheBacktracker) {
  // Back-references, look-arounds, atomic groups, \K and possessive loops
  // that could give back what follows them change what matches in ways the
  // automaton does not model.
  const char* patterns[] = {"(a+)\\1", "a(?=b)", "(?>a+)a", "a++a", "[ab]*+b", "(?<=a)b", "\\Gab", "a+\\Kb|ab+c"};
  for (const char* p : patterns) {
    bool used = true;
    Observe(U(p), {}, U("aab aab ab"), &used);
    EXPECT_FALSE(used) << p;
  }
  // Possessive loops that never give back anything a follower could take
  // (the optimiser's own, or written so) do not keep it out.
  EXPECT_TRUE(ExpectSame("\\d+x", "12 123x"));
  EXPECT_TRUE(ExpectSame("(a*+)b|a", "aab aaa"));
}
