// The program's places on Linux: /proc/self/exe, access(2), and the XDG
// base directories ($XDG_CONFIG_HOME, $XDG_CACHE_HOME, else under $HOME).
#include "common/ProgramPlaces.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace vantora {

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

bool FolderWritable(const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; }

// $<variable>, or ~/<fallback> when the variable is unset or not absolute
// (as the XDG rules say).
std::filesystem::path UserFolderRoot(UserFolderKind kind) {
  const char* variable = kind == UserFolderKind::kSettings ? "XDG_CONFIG_HOME" : "XDG_CACHE_HOME";
  const char* fallback = kind == UserFolderKind::kSettings ? ".config" : ".cache";
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && *home != '\0' ? home : "/tmp") / fallback;
}

}  // namespace vantora
