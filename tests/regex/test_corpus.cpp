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

struct TCase {
  int Line = 0;
  std::string Pattern, Options, Subject, Expected;
};

std::vector<TCase> LoadCorpus() {
  std::ifstream in(std::string(VANTORA_SOURCE_DIR) + "/tests/regex/corpus/match_cases.txt");
  std::vector<TCase> cases;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::size_t p = 0;
    for (;;) {
      std::size_t t = line.find('\t', p);
      f.push_back(line.substr(p, t == std::string::npos ? std::string::npos : t - p));
      if (t == std::string::npos) break;
      p = t + 1;
    }
    if (f.size() != 4) {
      ADD_FAILURE() << "corpus line " << n << " has " << f.size() << " fields";
      continue;
    }
    cases.push_back({n, f[0], f[1], f[2], f[3]});
  }
  return cases;
}

// Decodes \n \r \t \\ \" and \x{H...} (a code point or a lone surrogate).
std::u16string Unescape(const std::string& s) {
  std::u16string out;
  std::string lit;
  auto flush = [&] {
    out += U(lit);
    lit.clear();
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      lit += s[i];
      continue;
    }
    const char c = s[++i];
    if (c == 'n') lit += '\n';
    else if (c == 'r') lit += '\r';
    else if (c == 't') lit += '\t';
    else if (c == '\\' || c == '"') lit += c;
    else if (c == 'x' && i + 1 < s.size() && s[i + 1] == '{') {
      const std::size_t e = s.find('}', i);
      unsigned long v = std::stoul(s.substr(i + 2, e - i - 2), nullptr, 16);
      i = e;
      flush();
      if (v >= 0x10000) {
        v -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (v >> 10));
        out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
      } else {
        out += static_cast<char16_t>(v);
      }
    } else {
      lit += '\\';
      lit += c;
    }
  }
  flush();
  return out;
}

TREOptions ParseOptions(const std::string& s) {
  TREOptions o;
  for (char c : s) {
    switch (c) {
      case 'i': o.Include(roIgnoreCase); break;
      case 'm': o.Include(roMultiLine); break;
      case 'n': o.Include(roNamedGroupOnly); break;
      case 's': o.Include(roSingleLine); break;
      case 'x': o.Include(roExtended); break;
      case 'w': o.Include(roIgnoreWidth); break;
      case 'k': o.Include(roIgnoreKana); break;
      case 'L': o.Include(roDefinedCharClassLegacy); break;
      default: break;
    }
  }
  return o;
}

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
    sp.Length = static_cast<int>(Unescape(body).size());
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
  const std::vector<TCase> cases = LoadCorpus();
  ASSERT_GT(cases.size(), 250u);
  for (const TCase& c : cases) {
    SCOPED_TRACE("corpus line " + std::to_string(c.Line) + ": " + c.Pattern);
    const TREOptions options = ParseOptions(c.Options);
    const std::u16string subject = Unescape(c.Subject);
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
