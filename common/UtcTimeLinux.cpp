// Dates of HTTP headers on Linux: strptime and timegm of the C library.
#include "common/DownloadInternal.h"

#include <ctime>

namespace vantora::download_detail {

bool ParseUtcTime(const std::string& value, const char* format, std::time_t& at) {
  std::tm tm{};
  const char* end = ::strptime(value.c_str(), format, &tm);
  if (end == nullptr || *end != '\0') return false;
  at = ::timegm(&tm);
  return true;
}

}  // namespace vantora::download_detail
