// File path conversions between UTF-8 and the platform's forms.
#include "app/NativePath.h"

#include <algorithm>

#include "common/Charset.h"

namespace vantora {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

std::string NativePathBytes(std::string_view utf8) {
#ifdef _WIN32
  return Utf8ToCp932(utf8);
#else
  return std::string(utf8);
#endif
}

std::string NativePathToUtf8(std::string_view native) {
#ifdef _WIN32
  return Cp932ToUtf8(native);
#else
  return std::string(native);
#endif
}

std::string DisplayPath(std::string_view utf8) {
  std::string shown(utf8);
#ifdef _WIN32
  std::replace(shown.begin(), shown.end(), '/', '\\');
#endif
  return shown;
}

}  // namespace vantora
