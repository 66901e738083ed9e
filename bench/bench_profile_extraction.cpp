// The worker's work per company page, without the download and the fixed
// pause: joining the page's lines (UTF-8 to Shift-JIS), cutting it at
// "</tr>", and the searches and label rows of every piece up to 平均年収,
// exactly as the retrieval job runs it (ExtractProfilePage). Pages are the
// fixture site's profile pages, read once from disk.
//   profile/<code>   one page (9434 is the largest: about 470 KB)
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/TextUtil.h"
#include "worker/Job.h"

namespace {

vantora::StringList PageLines(const std::string& code) {
  std::ifstream in(std::string(VANTORA_FIXTURES_DIR) + "/site/profile/" + code + ".html",
                   std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  vantora::StringList lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] != '\r' && data[i] != '\n') continue;
    lines.emplace_back(data, start, i - start);
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < data.size()) lines.emplace_back(data, start);
  return lines;
}

void Profile(benchmark::State& state, const std::string& code) {
  const vantora::StringList lines = PageLines(code);
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size();
  if (bytes == 0) {
    state.SkipWithError("fixture page missing");
    return;
  }
  for (auto _ : state) {
    vantora::ClearFieldSlots();
    vantora::ExtractProfilePage(lines);
    benchmark::DoNotOptimize(vantora::Job().fieldSlots[17]);
  }
  if (vantora::Job().fieldSlots[17].empty()) state.SkipWithError("平均年収 not found");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

}  // namespace

BENCHMARK_CAPTURE(Profile, 9434, std::string("9434"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Profile, 1301, std::string("1301"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Profile, 7203, std::string("7203"))->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
