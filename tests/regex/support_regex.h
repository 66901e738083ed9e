// Helpers shared by the regex test programs (support_regex.cpp): UTF-8
// literals to UTF-16 and back, and a compact description of the current
// match of a TRegExp for assertions.
#pragma once

#include <string>
#include <vector>

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

}  // namespace vantora::test
