// Differential test: PCRE2 (16-bit API) as the oracle on generated patterns
// and subjects written in the syntax both engines share. For every pattern
// both engines list all matches (Exec then ExecNext; on the PCRE2 side the
// same stepping: continue at the match end, one unit later after an empty
// match) with every group, and the lists must be equal.
//
// Deliberate differences of this engine are kept out by construction: the
// generated subjects contain no line breaks and only ASCII characters, so
// these never come into play:
//   - $ and \Z: here only a single line-break unit at the very end counts
//     (CR LF does not), \Z also accepts a run of line breaks at the end;
//   - . and ^ with line breaks: every Unicode line break, and ^ also after
//     the CR of CR LF in multiline mode;
//   - \s excludes VT; \w takes marks and only decimal digits (Unicode 6.1
//     categories); \X is a non-mark plus marks, not a grapheme cluster;
//   - case folding is simple upper-casing (no K/Kelvin sign or long-s sets);
//   - . consumes one code unit (half a surrogate pair);
//   - \K discards the resume points before it; a callout without a handler
//     fails; (*SKIP:name) and the verbs are not generated;
//   - {n, m} with a space after the comma is a bound here, literal there;
//     # is not a comment in extended mode here;
//   - a general loop leaves as soon as an iteration above its minimum
//     consumed nothing, also when its maximum is finite; PCRE2 runs bounded
//     repeats as copies and may take one more empty-then-nonempty iteration,
//     so the captures (never the match) can differ for such loops. The
//     fixed seed below has no such case; other seeds show one in about
//     100,000.
// Cases where PCRE2 reports an error (its match limits) are skipped and
// counted. The number of agreeing cases is printed.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

class TGenerator {
 public:
  explicit TGenerator(unsigned seed) : FRnd(seed) {}

  std::string Pattern() {
    FGroups = 0;
    FClosed = 0;
    return Alternation(3);
  }

  std::string Subject() {
    static const char alphabet[] = "abcxab1 -";
    std::string s;
    const int n = Int(0, 10);
    for (int i = 0; i < n; ++i) s += alphabet[Int(0, sizeof alphabet - 2)];
    return s;
  }

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRnd); }

 private:
  std::string Alternation(int depth) {
    std::string s = Sequence(depth);
    while (Int(0, 5) == 0) s += "|" + Sequence(depth);
    return s;
  }

  std::string Sequence(int depth) {
    std::string s;
    const int n = Int(1, 4);
    for (int i = 0; i < n; ++i) s += Item(depth);
    return s;
  }

  std::string Quantifier() {
    static const char* q[] = {"*", "+", "?", "{2}", "{1,3}", "{0,2}", "{2,}"};
    std::string s = q[Int(0, 6)];
    const int k = Int(0, 5);
    if (k == 0) s += "?";
    if (k == 1) s += "+";
    return s;
  }

  std::string Atom(int depth) {
    switch (Int(0, depth > 0 ? 23 : 12)) {
      case 0: case 1: case 2: return std::string(1, "abcx"[Int(0, 3)]);
      case 3: return "ab";
      case 4: return ".";
      case 5: return "[ab]";
      case 6: return "[^a]";
      case 7: return "[a-c1]";
      case 8: return "\\d";
      case 9: return "\\w";
      case 10: return "\\s";
      case 11: return FClosed > 0 ? "\\" + std::to_string(Int(1, FClosed)) : "b";
      case 12: return "[x-]";
      case 13: case 14: case 15: {
        const int g = ++FGroups;
        std::string body = Alternation(depth - 1);
        FClosed = std::max(FClosed, g);
        return "(" + body + ")";
      }
      case 16: return "(?:" + Alternation(depth - 1) + ")";
      case 17: return "(?>" + Alternation(depth - 1) + ")";
      case 18: return (Int(0, 1) ? "(?=" : "(?!") + Alternation(depth - 1) + ")";
      case 19: {
        static const char* bodies[] = {"a", "b", "ab", "a|bc", "\\d", "[ab]x", " "};
        return std::string(Int(0, 1) ? "(?<=" : "(?<!") + bodies[Int(0, 6)] + ")";
      }
      case 20: case 21: {
        static const char* anchors[] = {"^", "$", "\\b", "\\B", "\\A", "\\z"};
        return anchors[Int(0, 5)];
      }
      case 22:  // a condition on a group that may have matched
        if (FClosed > 0)
          return "(?(" + std::to_string(Int(1, FClosed)) + ")" + Sequence(depth - 1) + "|" + Sequence(depth - 1) + ")";
        return "(?(?=a)a|" + Sequence(depth - 1) + ")";
      default: {  // a subroutine call of a finished group, or a named group
        // (A group that is nothing but a call is rejected here by design.)
        if (FClosed > 0) return "(?" + std::to_string(Int(1, FClosed)) + ")" + std::string(1, "abx"[Int(0, 2)]);
        const int g = ++FGroups;
        std::string body = Alternation(depth - 1);
        FClosed = std::max(FClosed, g);
        return "(?<n" + std::to_string(g) + ">" + body + ")\\k<n" + std::to_string(g) + ">";
      }
      case 99: {
        static const char* anchors[] = {"^", "$", "\\b", "\\B", "\\A", "\\z"};
        return anchors[Int(0, 5)];
      }
    }
  }

  std::string Item(int depth) {
    std::string a = Atom(depth);
    const bool zeroWidth = a == "^" || a == "$" || (a[0] == '\\' && (a[1] == 'b' || a[1] == 'B' || a[1] == 'A' || a[1] == 'z')) ||
                           a.rfind("(?=", 0) == 0 || a.rfind("(?!", 0) == 0 || a.rfind("(?<", 0) == 0;
    if (!zeroWidth && Int(0, 2) == 0) a += Quantifier();
    return a;
  }

  std::mt19937 FRnd;
  int FGroups = 0;
  int FClosed = 0;
};

// All matches on the PCRE2 side, written as Describe/AllMatches write them;
// empty when PCRE2 reports an error.
std::string PcreMatches(const std::string& pattern, const std::string& subject, bool caseless, bool& error) {
  error = false;
  const std::u16string pat = U(pattern), subj = U(subject);
  int code = 0;
  PCRE2_SIZE offset = 0;
  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(cc, PCRE2_NEWLINE_ANY);
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pat.data()), pat.size(),
                                 PCRE2_UTF | PCRE2_UCP | (caseless ? PCRE2_CASELESS : 0u), &code, &offset, cc);
  pcre2_compile_context_free(cc);
  if (!re) {
    error = true;
    return {};
  }
  std::uint32_t groups = 0;
  pcre2_pattern_info(re, PCRE2_INFO_CAPTURECOUNT, &groups);
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(re, nullptr);
  std::string out;
  std::size_t start = 0;
  while (start <= subj.size()) {
    const int rc = pcre2_match(re, reinterpret_cast<PCRE2_SPTR>(subj.data()), subj.size(), start, 0, md, nullptr);
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) error = true;
      break;
    }
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    if (!out.empty()) out += " ";
    out += "@" + std::to_string(ov[0] + 1);
    for (std::uint32_t g = 0; g <= groups; ++g) {
      if (g) out += ",";
      if (g < static_cast<std::uint32_t>(rc) && ov[2 * g] != PCRE2_UNSET)
        out += "\"" + subject.substr(ov[2 * g], ov[2 * g + 1] - ov[2 * g]) + "\"";
      else
        out += "-";
    }
    start = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
  }
  pcre2_match_data_free(md);
  pcre2_code_free(re);
  return out.empty() ? "-" : out;
}

TEST(DifferentialPcre2, GeneratedPatternsAgree) {
  const char* seedText = std::getenv("VANTORA_DIFF_SEED");  // other seeds for exploring by hand
  TGenerator gen(seedText ? static_cast<unsigned>(std::atoi(seedText)) : 20261209u);
  int agree = 0, skipped = 0, differ = 0, compileErrors = 0, anchorLoops = 0;
  TRegExp quantifiedAnchor;
  quantifiedAnchor.SetExpression(u"\\((?:\\?:)?(?:\\\\[AzbB]|\\^|\\$)\\)(?:[*+?]|\\{\\d)");
  for (int i = 0; i < 6000; ++i) {
    const std::string pattern = gen.Pattern();
    const bool caseless = gen.Int(0, 4) == 0;
    TRegExp re;
    re.SetOptions(0, caseless);
    re.SetExpression(U(pattern));
    try {
      re.Compile();
    } catch (const ERegExpCompile&) {
      // This engine rejects a quantified anchor such as (?:\A)* on purpose;
      // any other pattern must be rejected by both.
      bool err = false;
      PcreMatches(pattern, "", caseless, err);
      if (err) {
        ++compileErrors;
      } else {
        ++anchorLoops;
        EXPECT_TRUE(quantifiedAnchor.Exec(U(pattern))) << "only this engine rejects " << pattern;
      }
      continue;
    }
    for (int k = 0; k < 4; ++k) {
      const std::string subject = gen.Subject();
      bool err = false;
      const std::string expected = PcreMatches(pattern, subject, caseless, err);
      if (err) {
        ++skipped;
        continue;
      }
      const std::string actual = AllMatches(re, U(subject));
      if (actual == expected) {
        ++agree;
      } else if (++differ <= 20) {
        ADD_FAILURE() << "pattern " << pattern << (caseless ? " (i)" : "") << " subject \"" << subject
                      << "\"\n  pcre2: " << expected << "\n  here:  " << actual;
      }
    }
  }
  std::printf(
      "differential: %d agree, %d differ, %d skipped (oracle error), %d patterns rejected by both, "
      "%d quantified anchors rejected here only\n",
      agree, differ, skipped, compileErrors, anchorLoops);
  EXPECT_EQ(differ, 0);
  EXPECT_GT(agree, 10000);
}

}  // namespace
}  // namespace vantora::test
