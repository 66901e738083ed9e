// Two TRegExp objects used at the same time on two threads: each keeps all
// of its match state to itself, and the shared Unicode tables are read-only.
// Run under ThreadSanitizer or ASan (scripts/test.sh --sanitize) this must
// stay silent; the results must equal the single-threaded ones.
#include <thread>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vantora::test
