// Shared helpers of the regex tests; see support_regex.h.
#include "support_regex.h"

#include <cstdio>

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

}  // namespace vantora::test
