// The conversions between names and paths: through char8_t, which
// std::filesystem reads as UTF-8 and which keeps every byte on Linux.
#include "common/FileName.h"

#include <system_error>

namespace vantora {

std::filesystem::path NativePath(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string NameOf(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

bool NameExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(NativePath(name), error));
}

}  // namespace vantora
