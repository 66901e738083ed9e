// Dates of HTTP headers on Windows, which has no strptime: the standard
// library's time reading in the classic locale, and _mkgmtime.
#include "common/DownloadInternal.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace vantora::download_detail {

bool ParseUtcTime(const std::string& value, const char* format, std::time_t& at) {
  std::istringstream in(value);
  in.imbue(std::locale::classic());
  std::tm tm{};
  in >> std::get_time(&tm, format);
  if (in.fail() || in.peek() != std::char_traits<char>::eof()) return false;
  at = ::_mkgmtime(&tm);
  return at != static_cast<std::time_t>(-1);
}

}  // namespace vantora::download_detail
