// Long generated check of the regex engine's lazy automaton: for many
// generated patterns (literals, classes, character types, anchors, word
// boundaries, groups, alternations, greedy and lazy loops, counted loops)
// under every option mix, and generated subjects (ASCII, case pairs, kana
// of both widths, line breaks, the odd surrogate pair), every observable
// result with the automaton on must equal the backtracking scan's: all
// matches of Exec/ExecNext with every group, and an ExecPos window.
//   verify_automaton [CASES [SEED]]   default 100000 cases, seed 1
// A case where only the plain scan raised its step limit counts as passed
// (and is counted apart). Prints the first mismatches and "N passed, M
// failed"; exits 1 on any.
// Run by scripts/bench.sh --verify, not by the test suite (it takes minutes).
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/Charset.h"
#include "regex/RegExpLazyDfa.h"
#include "regex/RegExpMatcher.h"
#include "regex/RegExpW.h"

using namespace vantora;

namespace {

class TGenerator {
 public:
  explicit TGenerator(unsigned seed) : FRnd(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRnd); }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) { return items[Int(0, static_cast<int>(N) - 1)]; }

  // Half of the patterns have no capture groups: the automaton then also
  // finds the match end itself.
  std::string Pattern() {
    FCapture = Int(0, 1) == 0;
    return Alternation(3);
  }

  std::u16string Subject() {
    static const char* const pieces[] = {"a", "b", "c", "ab", "abc", "A", "B", "x", "1", "22", " ", "\n",
                                         "\r\n", "-", "_", "か", "カ", "ｶ", "ﾞ", "ガ", "ａ", "Ａ", "日本", "é", "É"};
    std::string s;
    const int n = Int(0, 16);
    for (int i = 0; i < n; ++i) s += Pick(pieces);
    std::u16string u = Utf8ToUtf16(s);
    if (Int(0, 40) == 0) u.insert(static_cast<std::size_t>(Int(0, static_cast<int>(u.size()))), u"\U00010000");
    return u;
  }

  TREOptions Options() {
    TREOptions o;
    const TREOption all[] = {roIgnoreCase, roMultiLine, roSingleLine, roIgnoreWidth, roIgnoreKana,
                             roDefinedCharClassLegacy};
    for (TREOption opt : all)
      if (Int(0, 3) == 0) o.Include(opt);
    return o;
  }

 private:
  std::string Alternation(int depth) {
    std::string s = Sequence(depth);
    while (Int(0, 3) == 0) s += "|" + Sequence(depth);
    return s;
  }
  std::string Sequence(int depth) {
    std::string s;
    const int n = Int(1, 4);
    for (int i = 0; i < n; ++i) s += Quantified(depth);
    return s;
  }
  std::string Quantified(int depth) {
    std::string atom = Atom(depth);
    static const char* const quants[] = {"", "", "", "*", "+", "?", "*?", "+?", "??", "{2}", "{1,3}", "{2,}",
                                         "{0,2}?"};
    return atom + Pick(quants);
  }
  std::string Atom(int depth) {
    static const char* const atoms[] = {"a", "b", "c", "ab", "abc", "A", "x", "1", " ", "\\n", ".", "\\w", "\\W",
                                        "\\d", "\\s", "[a-c]", "[^ab]", "[A-Z]", "[カか]", "ｶ", "ガ", "ａ", "é",
                                        "^", "$", "\\A", "\\z", "\\Z", "\\b", "\\B", "\\K", "[[:alpha:]]"};
    const int k = Int(0, 9);
    if (depth > 0 && k == 0) return (FCapture ? "(" : "(?:") + Alternation(depth - 1) + ")";
    if (depth > 0 && k == 1) return "(?:" + Alternation(depth - 1) + ")";
    return Pick(atoms);
  }
  std::mt19937 FRnd;
  bool FCapture = true;
};

std::string Describe(TRegExp& re) {
  std::string s = "@" + std::to_string(re.Groups()[0].Index());
  for (int g = 0; g <= re.GroupCount(); ++g) {
    const TGroup& grp = re.Groups()[g];
    s += grp.Success() ? "," + std::to_string(grp.Index()) + ":" + std::to_string(grp.Length()) : ",-";
  }
  return s;
}

// Everything observable, or "" when the pattern does not compile; a limit
// error is part of the result.
std::string Observe(const std::u16string& pattern, TREOptions options, const std::u16string& subject,
                    bool* used = nullptr) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(pattern);
  try {
    re.Compile();
  } catch (const ERegExp&) {
    return {};
  }
  std::string out;
  try {
    for (bool ok = re.Exec(subject); ok; ok = re.ExecNext()) out += Describe(re) + " ";
    re.SetInputString(subject);
    const int len = static_cast<int>(subject.size()) - 2;
    out += "| " + (re.ExecPos(2, len > 0 ? len : 0) ? Describe(re) : std::string("-"));
  } catch (const ERegExpMatchLimit&) {
    out += " limit";
  }
  if (used) *used = REMatchState(re).Dfa && REMatchState(re).Dfa->StateCount() > 0;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const long cases = argc > 1 ? std::atol(argv[1]) : 100000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u;
  TGenerator gen(seed);
  long passed = 0, failed = 0, limits = 0, used = 0;
  for (long i = 0; i < cases; ++i) {
    const std::u16string pattern = Utf8ToUtf16(gen.Pattern());
    const TREOptions options = gen.Options();
    const std::u16string subject = gen.Subject();
    RESetAutomatonEnabled(true);
    bool engaged = false;
    const std::string with = Observe(pattern, options, subject, &engaged);
    used += engaged ? 1 : 0;
    RESetAutomatonEnabled(false);
    const std::string without = Observe(pattern, options, subject);
    if (with == without) {
      ++passed;
      continue;
    }
    // The backtracking scan ran out of steps where the automaton, which
    // runs the backtracker only at the start it found, did not.
    if (without.size() > 6 && without.compare(without.size() - 6, 6, " limit") == 0) {
      ++limits;
      ++passed;
      continue;
    }
    if (++failed <= 10)
      std::printf("mismatch: /%s/ options %u on \"%s\"\n  automaton: %s\n  backtrack: %s\n",
                  Utf16ToUtf8(pattern).c_str(), options.Bits(), Utf16ToUtf8(subject).c_str(), with.c_str(),
                  without.c_str());
  }
  std::printf("automaton on vs off: it took part in %ld cases (%ld where only the backtracking scan hit its"
              " step limit)\n", used, limits);
  std::printf("%ld passed, %ld failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
