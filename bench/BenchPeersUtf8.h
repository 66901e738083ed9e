// "Count every match" drivers for the two peers that search UTF-8: RE2 and
// Hyperscan. The benchmark converts each subject to UTF-8 once, outside the
// timing (ToUtf8 of BenchEngines.h), and hands the copy to Count.
//   Re2Driver        RE2 (UTF-8, leftmost-first); continues after a match at
//                    its end, or one character later after an empty match,
//                    as the other drivers do, so its counts are comparable.
//   HyperscanDriver  Hyperscan block mode with UTF-8 and Unicode classes; it
//                    reports every end offset of a match rather than
//                    leftmost non-overlapping matches, so its count is a
//                    scan yardstick and is not checked against PCRE2's.
// Both throw at construction when the peer cannot take the pattern (the
// benchmark is then not registered). Peers are yardsticks only.
#pragma once

#include <hs/hs.h>
#include <re2/re2.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace vantora::bench {

class Re2Driver {
 public:
  Re2Driver(const std::string& utf8Pattern, bool ignoreCase) {
    RE2::Options o;
    o.set_case_sensitive(!ignoreCase);
    o.set_log_errors(false);
    o.set_max_mem(std::int64_t{256} << 20);
    FRe = std::make_unique<RE2>(utf8Pattern, o);
    if (!FRe->ok()) throw std::runtime_error("re2 compile error");
  }
  long Count(const std::string& subject) const {
    re2::StringPiece text(subject);
    re2::StringPiece m;
    std::size_t pos = 0;
    long n = 0;
    while (pos <= subject.size() && FRe->Match(text, pos, subject.size(), RE2::UNANCHORED, &m, 1)) {
      ++n;
      const std::size_t b = static_cast<std::size_t>(m.data() - subject.data());
      std::size_t e = b + m.size();
      if (m.empty()) {
        if (e >= subject.size()) break;
        ++e;
        while (e < subject.size() && (static_cast<unsigned char>(subject[e]) & 0xC0) == 0x80) ++e;
      }
      pos = e;
    }
    return n;
  }

 private:
  std::unique_ptr<RE2> FRe;
};

class HyperscanDriver {
 public:
  HyperscanDriver(const std::string& utf8Pattern, bool ignoreCase) {
    hs_compile_error_t* err = nullptr;
    const unsigned flags = HS_FLAG_UTF8 | HS_FLAG_UCP | HS_FLAG_ALLOWEMPTY | (ignoreCase ? HS_FLAG_CASELESS : 0u);
    if (hs_compile(utf8Pattern.c_str(), flags, HS_MODE_BLOCK, nullptr, &FDb, &err) != HS_SUCCESS) {
      hs_free_compile_error(err);
      throw std::runtime_error("hyperscan compile error");
    }
    if (hs_alloc_scratch(FDb, &FScratch) != HS_SUCCESS) {
      hs_free_database(FDb);
      throw std::runtime_error("hyperscan scratch error");
    }
  }
  ~HyperscanDriver() {
    hs_free_scratch(FScratch);
    hs_free_database(FDb);
  }
  HyperscanDriver(const HyperscanDriver&) = delete;
  HyperscanDriver& operator=(const HyperscanDriver&) = delete;

  long Count(const std::string& subject) const {
    long n = 0;
    auto onMatch = [](unsigned, unsigned long long, unsigned long long, unsigned, void* ctx) -> int {
      ++*static_cast<long*>(ctx);
      return 0;
    };
    if (hs_scan(FDb, subject.data(), static_cast<unsigned>(subject.size()), 0, FScratch, onMatch, &n) != HS_SUCCESS)
      return -1;
    return n;
  }

 private:
  hs_database_t* FDb = nullptr;
  hs_scratch_t* FScratch = nullptr;
};

}  // namespace vantora::bench
