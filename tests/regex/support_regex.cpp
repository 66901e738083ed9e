// Shared helpers of the regex tests; see support_regex.h.
#include "support_regex.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

#include "regex/RegExpConst.h"

namespace vantora::test {

std::u16string U(const std::string& utf8) { return REFromUtf8(utf8); }
std::string S(const std::u16string& utf16) { return REToUtf8(utf16); }

namespace {
std::string Quote(const std::u16string& s) {
  std::string o = "\"";
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000;
    if (pair) {
      o += REToUtf8(s.substr(i, 2));
      ++i;
      continue;
    }
    if (c == u'"') o += "\\\"";
    else if (c == u'\\') o += "\\\\";
    else if (c == u'\n') o += "\\n";
    else if (c == u'\r') o += "\\r";
    else if (c == u'\t') o += "\\t";
    else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 ||
             (c >= 0xD800 && c < 0xE000)) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(c));
      o += buf;
    } else {
      o += REToUtf8(std::u16string(1, c));
    }
  }
  return o + "\"";
}
}  // namespace

std::string Describe(TRegExp& re) {
  if (re.Groups().Count() == 0 || !re.Groups()[0].Success()) return "-";
  std::string o = "@" + std::to_string(re.Groups()[0].Index());
  for (int i = 0; i <= re.GroupCount(); ++i) {
    if (i) o += ",";
    o += re.Groups()[i].Success() ? Quote(re.Groups()[i].Strings()) : "-";
  }
  return o;
}

std::string AllMatches(TRegExp& re, const std::u16string& subject) {
  std::string out;
  int guard = 0;
  for (bool ok = re.Exec(subject); ok && guard < 1000; ok = re.ExecNext(), ++guard) {
    if (!out.empty()) out += " ";
    out += Describe(re);
  }
  return out.empty() ? "-" : out;
}

std::string AllMatches(const std::string& pattern, const std::string& subject, TREOptions options) {
  TRegExp re;
  re.SetOptionSet(options);
  re.SetExpression(U(pattern));
  return AllMatches(re, U(subject));
}

std::vector<TCorpusCase> LoadMatchCorpus() {
  std::ifstream in(std::string(VANTORA_SOURCE_DIR) + "/tests/regex/corpus/match_cases.txt");
  std::vector<TCorpusCase> cases;
  if (!in) {
    ADD_FAILURE() << "the match corpus cannot be read";
    return cases;
  }
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
std::u16string CorpusUnescape(const std::string& s) {
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

TREOptions CorpusOptions(const std::string& s) {
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


}  // namespace vantora::test
