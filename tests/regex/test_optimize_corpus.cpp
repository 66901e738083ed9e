// Results with optimisation on (opBoth) and off (opNone) must be identical:
// over every case of the engine's shared corpus (tests/regex/corpus/) and
// over generated patterns and subjects built to reach every start-position
// strategy (literal leads, maps, anchors, pre-match literals, line tops) and
// every folding option, with surrogate pairs, line breaks, half-width kana
// and case pairs in the subjects. Each comparison lists all matches of
// Exec/ExecNext with every group, and the first match of an ExecPos window.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "regex/RegExpW.h"
#include "support_regex.h"

using namespace vantora;
using namespace vantora::test;

namespace {

// Everything a caller can observe of the searches: all matches, then an
// ExecPos window from the second unit with a length limit. Empty when the
// pattern does not compile.
std::string Observe(const std::u16string& pattern, TREOptions options, TOptimizeKind kind,
                    const std::u16string& subject) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetOptimizeKind(kind);
  re.SetExpression(pattern);
  try {
    re.Compile();
  } catch (const ERegExp&) {
    return {};
  }
  std::string all = AllMatches(re, subject);
  re.SetInputString(subject);
  bool pos = re.ExecPos(2, static_cast<int>(subject.size()) - 2);
  return all + " | " + (pos ? Describe(re) : "-");
}

class TGenerator {
 public:
  explicit TGenerator(unsigned seed) : FRnd(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRnd); }

  std::string Pattern() {
    FGroups = 0;
    return Alternation(3);
  }

  std::u16string Subject() {
    static const std::vector<std::u16string> pieces = {
        u"a", u"b", u"c", u"ab", u"abc", u"A", u"B", u"x", u"y", u"1", u"2", u" ", u"\n", u"\r\n", u"-",
        u"か", u"カ", u"ｶ", u"ﾞ", u"ガ", u"ａ", u"Ａ", u"\U00010000", u"\U00010428", u"\U00010400", u"日本"};
    std::u16string s;
    const int n = Int(0, 14);
    for (int i = 0; i < n; ++i) s += pieces[static_cast<std::size_t>(Int(0, static_cast<int>(pieces.size()) - 1))];
    return s;
  }

  TREOptions Options() {
    TREOptions o;
    if (Int(0, 2) == 0) o.Include(roIgnoreCase);
    if (Int(0, 3) == 0) o.Include(roMultiLine);
    if (Int(0, 5) == 0) o.Include(roSingleLine);
    if (Int(0, 5) == 0) o.Include(roIgnoreWidth);
    if (Int(0, 5) == 0) o.Include(roIgnoreKana);
    return o;
  }

 private:
  std::string Alternation(int depth) {
    std::string s = Sequence(depth);
    while (Int(0, 4) == 0) s += "|" + Sequence(depth);
    return s;
  }
  std::string Sequence(int depth) {
    std::string s;
    const int n = Int(1, 4);
    for (int i = 0; i < n; ++i) s += Item(depth);
    return s;
  }
  std::string Atom(int depth) {
    static const char* leaves[] = {"a", "b", "ab", "abc", "bc", "x", "A", "か", "カ", "ガ", "ａ", "\\x{10000}",
                                   "\\x{10428}", "日本", ".", "[ab]", "[^a]", "\\d", "\\w", "\\s", "[a-c1]",
                                   "\\x{DC00}", "\\p{Han}", "\\R"};
    static const char* zero[] = {"^", "$", "\\b", "\\B", "\\A", "\\z", "\\Z", "(?=a)", "(?!b)", "(?<=a)",
                                 "(?<!b)"};
    int k = Int(0, depth > 0 ? 9 : 6);
    if (k <= 3) return leaves[Int(0, 23)];
    if (k == 4) return zero[Int(0, 10)];
    if (k == 5) return FGroups > 0 ? "\\" + std::to_string(Int(1, FGroups)) : "ab";
    if (k == 6) return std::string(1, "abcx"[Int(0, 3)]) + leaves[Int(0, 5)];
    if (k == 7) {
      ++FGroups;
      return "(" + Alternation(depth - 1) + ")";
    }
    if (k == 8) return "(?:" + Alternation(depth - 1) + ")";
    return (Int(0, 1) ? "(?>" : "(?=") + Alternation(depth - 1) + ")";
  }
  std::string Item(int depth) {
    std::string a = Atom(depth);
    const bool zeroWidth = a == "^" || a == "$" || a.rfind("\\b", 0) == 0 || a.rfind("\\B", 0) == 0 ||
                           a.rfind("\\A", 0) == 0 || a.rfind("\\z", 0) == 0 || a.rfind("\\Z", 0) == 0 ||
                           a.rfind("(?=", 0) == 0 || a.rfind("(?!", 0) == 0 || a.rfind("(?<", 0) == 0;
    if (!zeroWidth && Int(0, 2) == 0) {
      static const char* q[] = {"*", "+", "?", "{2}", "{1,3}", "{0,2}", "*?", "+?", "*+", "{2,}"};
      a += q[Int(0, 9)];
    }
    return a;
  }

  std::mt19937 FRnd;
  int FGroups = 0;
};

}  // namespace

TEST(OptimizeCorpus, SharedCorpusGivesTheSameResultsWithAndWithoutOptimisation) {
  int cases = 0;
  for (const TCorpusCase& c : LoadMatchCorpus()) {
    const std::u16string pattern = U(c.Pattern);
    const TREOptions options = CorpusOptions(c.Options);
    const std::u16string subject = CorpusUnescape(c.Subject);
    EXPECT_EQ(Observe(pattern, options, opBoth, subject), Observe(pattern, options, opNone, subject))
        << "corpus line " << c.Line << ": " << c.Pattern;
    ++cases;
  }
  EXPECT_GT(cases, 200);
}

TEST(OptimizeCorpus, GeneratedPatternsGiveTheSameResultsWithAndWithoutOptimisation) {
  TGenerator gen(20261209u);
  int compared = 0, compileErrors = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::u16string pattern = U(gen.Pattern());
    const TREOptions options = gen.Options();
    for (int j = 0; j < 4; ++j) {
      const std::u16string subject = gen.Subject();
      const std::string on = Observe(pattern, options, opBoth, subject);
      if (on.empty()) {
        ++compileErrors;
        break;
      }
      ASSERT_EQ(on, Observe(pattern, options, opNone, subject))
          << "pattern " << S(pattern) << " options " << options.Bits() << " subject " << S(subject);
      ++compared;
    }
  }
  std::printf("compared %d pattern/subject pairs, %d patterns did not compile\n", compared, compileErrors);
  EXPECT_GT(compared, 10000);
}
