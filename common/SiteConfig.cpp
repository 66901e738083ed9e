// Where pages come from and how long the job waits between them: the base
// address of the quote site, the scaled pauses and the program's own folder.
#include "common/SiteConfig.h"

#include "common/Thread.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace vantora {

// A host under the reserved ".example" name: a build that was never pointed
// at a chosen site sends nothing to anybody.
const char* const kDefaultQuoteSiteBase = "https://quote.vantora.example";

std::string QuoteSiteBase() {
  const char* env = std::getenv("VANTORA_BASE_URL");
  if (env == nullptr || *env == '\0') return kDefaultQuoteSiteBase;
  std::string base(env);
  while (!base.empty() && base.back() == '/') base.pop_back();
  if (base.empty()) return kDefaultQuoteSiteBase;
  return base;
}

double PauseScale() {
  const char* env = std::getenv("VANTORA_PAUSE_SCALE");
  if (env == nullptr || *env == '\0') return 1.0;
  char* end = nullptr;
  const double value = std::strtod(env, &end);
  // The whole text must be the number ("0.5", not "0.5x").
  while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
  if (end == env || end == nullptr || *end != '\0') return 1.0;
  if (!std::isfinite(value) || value < 0.0) return 1.0;
  return value;
}

void Pause(int milliseconds) {
  if (milliseconds <= 0) return;
  const double scaled = static_cast<double>(milliseconds) * PauseScale();
  if (!(scaled > 0.0)) return;
  // Bound the sleep so that a huge factor cannot overflow the duration type.
  constexpr double kLongest = 24.0 * 3600.0 * 1000.0;
  const double ms = scaled < kLongest ? scaled : kLongest;
  // A TThread asked to terminate ends its pause at once: the sleep goes in
  // short slices that look at the request.
  const TThread* thread = TThread::CurrentThread();
  const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(static_cast<long long>(ms * 1000.0));
  constexpr auto kSlice = std::chrono::milliseconds(20);
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    if (thread != nullptr && thread->Terminated()) return;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, kSlice));
  }
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return "./";
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string_view path(buffer.data(), static_cast<std::size_t>(n));
      const auto slash = path.rfind('/');
      if (slash == std::string_view::npos) return "./";
      return std::string(path.substr(0, slash + 1));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ScratchFilePath() { return ProgramFolder() + "tmp.dat"; }

}  // namespace vantora
