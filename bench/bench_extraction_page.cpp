// The profile extraction's regular-expression work on one page: the page
// text (BenchData.h, about 200 K UTF-16 units, one long line) is cut at
// "</tr>" into trimmed pieces, and every piece is searched with each of the
// five extraction patterns, with a new engine object per search (create,
// set the pattern, switch the case-insensitive option on, search once, read
// the whole match, free), so compile cost counts in full (the worker itself
// keeps one compiled object per pattern for a whole job). Peers do the same with their own compile per search: the PCRE2
// 16-bit interpreter (UTF|UCP) and Oniguruma (UTF-16LE).
//   extraction/page/<engine>      the whole page
//   compile/<pattern>/<engine>    compiling one extraction pattern
// Each page benchmark checks the number of successful searches and the total
// length of the matches against PCRE2's before timing.
// Run by scripts/bench.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchData.h"
#include "bench/BenchEngines.h"

using namespace vantora;
using namespace vantora::bench;

namespace {

struct Tally {
  long found = 0;
  long length = 0;
  bool operator==(const Tally&) const = default;
};

const std::vector<std::u16string>& Pieces() {
  static const std::vector<std::u16string> p = SplitPieces(ProfilePage());
  return p;
}

Tally VantoraPage() {
  Tally t;
  for (const auto& piece : Pieces())
    for (const auto& pattern : ExtractionPatterns()) {
      TRegExp re;
      re.SetExpression(pattern);
      re.SetOptions(0, true);
      if (re.Exec(piece)) {
        std::u16string m = re.Groups()[0].Strings();
        ++t.found;
        t.length += static_cast<long>(m.size());
      }
    }
  return t;
}

Tally Pcre2Page() {
  Tally t;
  for (const auto& piece : Pieces())
    for (const auto& pattern : ExtractionPatterns()) {
      int err = 0;
      PCRE2_SIZE off = 0;
      pcre2_code_16* code = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.data()), pattern.size(),
                                             PCRE2_UTF | PCRE2_UCP | PCRE2_CASELESS, &err, &off, nullptr);
      pcre2_match_data_16* md = pcre2_match_data_create_from_pattern_16(code, nullptr);
      int rc = pcre2_match_16(code, reinterpret_cast<PCRE2_SPTR16>(piece.data()), piece.size(), 0,
                              PCRE2_NO_UTF_CHECK, md, nullptr);
      if (rc > 0) {
        PCRE2_SIZE* ov = pcre2_get_ovector_pointer_16(md);
        std::u16string m = piece.substr(ov[0], ov[1] - ov[0]);
        ++t.found;
        t.length += static_cast<long>(m.size());
      }
      pcre2_match_data_free_16(md);
      pcre2_code_free_16(code);
    }
  return t;
}

Tally OnigPage() {
  OnigInitOnce();
  Tally t;
  for (const auto& piece : Pieces())
    for (const auto& pattern : ExtractionPatterns()) {
      OnigRegex re = nullptr;
      OnigErrorInfo info;
      auto p = reinterpret_cast<const OnigUChar*>(pattern.data());
      onig_new(&re, p, p + pattern.size() * 2, ONIG_OPTION_IGNORECASE, ONIG_ENCODING_UTF16_LE,
               ONIG_SYNTAX_PERL_NG, &info);
      OnigRegion* region = onig_region_new();
      auto s = reinterpret_cast<const OnigUChar*>(piece.data());
      const OnigUChar* end = s + piece.size() * 2;
      if (onig_search(re, s, end, s, end, region, ONIG_OPTION_NONE) >= 0) {
        std::u16string m = piece.substr(static_cast<std::size_t>(region->beg[0]) / 2,
                                        static_cast<std::size_t>(region->end[0] - region->beg[0]) / 2);
        ++t.found;
        t.length += static_cast<long>(m.size());
      }
      onig_region_free(region, 1);
      onig_free(re);
    }
  return t;
}

template <Tally (*Run)()>
void PageBench(benchmark::State& state) {
  static const Tally reference = Pcre2Page();
  Tally got = Run();
  state.counters["searches_found"] = static_cast<double>(got.found);
  state.counters["match_units"] = static_cast<double>(got.length);
  if (!(got == reference)) {
    std::string msg = "found " + std::to_string(got.found) + " / " + std::to_string(got.length) +
                      " units, reference " + std::to_string(reference.found) + " / " +
                      std::to_string(reference.length);
    state.SkipWithError(msg.c_str());
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(Run());
  state.counters["pieces"] = static_cast<double>(Pieces().size());
}

void CompileVantora(benchmark::State& state, std::u16string pattern) {
  for (auto _ : state) {
    TRegExp re;
    re.SetExpression(pattern);
    re.SetOptions(0, true);
    re.Compile();
    benchmark::DoNotOptimize(re.Compiled());
  }
}

void CompilePcre2(benchmark::State& state, std::u16string pattern) {
  for (auto _ : state) {
    int err = 0;
    PCRE2_SIZE off = 0;
    pcre2_code_16* code = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.data()), pattern.size(),
                                           PCRE2_UTF | PCRE2_UCP | PCRE2_CASELESS, &err, &off, nullptr);
    benchmark::DoNotOptimize(code);
    pcre2_code_free_16(code);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("Page text: %zu UTF-16 units, %zu pieces, 5 searches per piece (case-insensitive).\n",
              ProfilePage().size(), Pieces().size());
  benchmark::RegisterBenchmark("extraction/page/Vantora", PageBench<VantoraPage>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("extraction/page/PCRE2-interp", PageBench<Pcre2Page>)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("extraction/page/Onig", PageBench<OnigPage>)->Unit(benchmark::kMicrosecond);
  const char* names[] = {"update_time", "feature", "business", "name", "price"};
  for (std::size_t i = 0; i < ExtractionPatterns().size(); ++i) {
    std::u16string p = ExtractionPatterns()[i];
    std::string base = std::string("compile/") + names[i] + "/";
    benchmark::RegisterBenchmark((base + "Vantora").c_str(), [p](benchmark::State& s) { CompileVantora(s, p); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((base + "PCRE2-interp").c_str(), [p](benchmark::State& s) { CompilePcre2(s, p); })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
