// CP932 characters through MultiByteToWideChar / WideCharToMultiByte with
// code page 932. Invalid bytes are refused rather than replaced, and no
// best-fit look-alike is accepted for a character the code page lacks.
// The five single bytes that code page 932 leaves unassigned (0x80, 0xA0,
// 0xFD..0xFF), which Windows maps to U+0080 and private-use characters, are
// no characters here, as in every other CP932 table.
#include "common/Cp932Codec.h"

#include <windows.h>

namespace vantora {

constexpr UINT kCodePage = 932;

bool UnassignedSingleByte(unsigned char byte) { return byte == 0x80 || byte == 0xA0 || byte >= 0xFD; }

struct Cp932Codec::State {
  bool available = ::IsValidCodePage(kCodePage) != 0;
};

Cp932Codec::Cp932Codec() : state_(std::make_unique<State>()) {}
Cp932Codec::~Cp932Codec() = default;

bool Cp932Codec::Available() const { return state_->available; }

std::optional<char16_t> Cp932Codec::Decode(const unsigned char* bytes, std::size_t count) const {
  if (!Available()) return std::nullopt;
  if (count == 1 && UnassignedSingleByte(bytes[0])) return std::nullopt;
  wchar_t out[4];
  const int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                                      static_cast<int>(count), out, 4);
  if (n != 1) return std::nullopt;
  return static_cast<char16_t>(out[0]);
}

std::optional<std::uint16_t> Cp932Codec::Encode(char16_t unit) const {
  if (!Available()) return std::nullopt;
  const wchar_t in = static_cast<wchar_t>(unit);
  char out[8];
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &in, 1, out, sizeof out, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  // A look-alike would not read back as the same character.
  wchar_t back[4];
  if (::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, out, n, back, 4) != 1 || back[0] != in)
    return std::nullopt;
  if (n == 1) {
    if (UnassignedSingleByte(static_cast<unsigned char>(out[0]))) return std::nullopt;
    return static_cast<unsigned char>(out[0]);
  }
  if (n == 2)
    return static_cast<std::uint16_t>((static_cast<unsigned char>(out[0]) << 8) | static_cast<unsigned char>(out[1]));
  return std::nullopt;
}

}  // namespace vantora
