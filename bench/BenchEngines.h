// Uniform "count every match" drivers for the benchmarked engines, all on
// the same UTF-16 subject:
//   Vantora    TRegExp: Exec, then ExecNext while it finds more;
//   PCRE2      16-bit library, PCRE2_UTF | PCRE2_UCP, matching with
//              PCRE2_NO_UTF_CHECK; interpreter, or JIT (PCRE2_JIT_COMPLETE);
//   Onig       Oniguruma with the UTF-16LE encoding, Perl_NG syntax, on the
//              subject's bytes (this machine is little-endian);
//   StdRegex   std::wregex (ECMAScript) on a UTF-32 copy of the subject
//              (wchar_t is 32 bits here); it has no UTF-16 mode.
// Every driver continues after a match at its end, or one code unit later
// after an empty match (as ExecNext does), so counts are comparable. A
// driver reports -1 when the engine gave up (match or backtrack limit, or
// an exception). Peers are oracles and yardsticks only.
#pragma once

#define PCRE2_CODE_UNIT_WIDTH 0
#include <pcre2.h>
#include <oniguruma.h>

#include <memory>
#include <regex>
#include <stdexcept>
#include <string>

#include "common/Charset.h"
#include "regex/RegExpW.h"

namespace vantora::bench {

// UTF-8 for the peers that cannot take UTF-16.
inline std::string ToUtf8(const std::u16string& s) { return Utf16ToUtf8(s); }

inline std::wstring ToUtf32(const std::u16string& s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00u);
    out += static_cast<wchar_t>(c);
  }
  return out;
}

// ------------------------------------------------------------------ Vantora

class VantoraDriver {
 public:
  VantoraDriver(const std::u16string& pattern, bool ignoreCase) {
    FRe.SetExpression(pattern);
    FRe.SetOptions(0, ignoreCase);
    FRe.Compile();
  }
  long Count(const std::u16string& subject) {
    long n = 0;
    for (bool ok = FRe.Exec(subject); ok; ok = FRe.ExecNext()) ++n;
    return n;
  }
  TRegExp& Re() { return FRe; }

 private:
  TRegExp FRe;
};

// -------------------------------------------------------------------- PCRE2

class Pcre2Driver {
 public:
  Pcre2Driver(const std::u16string& pattern, bool ignoreCase, bool jit) {
    int err = 0;
    PCRE2_SIZE off = 0;
    std::uint32_t opts = PCRE2_UTF | PCRE2_UCP | (ignoreCase ? PCRE2_CASELESS : 0u);
    FCode = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.data()), pattern.size(), opts, &err,
                             &off, nullptr);
    if (!FCode) throw std::runtime_error("pcre2 compile error");
    if (jit && pcre2_jit_compile_16(FCode, PCRE2_JIT_COMPLETE) != 0)
      throw std::runtime_error("pcre2 jit error");
    FData = pcre2_match_data_create_from_pattern_16(FCode, nullptr);
  }
  ~Pcre2Driver() {
    pcre2_match_data_free_16(FData);
    pcre2_code_free_16(FCode);
  }
  Pcre2Driver(const Pcre2Driver&) = delete;
  Pcre2Driver& operator=(const Pcre2Driver&) = delete;

  long Count(const std::u16string& subject) {
    auto s = reinterpret_cast<PCRE2_SPTR16>(subject.data());
    PCRE2_SIZE pos = 0;
    long n = 0;
    while (pos <= subject.size()) {
      int rc = pcre2_match_16(FCode, s, subject.size(), pos, PCRE2_NO_UTF_CHECK, FData, nullptr);
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) return -1;
      ++n;
      PCRE2_SIZE* ov = pcre2_get_ovector_pointer_16(FData);
      pos = ov[1] > ov[0] ? ov[1] : ov[1] + 1;
      // Never restart inside a surrogate pair (UTF mode requires it).
      if (pos < subject.size() && subject[pos] >= 0xDC00 && subject[pos] <= 0xDFFF) ++pos;
    }
    return n;
  }

 private:
  pcre2_code_16* FCode = nullptr;
  pcre2_match_data_16* FData = nullptr;
};

// --------------------------------------------------------------- Oniguruma

inline void OnigInitOnce() {
  static const bool done = [] {
    OnigEncoding enc = ONIG_ENCODING_UTF16_LE;
    onig_initialize(&enc, 1);
    return true;
  }();
  (void)done;
}

class OnigDriver {
 public:
  OnigDriver(const std::u16string& pattern, bool ignoreCase) {
    OnigInitOnce();
    OnigErrorInfo info;
    auto p = reinterpret_cast<const OnigUChar*>(pattern.data());
    int rc = onig_new(&FRe, p, p + pattern.size() * 2, ignoreCase ? ONIG_OPTION_IGNORECASE : ONIG_OPTION_NONE,
                      ONIG_ENCODING_UTF16_LE, ONIG_SYNTAX_PERL_NG, &info);
    if (rc != ONIG_NORMAL) throw std::runtime_error("onig compile error");
    FRegion = onig_region_new();
  }
  ~OnigDriver() {
    onig_region_free(FRegion, 1);
    onig_free(FRe);
  }
  OnigDriver(const OnigDriver&) = delete;
  OnigDriver& operator=(const OnigDriver&) = delete;

  long Count(const std::u16string& subject) {
    auto s = reinterpret_cast<const OnigUChar*>(subject.data());
    const OnigUChar* end = s + subject.size() * 2;
    const OnigUChar* at = s;
    long n = 0;
    while (at <= end) {
      int r = onig_search(FRe, s, end, at, end, FRegion, ONIG_OPTION_NONE);
      if (r == ONIG_MISMATCH) break;
      if (r < 0) return -1;
      ++n;
      const OnigUChar* mEnd = s + FRegion->end[0];
      const OnigUChar* mBeg = s + FRegion->beg[0];
      at = mEnd > mBeg ? mEnd : mEnd + 2;
      std::size_t unit = static_cast<std::size_t>(at - s) / 2;
      if (unit < subject.size() && subject[unit] >= 0xDC00 && subject[unit] <= 0xDFFF) at += 2;
    }
    return n;
  }

 private:
  OnigRegex FRe = nullptr;
  OnigRegion* FRegion = nullptr;
};

// --------------------------------------------------------------- std::regex

class StdRegexDriver {
 public:
  StdRegexDriver(const std::u16string& pattern, bool ignoreCase)
      : FRe(ToUtf32(pattern), ignoreCase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript) {}
  // The subject must already be UTF-32 (ToUtf32), converted outside the timing.
  long Count(const std::wstring& subject) {
    try {
      long n = 0;
      auto begin = subject.cbegin();
      const auto end = subject.cend();
      std::wsmatch m;
      auto flags = std::regex_constants::match_default;
      while (begin <= end && std::regex_search(begin, end, m, FRe, flags)) {
        ++n;
        auto mEnd = m[0].second;
        begin = m.length(0) > 0 ? mEnd : mEnd + (mEnd == end ? 0 : 1);
        if (m.length(0) == 0 && mEnd == end) break;
        flags |= std::regex_constants::match_prev_avail;
      }
      return n;
    } catch (const std::exception&) {
      return -1;
    }
  }

 private:
  std::wregex FRe;
};

}  // namespace vantora::bench
