// Tests of TREOptimizer: which lead-character mode and pre-match mode each
// kind of pattern gets, the lead codes and anchor distances, the automatic
// possessive loops (never before a zero-width follower), the pre-match
// filter as an existence test only (never lowering the range end), and
// search results that do not depend on the start-position strategy
// (surrogate pairs, line tops, anchors, ExecNext and ExecPos windows).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "regex/RegExpProgram.h"
#include "regex/RegExpOptimize.h"
#include "regex/RegExpW.h"
#include "support_regex.h"

using namespace vantora;
using namespace vantora::test;

namespace {

// A freshly compiled program and the optimiser that Compile ran on it.
struct TAnalysed {
  explicit TAnalysed(std::unique_ptr<TRegExp> re) : Re(std::move(re)), Opt(Re->Program()->Optimizer()) {}
  std::unique_ptr<TRegExp> Re;
  const TREOptimizer& Opt;
};

std::unique_ptr<TAnalysed> Analyse(const std::string& pattern, TREOptions options = {},
                                   TOptimizeKind kind = opBoth) {
  auto re = std::make_unique<TRegExp>();
  re->SetOptionSet(options);
  re->SetOptimizeKind(kind);
  re->SetExpression(U(pattern));
  re->Compile();
  return std::make_unique<TAnalysed>(std::move(re));
}

TRELeadCharMode Mode(const std::string& pattern, TREOptions options = {}) {
  return Analyse(pattern, options)->Opt.LeadMode();
}

TREPreMatchMode PreMode(const std::string& pattern, TREOptions options = {}) {
  return Analyse(pattern, options)->Opt.PreMatchMode();
}

// All matches with optimisation on and off; they must agree.
std::string Both(const std::string& pattern, const std::string& subject, TREOptions options = {}) {
  TRegExp on, off;
  on.SetOptionSet(options);
  off.SetOptionSet(options);
  off.SetOptimizeKind(opNone);
  on.SetExpression(U(pattern));
  off.SetExpression(U(pattern));
  std::string a = AllMatches(on, U(subject));
  std::string b = AllMatches(off, U(subject));
  EXPECT_EQ(a, b) << "pattern " << pattern << " subject " << subject;
  return a;
}

}  // namespace

TEST(OptimizeModes, LiteralLeads) {
  EXPECT_EQ(Mode("abc"), lcmSimple);
  EXPECT_EQ(Mode("a"), lcmSimple);
  EXPECT_EQ(Mode("abc\\d"), lcmFirstLiteral);
  EXPECT_EQ(Mode("\\bfoo\\b"), lcmFirstLiteral);  // assertions before the lead are skipped
  EXPECT_EQ(Mode("(?<=x)foo"), lcmFirstLiteral);
  EXPECT_EQ(Mode("(foo)+bar"), lcmFirstLiteral);
  auto a = Analyse("sherlock", {roIgnoreCase});
  EXPECT_EQ(a->Opt.LeadMode(), lcmSimple);
  EXPECT_EQ(a->Opt.LeadSearch().FindText(), u"SHERLOCK");
  EXPECT_TRUE(a->Opt.LeadSearch().Options().Contains(coIgnoreCase));
  // The extraction patterns all start with a literal.
  EXPECT_EQ(Mode("最終更新日：<time>(.*?)</time>", {roIgnoreCase}), lcmFirstLiteral);
  EXPECT_EQ(Mode("<h2 class=\"_BasePriceBoard__name_(.+?)</h2></div>", {roIgnoreCase}), lcmFirstLiteral);
}

TEST(OptimizeModes, AnchorsMapsAndOtherLeads) {
  EXPECT_EQ(Mode("^abc"), lcmTextTop);
  EXPECT_EQ(Mode("\\Aabc"), lcmTextTop);
  EXPECT_EQ(Mode("^abc", {roMultiLine}), lcmLineTop);
  EXPECT_EQ(Mode("^a|\\Ab"), lcmTextTop);
  EXPECT_EQ(Mode("(?m:^a)|^b"), lcmLineTop);

  auto m = Analyse("abc|def|(?:x|yz)");
  EXPECT_EQ(m->Opt.LeadMode(), lcmMap);
  EXPECT_EQ(m->Opt.LeadCodes().size(), 4u);
  EXPECT_EQ(m->Opt.LeadMap().Count(), 4);
  EXPECT_TRUE(m->Opt.LeadMap().IsExists(u'a'));
  EXPECT_TRUE(m->Opt.LeadMap().IsExists(u'y'));
  EXPECT_FALSE(m->Opt.LeadMap().IsExists(u'b'));
  EXPECT_EQ(Mode("(?i)ab|cd"), lcmMap);
  EXPECT_EQ(Mode("ab|(?i)cd"), lcmHasLead);  // two compare-option sets: no single map

  // Non-literal leads are tested in place, also a single one.
  EXPECT_EQ(Mode("[a-z]+\\dx"), lcmHasLead);
  EXPECT_EQ(Mode("\\p{Han}+"), lcmHasLead);
  EXPECT_EQ(Mode("\\d+|abc"), lcmHasLead);
  EXPECT_EQ(Mode(".*abc"), lcmHasLead);
  EXPECT_EQ(Mode("^a|b"), lcmHasLead);

  // Starts that lead codes cannot describe.
  EXPECT_EQ(Mode("x*"), lcmNone);       // may match empty
  EXPECT_EQ(Mode("a?"), lcmNone);
  EXPECT_EQ(Mode("(a)|\\1b"), lcmNone);  // a back-reference may consume nothing
  EXPECT_EQ(Mode("(?1)(a)"), lcmNone);   // a call
}

TEST(OptimizeModes, AnchorLiteralAtBoundedDistance) {
  auto a = Analyse("\\d{3}-abc");
  EXPECT_EQ(a->Opt.LeadMode(), lcmAnchor);
  EXPECT_EQ(a->Opt.LeadSearch().FindText(), u"-abc");
  EXPECT_EQ(a->Opt.AnchorMin(), 3);
  EXPECT_GE(a->Opt.AnchorMax(), 3);
  auto b = Analyse("(?:x|y)..hello");
  EXPECT_NE(b->Opt.LeadMode(), lcmAnchor);  // the path branches before the literal
  EXPECT_EQ(Mode("\\w+\\d@example"), lcmHasLead);  // unbounded distance: no anchor
  EXPECT_EQ(Both("\\d{3}-abc", "12-abc 123-abc 9999-abc"), "@8\"123-abc\" @17\"999-abc\"");
  EXPECT_EQ(Both(".{1,3}XY", "aXY bbbbXY"), "@1\"aXY\" @6\"bbbXY\"");
}

TEST(OptimizeModes, VerbsCalloutsAndOptimisationOffGetNoStrategy) {
  EXPECT_EQ(Mode("a(*COMMIT)b"), lcmNone);
  EXPECT_EQ(PreMode("a(*COMMIT)b"), pmNone);
  EXPECT_EQ(Mode("(*MARK:m)abc"), lcmNone);
  EXPECT_EQ(Mode("a(?C1)b"), lcmNone);
  EXPECT_EQ(Mode("abc", {roAutoCallout}), lcmNone);
  auto off = Analyse("abc", {}, opNone);
  EXPECT_EQ(off->Opt.LeadMode(), lcmNone);
  auto compileOnly = Analyse("a*b", {}, opCompileOnly);
  EXPECT_EQ(compileOnly->Opt.LeadMode(), lcmNone);
  EXPECT_EQ(compileOnly->Opt.PossessiveLoops(), 0);
  // (*COMMIT) ends the scan at the first attempt that passes it: with a lead
  // filter the scan would have begun at the 'b' and matched.
  EXPECT_EQ(Both("(*COMMIT)b", "ab"), "-");
  EXPECT_EQ(Both("a(*COMMIT)b", "acab"), "-");
}

TEST(OptimizePreMatch, ModesAndLiterals) {
  auto t = Analyse("[a-z]+\\dxyz");
  EXPECT_EQ(t->Opt.PreMatchMode(), pmTail);
  EXPECT_EQ(t->Opt.PreMatchTexts(), std::vector<std::u16string>{u"xyz"});
  EXPECT_EQ(PreMode("\\d+\\sab\\d+"), pmExitst);
  EXPECT_EQ(PreMode("(a*)*b"), pmTail);
  EXPECT_EQ(PreMode("(x+x+)+y"), pmTail);
  auto b = Analyse("\\d+abc|\\w+xy");
  EXPECT_EQ(b->Opt.PreMatchMode(), pmBranch);
  auto br = Analyse("(\\d+foo|\\s+bar)");
  EXPECT_EQ(br->Opt.PreMatchMode(), pmBranch);
  EXPECT_EQ(br->Opt.PreMatchTexts(), (std::vector<std::u16string>{u"foo", u"bar"}));
  EXPECT_EQ(PreMode("\\d+(?:abc|\\w)"), pmNone);  // one branch has no literal
  EXPECT_EQ(PreMode("abc\\d"), pmNone);             // the lead literal is the only one
  EXPECT_EQ(PreMode("abc"), pmNone);                // lcmSimple
  EXPECT_EQ(PreMode("\\d+(?=abc)"), pmNone);        // look-ahead text is not consumed

  // A missing literal fails the search at once; present ones still match.
  EXPECT_EQ(Both("(a*)*b", std::string(3000, 'a')), "-");
  EXPECT_EQ(Both("(x+x+)+y", std::string(3000, 'x')), "-");
  EXPECT_EQ(Both("(\\d+foo|\\s+bar)", "1foo  bar 2bar"), "@1\"1foo\",\"1foo\" @5\"  bar\",\"  bar\"");
  EXPECT_EQ(Both("[a-z]+XYZ", "abcxyz abXYZ", {roIgnoreCase}), "@1\"abcxyz\" @8\"abXYZ\"");
}

TEST(OptimizePreMatch, TailLiteralNeverLowersTheRangeEnd) {
  // A look-ahead or an end anchor after the tail literal reads past it.
  EXPECT_EQ(Both("\\w?ab(?=c)", "xabc"), "@1\"xab\"");
  EXPECT_EQ(Both("[a-z]?ab(?=c)", "abab abc"), "@6\"ab\"");
  EXPECT_EQ(Both("\\w*ab$", "abx"), "-");
  EXPECT_EQ(Both("\\w*ab$", "xab"), "@1\"xab\"");
  EXPECT_EQ(Both("\\w*ab$", "abab"), "@1\"abab\"");
  EXPECT_EQ(Both("\\d*ab\\b", "1ab2 ab"), "@6\"ab\"");
  // The issue's own cases (first-literal mode; the same guarantees).
  EXPECT_EQ(Both("ab(?=c)", "xabc"), "@2\"ab\"");
  EXPECT_EQ(Both("ab$", "abx"), "-");
}

TEST(OptimizeLoop, PossessiveOnlyWhenTheFollowerCannotOverlap) {
  EXPECT_EQ(Analyse("a*b")->Opt.PossessiveLoops(), 1);
  EXPECT_EQ(Analyse("a+")->Opt.PossessiveLoops(), 1);        // followed by the end
  EXPECT_EQ(Analyse("(a*)b")->Opt.PossessiveLoops(), 1);     // past the group end
  EXPECT_EQ(Analyse("\\d+(?:x|y)")->Opt.PossessiveLoops(), 1);
  EXPECT_EQ(Analyse("a*a")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("\\w+\\d")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("a*(?:b|a)")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("a*?b")->Opt.PossessiveLoops(), 0);  // reluctant stays
  // Zero-width followers overlap everything.
  EXPECT_EQ(Analyse("x*\\B")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("x*\\b")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("a*$")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("a*(?=b)")->Opt.PossessiveLoops(), 0);
  EXPECT_EQ(Analyse("a*(?<!a)")->Opt.PossessiveLoops(), 0);
  // A called group is followed by different things at each call.
  EXPECT_EQ(Analyse("(x*)y(?1)x")->Opt.PossessiveLoops(), 0);

  EXPECT_EQ(Both("x*\\B", "xx"), "@1\"x\" @2\"\"");
  EXPECT_EQ(Both("x+\\B", "xx"), "@1\"x\"");
  EXPECT_EQ(Both("a+$", "aaa"), "@1\"aaa\"");
  EXPECT_EQ(Both("a*(?<!a)b", "aab b"), "@5\"b\"");
  EXPECT_EQ(Both("(x*)y(?1)x", "xyxx"), "@1\"xyxx\",\"x\"");
  EXPECT_EQ(Both("a*b", "aaab ab b"), "@1\"aaab\" @6\"ab\" @9\"b\"");
}

TEST(OptimizeSearch, CandidatesFollowTheScanOverSurrogatePairs) {
  // A lone low surrogate never starts an attempt inside a pair.
  const std::string pair = "\xF0\x90\x80\x80";  // U+10000 = D800 DC00
  TRegExp on, off;
  off.SetOptimizeKind(opNone);
  for (TRegExp* re : {&on, &off}) re->SetExpression(u"\\x{DC00}");
  std::u16string subject = u"a\U00010000b";
  EXPECT_EQ(AllMatches(on, subject), AllMatches(off, subject));
  EXPECT_EQ(Both("\\x{10000}x", "a" + pair + "x"), "@2\"" + pair + "x\"");
  // '.' takes one code unit: the scan positions decide what matches.
  Both("..x", pair + "x" + pair + "ax");
  Both(".x", pair + "x");
  Both("[^a]x|\\x{DC00}", pair + "x" + pair);
}

TEST(OptimizeSearch, LineTopsAnchorsAndWindows) {
  EXPECT_EQ(Both("^$", "a\n\nb", {roMultiLine}), "@3\"\"");  // an empty line between two breaks
  EXPECT_EQ(Both("^b", "a\n\nb\r\nb", {roMultiLine}), "@4\"b\" @7\"b\"");
  EXPECT_EQ(Both("^a", "aa\na"), "@1\"a\"");
  EXPECT_EQ(Both("\\Aa", "aa"), "@1\"a\"");
  // ExecPos windows: the strategy reads the window, not the subject.
  for (TOptimizeKind kind : {opNone, opBoth}) {
    TRegExp re;
    re.SetOptimizeKind(kind);
    re.SetExpression(u"abc");
    re.SetInputString(u"xxabcabc");
    EXPECT_TRUE(re.ExecPos(3, 3));
    EXPECT_EQ(re.Groups()[0].Index(), 3);
    EXPECT_FALSE(re.ExecPos(4, 4));
    re.SetExpression(u"[a-c]+c\\b");
    re.SetInputString(u"abc abcabc");
    EXPECT_TRUE(re.ExecPos(5, 3));
    EXPECT_EQ(re.Groups()[0].Length(), 3);
    // The pre-match cache must not survive a new subject at the same place.
    re.SetExpression(u"\\d+xyz");
    EXPECT_TRUE(re.Exec(u"12xyz"));
    EXPECT_FALSE(re.Exec(u"12xyw"));
    EXPECT_TRUE(re.Exec(u"13xyz"));
    EXPECT_FALSE(re.ExecNext());
  }
}

TEST(OptimizeSearch, FailedAttemptSkipsTheRestOfALeadingRun) {
  EXPECT_TRUE(Analyse("[a-z]+@x")->Opt.SkipsRuns());
  EXPECT_TRUE(Analyse("(\\w+)@")->Opt.SkipsRuns());
  EXPECT_TRUE(Analyse("\\d*+x")->Opt.SkipsRuns());
  EXPECT_FALSE(Analyse("(\\w+)@\\1")->Opt.SkipsRuns());    // a back-reference sees the start
  EXPECT_FALSE(Analyse("[a-z]+[a-z@]")->Opt.SkipsRuns());    // not possessive
  EXPECT_FALSE(Analyse("[a-z]{1,5}@")->Opt.SkipsRuns());     // bounded: the run depends on the start
  EXPECT_FALSE(Analyse("x[a-z]+@")->Opt.SkipsRuns());
  EXPECT_FALSE(Analyse("[a-z]+@", {roIgnoreWidth})->Opt.SkipsRuns());
  EXPECT_EQ(Both("[a-z]+@[a-z]+", "abc ab@ abc@d x@@y@z"), "@9\"abc@d\" @18\"y@z\"");
  EXPECT_EQ(Both("(\\w+)@(?<=c@)", "abc@ bcd@ c@"), "@1\"abc@\",\"abc\" @11\"c@\",\"c\"");
  EXPECT_EQ(Both("\\d*+x", "12y3x 45x"), "@4\"3x\" @7\"45x\"");
  EXPECT_EQ(Both("[^@]+@\\b", "a@ b@c"), "@3\" b@\"");
}

TEST(OptimizeSearch, LeadingAssertionsFilterCandidates) {
  EXPECT_EQ(Analyse("\\b([A-Za-z]+) \\1\\b")->Opt.StartAssertions(), 1u);
  EXPECT_EQ(Analyse("(\\B\\b)?x")->Opt.StartAssertions(), 0u);  // optional: not on every path
  EXPECT_EQ(Analyse("^\\bx")->Opt.StartAssertions(), 0u);         // the anchor comes first
  EXPECT_EQ(Both("\\b([A-Za-z]+) \\1\\b", "the the cat cat s ss ab ab"),
            "@1\"the the\",\"the\" @9\"cat cat\",\"cat\" @22\"ab ab\",\"ab\"");
  EXPECT_EQ(Both("\\Bx+", "xx ax xa"), "@2\"x\" @5\"x\"");
  EXPECT_EQ(Both("$|a", "ba\n"), "@2\"a\" @3\"\" @4\"\"");
  EXPECT_EQ(Both("\\b", ""), "-");
}

TEST(OptimizeSearch, RunLiteralScansBackFromTheLiteral) {
  auto r = Analyse("[a-zA-Z]+ing");
  EXPECT_EQ(r->Opt.LeadMode(), lcmRunLiteral);
  EXPECT_EQ(r->Opt.RunLiteral().Search().FindText(), u"ing");
  EXPECT_EQ(r->Opt.RunLiteral().Min(), 1);
  EXPECT_EQ(Mode("\\b(\\w*)@"), lcmRunLiteral);          // assertions and groups around the loop
  EXPECT_EQ(Mode("[a-z]{3,}x", {roIgnoreCase}), lcmRunLiteral);
  EXPECT_NE(Mode("[a-z]{1,5}x"), lcmRunLiteral);          // bounded: the run may start later
  EXPECT_NE(Mode("[a-z]+x", {roIgnoreWidth}), lcmRunLiteral);  // a folded letter may span two units
  EXPECT_NE(Mode("[a-z]+(?:x|y)"), lcmRunLiteral);
  EXPECT_NE(Mode("(?:ab)+x"), lcmRunLiteral);
  EXPECT_NE(Mode("([a-z]+x)(?1)"), lcmRunLiteral);        // a call returns through the group end

  // A hit with no room for the minimum before it, runs broken before the
  // hit, a window or an earlier match starting inside a run, a later hit
  // whose run covers an earlier failed one.
  EXPECT_EQ(Both("[a-z]+ing", "ing xing a-ing singing"), "@5\"xing\" @16\"singing\"");
  EXPECT_EQ(Both("[a-z]{3,}ing", "xxing abcing"), "@7\"abcing\"");
  EXPECT_EQ(Both("[a-z]*ing", "ing-ing"), "@1\"ing\" @5\"ing\"");
  EXPECT_EQ(Both("[a-z]+?ing", "singingxing"), "@1\"sing\" @5\"ingxing\"");
  EXPECT_EQ(Both("[a-z]+ing[0-9]", "singing ringx kinging3"), "@15\"kinging3\"");
  EXPECT_EQ(Both("(?i)[a-z]+ING", "SinG sING"), "@1\"SinG\" @6\"sING\"");
  // Supplementary characters in the run: both halves count as the class.
  const std::string u10000 = "\xF0\x90\x80\x80";
  EXPECT_EQ(Both("[^ ]+ab", "x" + u10000 + "ab " + u10000 + "ab"),
            "@1\"x" + u10000 + "ab\" @7\"" + u10000 + "ab\"");
  EXPECT_EQ(Both("\\x{10000}+ab", "x" + u10000 + u10000 + "ab"), "@2\"" + u10000 + u10000 + "ab\"");
  for (TOptimizeKind kind : {opNone, opBoth}) {
    TRegExp re;
    re.SetOptimizeKind(kind);
    re.SetExpression(u"[a-z]+ing");
    re.SetInputString(u"xxsing sing");
    EXPECT_TRUE(re.ExecPos(3, 4));
    EXPECT_EQ(re.Groups()[0].Index(), 3);
    EXPECT_FALSE(re.ExecPos(4, 2));  // the hit lies beyond the window
  }
}
