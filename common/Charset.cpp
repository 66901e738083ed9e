// CP932 <-> UTF-16 <-> UTF-8. The CP932 mapping is taken once from the
// platform's conversion (Cp932Codec) into two tables (decode: byte or byte
// pair -> UTF-16 code unit; encode: BMP code point -> byte or byte pair),
// built on first use; after that every conversion is a table walk, with no
// platform call and no locale, and the same rules on every platform.
#include "common/Charset.h"

#include "common/Cp932Codec.h"

#include <array>
#include <cstring>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vantora {
namespace {

constexpr char16_t kNone = 0xFFFF;      // decode table: no character
constexpr std::uint16_t kUnmappable = 0xFFFF;  // encode table: no CP932 form
constexpr char kQuestion = '?';

// Characters of the JIS form of Shift_JIS text that code page 932 holds under
// another code point: they encode to that code page's character (one way;
// decoding gives the code page's). Not every platform's table has them.
struct OneWayCode {
  char16_t unit;
  std::uint16_t code;
};
constexpr OneWayCode kOneWayCodes[] = {
    {0x00A2, 0x8191},  // CENT SIGN -> FULLWIDTH CENT SIGN
    {0x00A3, 0x8192},  // POUND SIGN -> FULLWIDTH POUND SIGN
    {0x00A5, 0x005C},  // YEN SIGN -> 0x5C
    {0x00AC, 0x81CA},  // NOT SIGN -> FULLWIDTH NOT SIGN
    {0x2014, 0x815C},  // EM DASH -> HORIZONTAL BAR
    {0x2016, 0x8161},  // DOUBLE VERTICAL LINE -> PARALLEL TO
    {0x203E, 0x007E},  // OVERLINE -> 0x7E
    {0x2212, 0x817C},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    {0x301C, 0x8160},  // WAVE DASH -> FULLWIDTH TILDE
};

bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

struct Cp932Tables {
  std::array<char16_t, 256> single{};                 // single bytes
  std::vector<char16_t> pair = std::vector<char16_t>(0x10000, kNone);  // (lead << 8) | trail
  std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(0x10000, kUnmappable);

  Cp932Tables() {
    single.fill(kNone);
    const Cp932Codec codec;
    if (!codec.Available()) {
      // Without the platform's table only ASCII converts; everything else reads '?'.
      for (unsigned c = 0; c < 0x80; ++c) {
        single[c] = static_cast<char16_t>(c);
        encode[c] = static_cast<std::uint16_t>(c);
      }
      return;
    }
    single[0] = 0;
    for (unsigned b = 1; b < 256; ++b) {
      if (IsSjisLeadByte(static_cast<unsigned char>(b))) continue;
      const unsigned char byte = static_cast<unsigned char>(b);
      single[b] = codec.Decode(&byte, 1).value_or(kNone);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
        const unsigned char bytes[2] = {static_cast<unsigned char>(lead),
                                        static_cast<unsigned char>(trail)};
        pair[(lead << 8) | trail] = codec.Decode(bytes, 2).value_or(kNone);
      }
    }
    encode[0] = 0;
    for (unsigned cp = 1; cp < 0x10000; ++cp) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      const std::optional<std::uint16_t> code = codec.Encode(static_cast<char16_t>(cp));
      if (!code) continue;
      if (*code < 0x100 || IsSjisLeadByte(static_cast<unsigned char>(*code >> 8))) encode[cp] = *code;
    }
    for (const OneWayCode& oneWay : kOneWayCodes) {
      if (encode[oneWay.unit] == kUnmappable) encode[oneWay.unit] = oneWay.code;
    }
  }
};

const Cp932Tables& Tables() {
  static const Cp932Tables tables;  // thread-safe initialisation
  return tables;
}

// Decodes one code point from UTF-8 at `i`, advancing `i`. Returns -1 for an
// invalid sequence; `i` then stands after its maximal invalid subpart (at
// least one byte), so the next byte is decoded anew.
std::int32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int need;
  std::int32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    ++i;
    return -1;
  }
  ++i;
  for (int k = 0; k < need; ++k) {
    if (i >= s.size()) return -1;
    const unsigned char b = byte(i);
    const unsigned char l = k == 0 ? lo : 0x80, h = k == 0 ? hi : 0xBF;
    if (b < l || b > h) return -1;  // this byte starts afresh
    cp = (cp << 6) | (b & 0x3F);
    ++i;
  }
  return cp;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendCp932(std::string& out, std::uint32_t cp, const Cp932Tables& t) {
  const std::uint16_t code = cp < 0x10000 ? t.encode[cp] : kUnmappable;
  if (code == kUnmappable) {
    out += kQuestion;
  } else if (code > 0xFF) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  } else {
    out += static_cast<char>(code);
  }
}

// Decodes one CP932 character at `i`, advancing `i` past it. A lead byte
// whose next byte cannot be a second byte stands alone ('?'); that next byte
// is then decoded on its own.
char16_t DecodeCp932(std::string_view s, std::size_t& i, const Cp932Tables& t) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  if (!IsSjisLeadByte(b)) {
    ++i;
    const char16_t c = t.single[b];
    return c == kNone ? char16_t{u'?'} : c;
  }
  if (i + 1 >= s.size() || !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
    ++i;
    return u'?';
  }
  const char16_t c = t.pair[(b << 8) | static_cast<unsigned char>(s[i + 1])];
  i += 2;
  return c == kNone ? char16_t{u'?'} : c;
}

// The length of the run of ASCII bytes (< 0x80) at the start of `s`, read
// eight bytes at a time.
std::size_t AsciiRun(const char* s, std::size_t n) {
  std::size_t i = 0;
  while (i + 8 <= n) {
    std::uint64_t word;
    std::memcpy(&word, s + i, 8);
    if (word & 0x8080808080808080ULL) break;
    i += 8;
  }
  while (i < n && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view cp932) {
  const Cp932Tables& t = Tables();
  std::u16string out(cp932.size(), u'\0');  // never more units than bytes
  std::size_t n = 0;
  for (std::size_t i = 0; i < cp932.size();) {
    // ASCII runs widen as they are (CP932 keeps 0x00..0x7F).
    const std::size_t run = AsciiRun(cp932.data() + i, cp932.size() - i);
    for (std::size_t k = 0; k < run; ++k) out[n++] = static_cast<unsigned char>(cp932[i + k]);
    i += run;
    if (i < cp932.size()) out[n++] = DecodeCp932(cp932, i, t);
  }
  out.resize(n);
  return out;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  const Cp932Tables& t = Tables();
  std::string out;
  out.reserve(utf16.size() * 2);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      // A surrogate pair is one character outside the BMP: one '?'.
      if (i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) ++i;
      out += kQuestion;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      out += kQuestion;
    } else {
      AppendCp932(out, c, t);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::int32_t cp = DecodeUtf8(utf8, i);
    if (cp < 0) {
      out += u'?';
    } else if (cp >= 0x10000) {
      const std::uint32_t v = static_cast<std::uint32_t>(cp) - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) +
                          (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out += kQuestion;
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  const Cp932Tables& t = Tables();
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    // ASCII runs are copied as they are (CP932 keeps 0x00..0x7F).
    const std::size_t j = i + AsciiRun(utf8.data() + i, utf8.size() - i);
    if (j > i) {
      out.append(utf8.data() + i, j - i);
      i = j;
      if (i >= utf8.size()) break;
    }
    const std::int32_t cp = DecodeUtf8(utf8, i);
    if (cp < 0)
      out += kQuestion;
    else
      AppendCp932(out, static_cast<std::uint32_t>(cp), t);
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  const Cp932Tables& t = Tables();
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  for (std::size_t i = 0; i < cp932.size();) AppendUtf8(out, DecodeCp932(cp932, i, t));
  return out;
}

}  // namespace vantora
