// Two TRegExp objects used at the same time on two threads: each keeps all
// of its match state to itself, and the shared Unicode tables are read-only.
// Run under ThreadSanitizer or ASan (scripts/test.sh --sanitize) this must
// stay silent; the results must equal the single-threaded ones.
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "regex/RegExpProgram.h"
#include "support_regex.h"

namespace vantora::test {
namespace {

struct TJob {
  std::u16string Pattern;
  std::u16string Subject;
  std::string Expected;
  std::string Got;
};

void RunJob(TJob& job, int rounds) {
  TRegExp re;
  re.SetOptions(0, true);
  re.SetExpression(job.Pattern);
  for (int i = 0; i < rounds; ++i) {
    std::string all = AllMatches(re, job.Subject);
    if (i == 0) job.Got = all;
    else if (all != job.Got) job.Got = "unstable: " + all;
    re.SetExpression(i % 2 ? job.Pattern : job.Pattern + u"|\\p{Han}+");  // recompile now and then
    re.SetExpression(job.Pattern);
  }
}

TEST(Threads, TwoObjectsInParallelGiveTheSequentialResults) {
  std::u16string page;
  for (int i = 0; i < 200; ++i) page += u"<th class=\"x\">名前" + std::u16string(1, char16_t(u'0' + i % 10)) + u"</th>\n";
  std::u16string words;
  for (int i = 0; i < 300; ++i) words += u"abc ＡＢＣ ひらがな カタカナ 123 ";
  TJob a{u"<th[^>]*>(.*?)</th>", page, {}, {}};
  TJob b{u"(?<w>\\p{Katakana}+)|(\\d+)|([a-z]+)", words, {}, {}};
  TJob seqA = a, seqB = b;
  RunJob(seqA, 1);
  RunJob(seqB, 1);
  std::thread ta([&] { RunJob(a, 20); });
  std::thread tb([&] { RunJob(b, 20); });
  ta.join();
  tb.join();
  EXPECT_EQ(a.Got, seqA.Got);
  EXPECT_EQ(b.Got, seqB.Got);
  EXPECT_NE(a.Got, "-");
  EXPECT_NE(b.Got, "-");
}

// One compiled program per pattern, searched by several threads at once,
// each through its own TRegExp made from the program: every thread must
// get what one thread alone gets. The patterns take the different start
// strategies (run literal, lead map, the lead bitmap filled during scans,
// anchor literal, line starts, pre-match filter) and the matcher's caches
// (failure memo, star runs, back-references, \G), which all belong to the
// searching object, never to the shared program.
TEST(Threads, OneSharedProgramGivesEveryThreadTheSingleThreadResults) {
  const std::vector<std::u16string> patterns = {
      u"(\\w+)@(\\w+)\\.com",      u"[a-z]+ing\\b",       u"(?<y>\\d\\d)-(\\d\\d)-\\k<y>",
      u"(x+x+)+y",                 u"\\bfoo\\w*",         u"(?:ab|cd|ef)\\d",
      u"[α-ω]+|\\p{Han}+",         u"(?m)^\\s*(\\w+)=(.*)$", u".{3}XYZ",
      u"\\G\\d",                   u"(?:a|b)*c",            u"[^<]*<(\\w+)>",
  };
  std::u16string subject = u"4711 ";  // \G\d: digits at the start only
  for (int i = 0; i < 40; ++i) {
    subject += u"mail me@host.com or you" + std::u16string(1, char16_t(u'a' + i % 26)) + u"@x.com; singing ";
    subject += u"12-34-12 56-78-90 xxxxxxxxxxxxxxxx xxy foobar afoo ab1 cd2 ef ";
    subject += u"αβγ 漢字\nkey=value\n  k2=v2\nabcXYZ 123 ababc <tag> ";
  }
  std::vector<std::shared_ptr<const TREProgram>> programs;
  std::vector<std::string> expected;
  // The single-thread answers come from programs of their own, so that the
  // shared ones are searched first by the threads together (tables a leaf
  // fills on first use are filled by them at once).
  for (const std::u16string& p : patterns) {
    programs.push_back(RECompileProgram(p, {}, opBoth));
    TRegExp alone(RECompileProgram(p, {}, opBoth));
    expected.push_back(AllMatches(alone, subject));
    EXPECT_NE(expected.back(), "-") << S(p);
  }
  constexpr int kThreads = 4;
  std::vector<std::vector<std::string>> got(kThreads, std::vector<std::string>(patterns.size()));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round)
        for (std::size_t k = 0; k < patterns.size(); ++k) {
          const std::size_t i = (k + static_cast<std::size_t>(t)) % patterns.size();  // threads start apart
          TRegExp re(programs[i]);
          const std::string all = AllMatches(re, subject);
          std::string& slot = got[static_cast<std::size_t>(t)][i];
          if (round == 0) slot = all;
          else if (all != slot) slot = "unstable: " + all;
        }
    });
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t)
    for (std::size_t i = 0; i < patterns.size(); ++i)
      EXPECT_EQ(got[static_cast<std::size_t>(t)][i], expected[i]) << "thread " << t << ": " << S(patterns[i]);
}

}  // namespace
}  // namespace vantora::test
