// Pathological patterns, whose naive backtracking is exponential or
// quadratic: (a*)*b and (x+x+)+y on runs of one letter, (a|aa)+$ on a run of
// a followed by b, at 20 to 10,000 characters. The engine's failure memo and
// fast-loop run sharing keep them near linear. Peers on the same UTF-16
// subjects: PCRE2 16-bit (interpreter), Oniguruma (UTF-16LE). None of the
// subjects matches; the "matches" counter must be 0, and a peer that gives
// up (match limit) is reported with gave_up = 1 instead of failing.
//   scripts/bench.sh pathological
#include <benchmark/benchmark.h>

#include "BenchEngines.h"

namespace vantora::bench {
namespace {

struct TCase {
  const char16_t* Pattern;
  std::u16string (*Subject)(int n);
};

std::u16string Run(char16_t c, int n) { return std::u16string(static_cast<std::size_t>(n), c); }

const TCase kCases[] = {
    {u"(a*)*b", [](int n) { return Run(u'a', n); }},
    {u"(a|aa)+$", [](int n) { return Run(u'a', n - 1) + u"b"; }},
    {u"(x+x+)+y", [](int n) { return Run(u'x', n); }},
};

template <class TDriver>
void Measure(benchmark::State& state, TDriver& driver, const std::u16string& subject) {
  long matches = 0;
  for (auto _ : state) {
    matches = driver.Count(subject);
    benchmark::DoNotOptimize(matches);
  }
  state.counters["chars"] = static_cast<double>(subject.size());
  state.counters["gave_up"] = matches < 0 ? 1 : 0;
  state.counters["matches"] = matches < 0 ? 0 : static_cast<double>(matches);
}

void Vantora(benchmark::State& state) {
  const TCase& c = kCases[state.range(0)];
  const std::u16string subject = c.Subject(static_cast<int>(state.range(1)));
  VantoraDriver driver(c.Pattern, false);
  Measure(state, driver, subject);
  if (driver.Count(subject) != 0) state.SkipWithError("wrong answer: a match where there is none");
  state.SetLabel(ToUtf8(c.Pattern));
}

// The same without the start-position optimisations (no pre-filter on the
// required literal): what the backtracking matcher and its memo cost alone.
void VantoraMatcherOnly(benchmark::State& state) {
  const TCase& c = kCases[state.range(0)];
  const std::u16string subject = c.Subject(static_cast<int>(state.range(1)));
  VantoraDriver driver(c.Pattern, false);
  driver.Re().SetOptimizeKind(opNone);
  Measure(state, driver, subject);
  if (driver.Count(subject) != 0) state.SkipWithError("wrong answer: a match where there is none");
  state.SetLabel(ToUtf8(c.Pattern));
}

void Pcre2Interpreter(benchmark::State& state) {
  const TCase& c = kCases[state.range(0)];
  const std::u16string subject = c.Subject(static_cast<int>(state.range(1)));
  Pcre2Driver driver(c.Pattern, false, false);
  Measure(state, driver, subject);
  state.SetLabel(ToUtf8(c.Pattern));
}

void Oniguruma(benchmark::State& state) {
  const TCase& c = kCases[state.range(0)];
  const std::u16string subject = c.Subject(static_cast<int>(state.range(1)));
  OnigDriver driver(c.Pattern, false);
  Measure(state, driver, subject);
  state.SetLabel(ToUtf8(c.Pattern));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int c = 0; c < 3; ++c)
    for (int n : {20, 100, 1000, 10000}) b->Args({c, n});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(Vantora)->Apply(Sizes);
BENCHMARK(VantoraMatcherOnly)->Apply(Sizes);
BENCHMARK(Pcre2Interpreter)->Apply(Sizes)->Iterations(1);
BENCHMARK(Oniguruma)->Apply(Sizes)->Iterations(1);

}  // namespace
}  // namespace vantora::bench

BENCHMARK_MAIN();
