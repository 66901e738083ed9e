// What the platforms' downloads share besides Download.h: the User-Agent of
// the next call, the settings in effect, the redirect limit and the parsing
// of an HTTP date (the only part of Retry-After the platform does).
#pragma once

#include <ctime>
#include <string>

#include "common/Download.h"

namespace vantora::download_detail {

// At most this many redirects are followed.
inline constexpr int kMaxRedirects = 10;

// The User-Agent of the next download (one step of NextRandom).
const std::string& NextUserAgent();

// The settings of one download, read together.
struct Settings {
  DownloadTimeouts timeouts;
  std::size_t pageSizeLimit = kDefaultPageSizeLimit;
  std::string caFile;
};
Settings CurrentSettings();

// Reads `value` as a date and time in UTC in the strptime form `format`,
// the whole value; false when it is not one.
bool ParseUtcTime(const std::string& value, const char* format, std::time_t& at);

}  // namespace vantora::download_detail
