// UTF-8 <-> UTF-16 for the Win32 calls, which take wchar_t strings.
#pragma once

#include <string>
#include <string_view>

#include "common/Charset.h"

namespace vantora {

inline std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace vantora
