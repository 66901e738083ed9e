// The engine against its peers on the same subjects, in one run:
// PCRE2 16-bit (interpreter, and JIT as a reference), Oniguruma (UTF-16LE),
// std::wregex (UTF-32; only where it can take the pattern), and RE2 and
// Hyperscan on UTF-8 copies (only where they take the pattern; Hyperscan's
// count is reported, not checked: it reports every match end). Each
// benchmark is named engines/<case>/<engine> and counts every match of its
// pattern in its subject (see BenchEngines.h for the drivers). The count is
// checked against the PCRE2 interpreter's before timing: an engine whose
// semantics agree with PCRE2 on the case and that counts differently fails
// the benchmark with an error, so a fast wrong answer cannot pass. Where the
// semantics differ (std::regex's ASCII-only \b) the count is only reported.
//
// Cases (subjects from BenchData.h; "1 MB" is 2^20 UTF-16 code units):
//   literal search (ASCII and Japanese), case-insensitive literal, the five
//   extraction searches over the 200 K-unit page text, \p{Han}+, a 20-word
//   alternation, a 1,000-word alternation, e-mail, URI and IPv4 patterns, every word ending in -ing, a back-reference, and the
//   pathological (a*)*b, (a|aa)+$, (x+x+)+y on 20..10,000 characters
//   (every one fails to match; peers may give up with a limit error, shown
//   as gave_up=1).
// Counters: matches; for the engine on 1 MB subjects also peak_bytes, the
// most heap memory in use during one search beyond what was in use before
// it, and peak_per_unit (that divided by the subject length).
// Run by scripts/bench.sh, which also prints the geometric means.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <malloc.h>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchData.h"
#include "bench/BenchEngines.h"
#include "bench/BenchPeersUtf8.h"

// ---------------------------------------------------------- heap accounting
// Every allocation of the program goes through these, so the live byte count
// and its peak can be read around one search.
namespace {
std::atomic<long long> gLiveBytes{0};
std::atomic<long long> gPeakBytes{0};

void* CountedAlloc(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  long long now = gLiveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                  static_cast<long long>(malloc_usable_size(p));
  long long peak = gPeakBytes.load();
  while (now > peak && !gPeakBytes.compare_exchange_weak(peak, now)) {
  }
  return p;
}
void CountedFree(void* p) noexcept {
  if (!p) return;
  gLiveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
  std::free(p);
}
}  // namespace

void* operator new(std::size_t n) { return CountedAlloc(n); }
void* operator new[](std::size_t n) { return CountedAlloc(n); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

using namespace vantora;
using namespace vantora::bench;

namespace {

enum class Subject { Mixed, Page, Repeat };

struct Case {
  std::string name;
  std::u16string pattern;
  bool ignoreCase = false;
  Subject subject = Subject::Mixed;
  bool stdRegex = true;        // std::wregex can compile the pattern
  bool stdAgrees = true;       // and counts as PCRE2 does
  bool pathological = false;
  std::u16string repeatText;   // Subject::Repeat: the subject
  std::u16string pcrePattern;  // PCRE2's spelling when it differs
};

const std::u16string& Mixed() {
  static const std::u16string s = MixedText(std::size_t{1} << 20);
  return s;
}
const std::u16string& Page() {
  static const std::u16string s = ProfilePage();
  return s;
}

std::u16string AlternationPattern(const std::vector<std::u16string>& words) {
  std::u16string p;
  for (const auto& w : words) {
    if (!p.empty()) p += u'|';
    p += w;
  }
  return p;
}

Case Make(std::string name, std::u16string pattern, bool ignoreCase, Subject subject, bool stdRegex = true,
          bool stdAgrees = true) {
  Case k;
  k.name = std::move(name);
  k.pattern = std::move(pattern);
  k.ignoreCase = ignoreCase;
  k.subject = subject;
  k.stdRegex = stdRegex;
  k.stdAgrees = stdAgrees;
  return k;
}

Case Patho(std::string name, std::u16string pattern, std::u16string subject, int n) {
  Case k = Make(std::move(name), std::move(pattern), false, Subject::Repeat, n <= 20);
  k.pathological = true;
  k.repeatText = std::move(subject);
  return k;
}

std::vector<Case> Cases() {
  std::vector<Case> c;
  c.push_back(Make("literal_ascii", u"Sherlock", false, Subject::Mixed));
  c.push_back(Make("literal_japanese", u"証券取引所", false, Subject::Mixed));
  c.push_back(Make("literal_icase", u"sherlock", true, Subject::Mixed));
  const char* names[] = {"extract_update_time", "extract_feature", "extract_business", "extract_name",
                         "extract_price"};
  for (std::size_t i = 0; i < ExtractionPatterns().size(); ++i)
    c.push_back(Make(names[i], ExtractionPatterns()[i], true, Subject::Page));
  // PCRE2 10.40+ reads \p{Han} as the script extension (so 、。「」 count);
  // \p{sc:Han} is the script property that the others use.
  c.push_back(Make("han_run", u"\\p{Han}+", false, Subject::Mixed, false, false));
  c.back().pcrePattern = u"\\p{sc:Han}+";
  c.push_back(Make("alternation_20", AlternationPattern(AlternationWords()), false, Subject::Mixed));
  c.push_back(Make("alternation_1000", AlternationPattern(AlternationWords1000()), false, Subject::Mixed));
  c.push_back(Make("email", u"[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}", false, Subject::Mixed));
  c.push_back(Make("uri", u"https?://[A-Za-z0-9.-]+(?:/[A-Za-z0-9._~%/?=&-]*)?", false, Subject::Mixed));
  c.push_back(Make("ipv4",
               u"(?:(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])\\.){3}"
               u"(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])",
               false, Subject::Mixed));
  c.push_back(Make("ing_words", u"[a-zA-Z]+ing", false, Subject::Mixed));
  c.push_back(Make("backreference", u"\\b([A-Za-z]+) \\1\\b", false, Subject::Mixed, true, false));
  for (int n : {20, 100, 1000, 10000}) {
    std::string suffix = "_" + std::to_string(n);
    const auto run = [n](char16_t ch) { return std::u16string(static_cast<std::size_t>(n), ch); };
    c.push_back(Patho("patho_star_star" + suffix, u"(a*)*b", run(u'a'), n));
    c.back().stdRegex = false;  // std::wregex does not finish (a*)*b even at 20 characters
    c.push_back(Patho("patho_alt_dollar" + suffix, u"(a|aa)+$", run(u'a') + u"b", n));
    c.push_back(Patho("patho_nested_plus" + suffix, u"(x+x+)+y", run(u'x'), n));
  }
  return c;
}

const std::u16string& SubjectOf(const Case& c) {
  if (c.subject == Subject::Mixed) return Mixed();
  if (c.subject == Subject::Page) return Page();
  return c.repeatText;
}

const std::u16string& PcrePattern(const Case& c) { return c.pcrePattern.empty() ? c.pattern : c.pcrePattern; }

// The PCRE2 interpreter's count: the reference of every case.
long ReferenceCount(const Case& c) {
  static std::map<std::string, long> cache;
  auto it = cache.find(c.name);
  if (it != cache.end()) return it->second;
  long n = c.pathological ? 0 : Pcre2Driver(PcrePattern(c), c.ignoreCase, false).Count(SubjectOf(c));
  cache[c.name] = n;
  return n;
}

// Fails the benchmark when an engine that should agree counts differently;
// a peer's give-up (-1) on a pathological case is reported, not failed.
bool CheckCount(benchmark::State& state, const Case& c, long got, bool mustAgree, bool isOurs) {
  state.counters["matches"] = static_cast<double>(got);
  if (got < 0) {
    state.counters["gave_up"] = 1;
    if (isOurs || !c.pathological) {
      state.SkipWithError("engine gave up");
      return false;
    }
    return true;
  }
  long want = ReferenceCount(c);
  if (mustAgree && got != want) {
    std::string msg = "match count " + std::to_string(got) + " differs from the reference " + std::to_string(want);
    state.SkipWithError(msg.c_str());
    return false;
  }
  return true;
}

void RunVantora(benchmark::State& state, const Case& c) {
  const std::u16string& s = SubjectOf(c);
  VantoraDriver d(c.pattern, c.ignoreCase);
  long long before = gLiveBytes.load();
  gPeakBytes.store(before);
  long n = d.Count(s);
  long long peak = gPeakBytes.load() - before;
  if (!CheckCount(state, c, n, true, true)) return;
  if (s.size() >= (std::size_t{1} << 20)) {
    state.counters["peak_bytes"] = static_cast<double>(peak);
    state.counters["peak_per_unit"] = static_cast<double>(peak) / static_cast<double>(s.size());
  }
  for (auto _ : state) benchmark::DoNotOptimize(d.Count(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size() * 2));
}

void RunPcre2(benchmark::State& state, const Case& c, bool jit) {
  const std::u16string& s = SubjectOf(c);
  Pcre2Driver d(PcrePattern(c), c.ignoreCase, jit);
  if (!CheckCount(state, c, d.Count(s), true, false)) return;
  for (auto _ : state) benchmark::DoNotOptimize(d.Count(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size() * 2));
}

void RunOnig(benchmark::State& state, const Case& c) {
  const std::u16string& s = SubjectOf(c);
  OnigDriver d(c.pattern, c.ignoreCase);
  if (!CheckCount(state, c, d.Count(s), true, false)) return;
  for (auto _ : state) benchmark::DoNotOptimize(d.Count(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size() * 2));
}

void RunStd(benchmark::State& state, const Case& c) {
  const std::wstring s = ToUtf32(SubjectOf(c));
  StdRegexDriver d(c.pattern, c.ignoreCase);
  if (!CheckCount(state, c, d.Count(s), c.stdAgrees, false)) return;
  for (auto _ : state) benchmark::DoNotOptimize(d.Count(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.size() * 4));
}

// The UTF-8 peers; Driver is Re2Driver or HyperscanDriver (constructed by
// the caller, which skips the peer when it cannot take the pattern).
template <class Driver>
void RunUtf8(benchmark::State& state, const Case& c, bool mustAgree) {
  const std::string s = ToUtf8(SubjectOf(c));
  const Driver d(ToUtf8(PcrePattern(c)), c.ignoreCase);
  if (!CheckCount(state, c, d.Count(s), mustAgree, false)) return;
  for (auto _ : state) benchmark::DoNotOptimize(d.Count(s));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(SubjectOf(c).size() * 2));
}

// Whether the peer compiles the pattern.
template <class Driver>
bool Takes(const Case& c) {
  try {
    const Driver d(ToUtf8(PcrePattern(c)), c.ignoreCase);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("Subjects: mixed text %zu UTF-16 units, page text %zu units, %zu pieces.\n", Mixed().size(),
              Page().size(), SplitPieces(Page()).size());
  std::printf(
      "Encodings: Vantora UTF-16; PCRE2 16-bit (UTF|UCP, NO_UTF_CHECK); Oniguruma UTF-16LE (Perl_NG syntax);\n"
      "std::wregex ECMAScript on UTF-32 (wchar_t), only where it takes the pattern (no \\p{}), pathological\n"
      "cases only at 20 characters. std::regex's \\b is ASCII-only: its back-reference count is not checked.\n"
      "RE2 and Hyperscan on UTF-8 copies made before the timing; Hyperscan counts every match end.\n");
  for (const Case& c : Cases()) {
    const std::string base = "engines/" + c.name + "/";
    benchmark::RegisterBenchmark((base + "Vantora").c_str(), [c](benchmark::State& s) { RunVantora(s, c); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((base + "PCRE2-interp").c_str(), [c](benchmark::State& s) { RunPcre2(s, c, false); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((base + "PCRE2-JIT").c_str(), [c](benchmark::State& s) { RunPcre2(s, c, true); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((base + "Onig").c_str(), [c](benchmark::State& s) { RunOnig(s, c); })
        ->Unit(benchmark::kMicrosecond);
    if (c.stdRegex)
      benchmark::RegisterBenchmark((base + "StdRegex").c_str(), [c](benchmark::State& s) { RunStd(s, c); })
          ->Unit(benchmark::kMicrosecond);
    // RE2's \b, \w and \d are ASCII-only: its count is checked only where
    // the pattern uses none of them.
    const bool re2Agrees = c.pattern.find(u"\\b") == std::u16string::npos && c.pattern.find(u"\\w") == std::u16string::npos &&
                           c.pattern.find(u"\\d") == std::u16string::npos && c.stdAgrees;
    if (Takes<Re2Driver>(c))
      benchmark::RegisterBenchmark((base + "RE2").c_str(),
                                   [c, re2Agrees](benchmark::State& s) { RunUtf8<Re2Driver>(s, c, re2Agrees); })
          ->Unit(benchmark::kMicrosecond);
    if (Takes<HyperscanDriver>(c))
      benchmark::RegisterBenchmark((base + "Hyperscan").c_str(),
                                   [c](benchmark::State& s) { RunUtf8<HyperscanDriver>(s, c, false); })
          ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
