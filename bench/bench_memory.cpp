// Peak resident memory that one search adds above the caller's subject, for
// the engine and the PCRE2 interpreter side by side, on subjects of 1 M to
// 25 M code units:
//   ing/<units>   [a-zA-Z]+ing[0-9] over English text with many "-ing"
//                 words and no digit: fails after trying every start;
//   alt/<units>   (?:a|b)*c over abab...c: one general-loop iteration per
//                 unit, then a match of the whole subject.
// The engine is measured twice: with a shared subject (Exec of a
// shared_ptr: nothing is copied) and with Exec of a string (the object
// keeps its own copy, 2 bytes per unit).
//
// Each measurement runs in a child process of its own (fork): the subject is
// built in the parent, the child resets its peak-RSS mark
// (/proc/self/clear_refs), runs the search and reports VmHWM - VmRSS, so one
// case's heap never counts in the next. Counters: added_mb, added_per_unit
// (bytes per code unit), matches (-1 when the engine gave up: PCRE2's heap
// or match limit), gave_up. The wall time shown is of the child's run.
// Run by scripts/bench.sh (or build-bench/bench/bench_memory directly).
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/BenchEngines.h"

using namespace vantora;
using namespace vantora::bench;

namespace {

long StatusKb(const char* field) {
  std::ifstream f("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(f, line))
    if (line.compare(0, n, field) == 0) return std::atol(line.c_str() + n);
  return -1;
}

struct TMeasure {
  long AddedKb = -1;
  long Matches = -1;
};

// Runs 'search' in a child process and returns the memory it added.
TMeasure InChild(const std::function<long()>& search) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    TMeasure m;
    const long before = StatusKb("VmRSS:");
    m.Matches = search();
    m.AddedKb = StatusKb("VmHWM:") - before;
    const ssize_t written = write(fds[1], &m, sizeof m);
    _exit(written == static_cast<ssize_t>(sizeof m) ? 0 : 1);
  }
  close(fds[1]);
  TMeasure m;
  if (pid < 0 || read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = TMeasure{};
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return m;
}

std::u16string Subject(const std::string& kind, std::size_t units) {
  const char16_t* unit = kind == "ing" ? u"Reading the listing of trading companies, " : u"ab";
  std::u16string s;
  s.reserve(units);
  while (s.size() < units)
    for (const char16_t* p = unit; *p && s.size() < units; ++p) s += *p;
  if (kind == "alt") s.back() = u'c';
  return s;
}

const char16_t* Pattern(const std::string& kind) {
  return kind == "ing" ? u"[a-zA-Z]+ing[0-9]" : u"(?:a|b)*c";
}

long VantoraCount(TRegExp& re, bool found) {
  long n = 0;
  for (bool ok = found; ok; ok = re.ExecNext()) ++n;
  return n;
}

void Run(benchmark::State& state, const std::string& kind, const std::string& engine) {
  const auto units = static_cast<std::size_t>(state.range(0));
  auto subject = std::make_shared<const std::u16string>(Subject(kind, units));
  const std::u16string pattern = Pattern(kind);
  std::function<long()> search;
  std::unique_ptr<TRegExp> re;
  std::unique_ptr<Pcre2Driver> pcre;
  if (engine == "PCRE2-interp") {
    pcre = std::make_unique<Pcre2Driver>(pattern, false, false);
    search = [&] { return pcre->Count(*subject); };
  } else {
    re = std::make_unique<TRegExp>();
    re->SetExpression(pattern);
    re->Compile();
    if (engine == "Vantora")
      search = [&] {
        try {
          return VantoraCount(*re, re->Exec(subject));
        } catch (const ERegExp&) {
          return -1L;
        }
      };
    else
      search = [&] {
        try {
          return VantoraCount(*re, re->Exec(*subject));
        } catch (const ERegExp&) {
          return -1L;
        }
      };
  }
  TMeasure m;
  for (auto _ : state) m = InChild(search);
  if (m.AddedKb < 0) {
    state.SkipWithError("the measuring child failed");
    return;
  }
  state.counters["added_mb"] = static_cast<double>(m.AddedKb) / 1024.0;
  state.counters["added_per_unit"] = static_cast<double>(m.AddedKb) * 1024.0 / static_cast<double>(units);
  state.counters["matches"] = static_cast<double>(m.Matches);
  state.counters["gave_up"] = m.Matches < 0 ? 1 : 0;
}

void Register() {
  for (const char* kind : {"ing", "alt"})
    for (const char* engine : {"Vantora", "Vantora-copy", "PCRE2-interp"}) {
      auto* b = benchmark::RegisterBenchmark(
          (std::string("memory/") + kind + "/" + engine).c_str(),
          [kind = std::string(kind), engine = std::string(engine)](benchmark::State& st) { Run(st, kind, engine); });
      b->Iterations(1)->Unit(benchmark::kMillisecond);
      b->Arg(1 << 20)->Arg(5 << 20);
      if (std::string(kind) == "ing") b->Arg(25 << 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
