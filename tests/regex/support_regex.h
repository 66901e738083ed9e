// Helpers shared by the regex test programs (support_regex.cpp): UTF-8
// literals to UTF-16 and back, and a compact description of the current
// match of a TRegExp for assertions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "regex/RegExpW.h"

namespace vantora::test {

std::u16string U(const std::string& utf8);
std::string S(const std::u16string& utf16);
// "@<index>" then the groups 0..n, comma-separated, each "text" or - when
// the group did not participate ("-" alone when the last search failed).
std::string Describe(TRegExp& re);
// Every match of Exec followed by ExecNext, each as Describe gives it,
// separated by single spaces; "-" when there is none.
std::string AllMatches(TRegExp& re, const std::u16string& subject);
// Same with a fresh object for the pattern and options.
std::string AllMatches(const std::string& pattern, const std::string& subject, TREOptions options = {});

// One case of the shared match corpus (tests/regex/corpus/match_cases.txt):
// its line number and its four tab-separated fields as written.
struct TCorpusCase {
  int Line = 0;
  std::string Pattern, Options, Subject, Expected;
};
// Every case of the corpus; a malformed line is reported as a test failure.
std::vector<TCorpusCase> LoadMatchCorpus();
// The corpus's text escapes: \n \r \t \\ \" and \x{H...} (a code point or a
// lone surrogate).
std::u16string CorpusUnescape(const std::string& text);
// The corpus's option letters (i m n s x w k L); "-" or any other letter adds nothing.
TREOptions CorpusOptions(const std::string& letters);

// One table row of the match tests: a pattern, a subject, and every match
// with its groups as AllMatches writes them.
struct MatchRow {
  const char* Pattern;
  const char* Subject;
  const char* Expected;
};

// Checks each row with a fresh object and default options; a failure names
// the pattern and the subject.
template <std::size_t N>
void ExpectRows(const MatchRow (&rows)[N]) {
  for (const MatchRow& r : rows) EXPECT_EQ(AllMatches(r.Pattern, r.Subject), r.Expected) << r.Pattern << " on " << r.Subject;
}

}  // namespace vantora::test
