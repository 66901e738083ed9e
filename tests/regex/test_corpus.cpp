// Runs the shared match corpus (tests/regex/corpus/match_cases.txt) through
// every search entry point of TRegExp: Exec followed by ExecNext (all
// matches with all groups), ExecPos from the start and from the first
// match's position, Replace (each non-empty match wrapped in <>) and Split.
// The expectations of Replace and Split are derived from the case's match
// list, so a case is written once. The file's header describes the format.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support_regex.h"

namespace vantora::test {
namespace {

struct TSpan {
  int Start = 0;  // 1-based
  int Length = 0;
};

// The group-0 span of every match in an expectation.
std::vector<TSpan> Spans(const std::string& expected) {
  std::vector<TSpan> spans;
  if (expected == "-") return spans;
  std::size_t i = 0;
  while ((i = expected.find('@', i)) != std::string::npos) {
    TSpan sp;
    sp.Start = std::stoi(expected.substr(i + 1));
    std::size_t q = expected.find('"', i);
    std::string body;
    for (std::size_t k = q + 1; k < expected.size() && expected[k] != '"'; ++k) {
      if (expected[k] == '\\') body += expected[k++];
      body += expected[k];
    }
    sp.Length = static_cast<int>(CorpusUnescape(body).size());
    spans.push_back(sp);
    i = q + body.size() + 2;
  }
  return spans;
}

std::string FirstMatch(const std::string& expected) {
  const std::size_t sp = expected.find(" @");
  return sp == std::string::npos ? expected : expected.substr(0, sp);
}

TEST(Corpus, EveryCaseThroughEveryEntryPoint) {
  const std::vector<TCorpusCase> cases = LoadMatchCorpus();
  ASSERT_GT(cases.size(), 250u);
  for (const TCorpusCase& c : cases) {
    SCOPED_TRACE("corpus line " + std::to_string(c.Line) + ": " + c.Pattern);
    const TREOptions options = CorpusOptions(c.Options);
    const std::u16string subject = CorpusUnescape(c.Subject);
    try {
      TRegExp re;
      re.SetOptionSet(options);
      re.SetExpression(U(c.Pattern));
      EXPECT_EQ(AllMatches(re, subject), c.Expected);

      // ExecPos from the start, and from the first match's position.
      TRegExp pos;
      pos.SetOptionSet(options);
      pos.SetExpression(U(c.Pattern));
      pos.SetInputString(subject);
      pos.ExecPos(1, 0);
      EXPECT_EQ(Describe(pos), FirstMatch(c.Expected));
      const std::vector<TSpan> spans = Spans(c.Expected);
      // (\G depends on the previous search; \K moves the reported start.)
      if (!spans.empty() && c.Pattern.find("\\G") == std::string::npos && c.Pattern.find("\\K") == std::string::npos) {
        pos.SetInputString(subject);
        pos.ExecPos(spans[0].Start, 0);
        EXPECT_EQ(Describe(pos), FirstMatch(c.Expected)) << "ExecPos(" << spans[0].Start << ")";
      }

      // Replace and Split derived from the match spans.
      std::u16string replaced;
      std::vector<std::u16string> pieces;
      std::size_t copy = 0;
      for (const TSpan& sp : spans) {
        if (sp.Length == 0) continue;
        const std::size_t start = static_cast<std::size_t>(sp.Start - 1);
        replaced += subject.substr(copy, start - copy) + u"<" + subject.substr(start, sp.Length) + u">";
        pieces.push_back(subject.substr(copy, start - copy));
        copy = start + static_cast<std::size_t>(sp.Length);
      }
      replaced += subject.substr(copy);
      if (!spans.empty()) pieces.push_back(subject.substr(copy));
      EXPECT_EQ(S(re.Replace(subject, u"<$0>")), S(replaced));
      std::vector<std::u16string> split{u"stale"};
      re.Split(subject, split);
      EXPECT_EQ(split, pieces);
    } catch (const ERegExp& e) {
      ADD_FAILURE() << "exception: " << e.what();
    }
  }
}

}  // namespace
}  // namespace vantora::test
