// CP932 characters through the C library's iconv ("CP932"): half-width
// katakana, NEC special characters, IBM extension kanji and 0x5C as Windows
// code page 932 has them.
#include "common/Cp932Codec.h"

#include <iconv.h>

namespace vantora {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

struct Cp932Codec::State {
  iconv_t decoder = iconv_open("UTF-16LE", "CP932");
  iconv_t encoder = iconv_open("CP932", "UTF-16LE");
  ~State() {
    if (decoder != kNoConverter) iconv_close(decoder);
    if (encoder != kNoConverter) iconv_close(encoder);
  }
};

Cp932Codec::Cp932Codec() : state_(std::make_unique<State>()) {}
Cp932Codec::~Cp932Codec() = default;

bool Cp932Codec::Available() const { return state_->decoder != kNoConverter && state_->encoder != kNoConverter; }

std::optional<char16_t> Cp932Codec::Decode(const unsigned char* bytes, std::size_t count) const {
  if (!Available()) return std::nullopt;
  iconv(state_->decoder, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(bytes[0]), count > 1 ? static_cast<char>(bytes[1]) : '\0'};
  char out[8];
  char* ip = in;
  char* op = out;
  std::size_t il = count, ol = sizeof out;
  if (iconv(state_->decoder, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0 || op - out != 2)
    return std::nullopt;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
}

std::optional<std::uint16_t> Cp932Codec::Encode(char16_t unit) const {
  if (!Available()) return std::nullopt;
  iconv(state_->encoder, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  char out[8];
  char* ip = in;
  char* op = out;
  std::size_t il = 2, ol = sizeof out;
  if (iconv(state_->encoder, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0) return std::nullopt;
  const auto n = op - out;
  if (n == 1) return static_cast<unsigned char>(out[0]);
  if (n == 2)
    return static_cast<std::uint16_t>((static_cast<unsigned char>(out[0]) << 8) | static_cast<unsigned char>(out[1]));
  return std::nullopt;
}

}  // namespace vantora
