// The window's text helpers: the trim of typed text and the message filling.
#include "app/TextConversions.h"

namespace vantora {

std::string TrimControls(std::string_view text) {
  // UTF-8 bytes of characters above U+007F are all 0x80 or more, so a byte
  // test finds exactly the characters up to U+0020.
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) --last;
  return std::string(text.substr(first, last - first));
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (index < arguments.size()) {
        out += *(arguments.begin() + index);
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace vantora
