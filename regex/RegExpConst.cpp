// Message formatting and the exception classes' constructors.
// The messages themselves are the constants of RegExpConst.h.
// Covered by tests/regex/test_compile_errors.cpp.
#include "regex/RegExpConst.h"
#include "regex/RegExpUtf16.h"

#include "regex/RegExpW.h"

namespace vantora {

std::u16string REFormat(const char16_t* fmt, const std::u16string& arg) {
  std::u16string f(fmt);
  auto at = f.find(u"%s");
  if (at == std::u16string::npos) return f;
  return f.substr(0, at) + arg + f.substr(at + 2);
}

std::u16string REFormat(const char16_t* fmt, long long value) {
  std::u16string f(fmt);
  auto at = f.find(u"%d");
  if (at == std::u16string::npos) return f;
  std::string digits = std::to_string(value);
  return f.substr(0, at) + std::u16string(digits.begin(), digits.end()) + f.substr(at + 2);
}

std::u16string REErrorMessage(const std::u16string& message, const std::u16string& pattern,
                              std::size_t offset) {
  if (offset > pattern.size()) offset = pattern.size();
  return message + u"; " + pattern.substr(0, offset) + u" <-- " + pattern.substr(offset);
}

std::string REToUtf8(const std::u16string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (REIsHighSurrogate(c) && i + 1 < s.size() && REIsLowSurrogate(s[i + 1])) {
      c = RECombineSurrogates(c, s[i + 1]);
      ++i;
    } else if (REIsSurrogate(c)) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string REFromUtf8(const std::string& s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    std::uint32_t c;
    int extra;
    if (b < 0x80) { c = b; extra = 0; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
    else { out += u'\uFFFD'; ++i; continue; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + static_cast<std::size_t>(k) >= s.size() ||
          (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    if (!ok) { out += u'\uFFFD'; ++i; continue; }
    i += static_cast<std::size_t>(extra) + 1;
    REAppendUtf16(out, c);
  }
  return out;
}

EREException::EREException(const std::u16string& message)
    : std::runtime_error(REToUtf8(message)), FMessage(message) {}

}  // namespace vantora
