// One character of Windows code page 932 at a time, as the platform converts
// it: the tables of Charset.cpp are read from here once, so that every later
// conversion is the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace vantora {

class Cp932Codec {
 public:
  Cp932Codec();
  ~Cp932Codec();
  Cp932Codec(const Cp932Codec&) = delete;
  Cp932Codec& operator=(const Cp932Codec&) = delete;

  // False when the platform has no CP932 conversion; every call below then
  // answers "none".
  bool Available() const;
  // The UTF-16 code unit of the one character in `bytes` (one byte, or a
  // lead and a trail byte); none when those bytes are no character.
  std::optional<char16_t> Decode(const unsigned char* bytes, std::size_t count) const;
  // The CP932 form of the BMP code point `unit`: one byte (< 0x100) or a
  // byte pair (lead << 8 | trail); none when CP932 has no such character
  // (no look-alike is put in its place).
  std::optional<std::uint16_t> Encode(char16_t unit) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vantora
