// UTF-16 helpers of the engine: surrogate tests, combining a pair, and
// appending a code point. Every file of regex/ reads and writes surrogate
// pairs through these.
#pragma once

#include <cstdint>
#include <string>

namespace vantora {

constexpr bool REIsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool REIsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
constexpr bool REIsSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// The code point of a high and a low surrogate.
constexpr std::uint32_t RECombineSurrogates(std::uint32_t high, std::uint32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Whether p (in [begin, end)) starts a surrogate pair, and whether it sits
// between the two halves of one.
inline bool REStartsPair(const char16_t* p, const char16_t* end) {
  return p + 1 < end && REIsHighSurrogate(p[0]) && REIsLowSurrogate(p[1]);
}
inline bool REInsidePair(const char16_t* p, const char16_t* begin, const char16_t* end) {
  return p > begin && p < end && REIsHighSurrogate(p[-1]) && REIsLowSurrogate(p[0]);
}

// Appends c as one unit or a surrogate pair.
inline void REAppendUtf16(std::u16string& s, std::uint32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    s += static_cast<char16_t>(0xD800 + (c >> 10));
    s += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    s += static_cast<char16_t>(c);
  }
}

}  // namespace vantora
