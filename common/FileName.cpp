// What FileName.h does the same way on every platform.
#include "common/FileName.h"

#include <system_error>

namespace vantora {

bool NameExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(NativePath(name), error));
}

}  // namespace vantora
