// What every platform's page download shares: the User-Agent table and its
// process-wide generator, the limits and settings of a download, and the
// reading of a Retry-After value.
#include "common/Download.h"

#include <array>
#include <atomic>
#include <mutex>

#include "common/DownloadInternal.h"

namespace vantora {
namespace {

const std::array<std::string, 5> kUserAgents = {
    "Mozilla/5.0 (Windows NT 5.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/58.0.3029.110 Safari/537.36 Edge/16.16299",
    "Mozilla/5.0 (Windows NT 6.2; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/52.0.2743.116 Safari/537.36 Edge/15.15063",
    "Mozilla/5.0 (Windows NT 6.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/52.0.2743.116 Safari/537.36 Edge/15.15063",
    "Mozilla/5.0 (Windows NT 6.3; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/51.0.2704.79 Safari/537.36 Edge/14.14393",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/64.0.3282.140 Safari/537.36 Edge/17.17134",
};

std::atomic<std::uint32_t> gRandomState{0};

std::mutex gSettingsMutex;  // guards the settings below
DownloadTimeouts gTimeouts;
std::size_t gPageSizeLimit = kDefaultPageSizeLimit;
std::string gCaFile;

}  // namespace

namespace download_detail {

const std::string& NextUserAgent() {
  return UserAgentText(NextRandom(static_cast<std::uint32_t>(kUserAgents.size())));
}

Settings CurrentSettings() {
  std::lock_guard lock(gSettingsMutex);
  return Settings{gTimeouts, gPageSizeLimit, gCaFile};
}

}  // namespace download_detail

double RetryAfterSeconds(const std::string& value, std::time_t now) {
  if (value.empty()) return -1;
  if (value.find_first_not_of("0123456789") == std::string::npos) {
    return value.size() > 9 ? 1e9 : static_cast<double>(std::stol(value));
  }
  // An HTTP date: "Wed, 21 Oct 2026 07:28:00 GMT" (the other two forms of
  // old servers are read as well).
  for (const char* format : {"%a, %d %b %Y %H:%M:%S GMT", "%A, %d-%b-%y %H:%M:%S GMT", "%a %b %d %H:%M:%S %Y"}) {
    std::time_t at = 0;
    if (!download_detail::ParseUtcTime(value, format, at)) continue;
    return at > now ? static_cast<double>(at - now) : 0.0;
  }
  return -1;
}

std::uint32_t NextRandom(std::uint32_t range) {
  // Lock-free update of the shared state: concurrent callers each get their
  // own step of the sequence, none is lost or repeated.
  std::uint32_t state = gRandomState.load(std::memory_order_relaxed);
  std::uint32_t next = 0;
  do {
    next = state * 134775813u + 1u;
  } while (!gRandomState.compare_exchange_weak(state, next, std::memory_order_relaxed));
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next) * range) >> 32);
}

const std::string& UserAgentText(std::uint32_t index) {
  return kUserAgents.at(index);
}

void SetDownloadTimeouts(const DownloadTimeouts& timeouts) {
  std::lock_guard lock(gSettingsMutex);
  gTimeouts = timeouts;
}

DownloadTimeouts GetDownloadTimeouts() {
  std::lock_guard lock(gSettingsMutex);
  return gTimeouts;
}

void SetPageSizeLimit(std::size_t bytes) {
  std::lock_guard lock(gSettingsMutex);
  gPageSizeLimit = bytes;
}

std::size_t PageSizeLimit() {
  std::lock_guard lock(gSettingsMutex);
  return gPageSizeLimit;
}

void SetDownloadCaFile(const std::string& path) {
  std::lock_guard lock(gSettingsMutex);
  gCaFile = path;
}

}  // namespace vantora
