// Conversions between Shift-JIS (Windows code page 932), UTF-16 and UTF-8,
// with the CP932 mapping of the platform: MultiByteToWideChar /
// WideCharToMultiByte on Windows, the C library's iconv "CP932" on Linux
// (half-width katakana, NEC special characters, IBM extension kanji and 0x5C
// as Windows code page 932 has them).
//
// Nothing here throws or drops a neighbour:
// - a character CP932 cannot hold becomes '?'; a character outside the Basic
//   Multilingual Plane (a UTF-16 surrogate pair, or one 4-byte UTF-8
//   sequence) is one character and becomes one '?' in CP932 (UTF-8 <-> UTF-16
//   keep it);
// - an invalid UTF-8 sequence becomes '?' (one per maximal invalid subpart,
//   as the Unicode standard recommends), the bytes after it are decoded anew;
// - a lone UTF-16 surrogate becomes '?';
// - a CP932 byte or byte pair that has no character becomes '?'.
// All functions are thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vantora {

std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Direct forms of the two above chained.
std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);

// Whether `byte` is a first byte of a Shift-JIS double-byte character
// (0x81..0x9F or 0xE0..0xFC).
constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace vantora
