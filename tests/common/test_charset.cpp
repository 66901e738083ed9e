// CP932 <-> UTF-16 <-> UTF-8: the characters where code page 932 differs
// from plain Shift_JIS, unmappable and invalid input, and that a bad
// character never takes a neighbour with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/Charset.h"

using namespace vantora;

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

}  // namespace

// Each pair: CP932 bytes and the UTF-16 text Windows code page 932 gives.
TEST(Charset, Cp932CharactersRoundTripAsCodePage932) {
  struct Case {
    std::string cp932;
    std::u16string utf16;
  } cases[] = {
      {Bytes({0x5C}), u"\\"},              // 0x5C is the backslash, not the yen sign
      {Bytes({0x7E}), u"~"},               // 0x7E is the tilde, not the overline
      {Bytes({0xB1, 0xDF}), u"\uFF71\uFF9F"},  // half-width katakana
      {Bytes({0x87, 0x40}), u"\u2460"},    // ① (NEC special row 13)
      {Bytes({0x87, 0x54}), u"\u2160"},    // Ⅰ (NEC row 13 is the form written back)
      {Bytes({0xFB, 0xFC}), u"\u9AD9"},    // 髙 (IBM extension)
      {Bytes({0xFA, 0xB1}), u"\uFA11"},    // 﨑 (IBM extension)
      {Bytes({0x81, 0x60}), u"\uFF5E"},    // ～ full-width tilde (Windows, not U+301C)
      {Bytes({0x81, 0x7C}), u"\uFF0D"},    // － full-width hyphen-minus (not U+2212)
      {Bytes({0x81, 0x61}), u"\u2225"},    // ∥
      {Bytes({0x81, 0xCA}), u"\uFFE2"},    // ￢
      {Bytes({0x81, 0x40}), u"\u3000"},    // ideographic space
      {Bytes({0x82, 0xA0, 0x41}), u"\u3042A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932ToUtf16(c.cp932), c.utf16) << "decode of " << c.cp932;
    EXPECT_EQ(Utf16ToCp932(c.utf16), c.cp932) << "encode of " << c.cp932;
    EXPECT_EQ(Utf8ToCp932(Utf16ToUtf8(c.utf16)), c.cp932);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), Utf16ToUtf8(c.utf16));
  }
}

TEST(Charset, DuplicateCodesEncodeToTheFormWindowsWrites) {
  // Ⅰ also sits in the IBM rows (0xFA4A); 纊 in the NEC-selected rows (0xED40)
  // and the IBM rows (0xFA5C). Both decode; encoding picks one form.
  EXPECT_EQ(Cp932ToUtf16(Bytes({0xFA, 0x4A})), u"\u2160");
  EXPECT_EQ(Utf16ToCp932(u"\u2160"), Bytes({0x87, 0x54}));
  EXPECT_EQ(Cp932ToUtf16(Bytes({0xED, 0x40})), u"\u7E8A");
  EXPECT_EQ(Utf16ToCp932(u"\u7E8A"), Bytes({0xFA, 0x5C}));
}

TEST(Charset, UnmappableCharacterBecomesOneQuestionMark) {
  EXPECT_EQ(Utf8ToCp932("a\xED\x95\x9C" "b"), "a?b");  // Hangul 한
  EXPECT_EQ(Utf16ToCp932(u"x\uAC00y"), "x?y");
  // Outside the BMP: one character, one '?', in both routes.
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");
  EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(Utf16ToCp932(u"\U00020B9F\U00020B9F"), "??");  // 𠮟 twice
}

TEST(Charset, LoneSurrogatesBecomeQuestionMarksAndKeepNeighbours) {
  const char16_t high[] = {u'a', 0xD83D, u'b', 0};
  const char16_t low[] = {u'a', 0xDE00, 0x3042, 0};
  EXPECT_EQ(Utf16ToCp932(high), "a?b");
  EXPECT_EQ(Utf16ToCp932(low), "a?" + Bytes({0x82, 0xA0}));
  EXPECT_EQ(Utf16ToUtf8(high), "a?b");
}

TEST(Charset, InvalidUtf8BecomesQuestionMarkWithoutDroppingANeighbour) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a?b");
  EXPECT_EQ(Utf8ToUtf16("\xE3\x81" "A"), u"?A");            // cut sequence, then ASCII
  EXPECT_EQ(Utf8ToUtf16("\xE3\x81\xE3\x81\x82"), u"?\u3042");  // cut sequence, then a valid one
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"??");                // overlong form
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80" "z"), u"???z");      // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"????");      // beyond U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("end\xE3"), u"end?");
  EXPECT_EQ(Utf8ToCp932("<\x80>"), "<?>");
  EXPECT_EQ(Utf8ToCp932("\xE6\x97\xA5\xE6\x9C"), Bytes({0x93, 0xFA, '?'}));  // 日 + a cut 本
}

TEST(Charset, InvalidCp932BecomesQuestionMarkWithoutDroppingANeighbour) {
  EXPECT_EQ(Cp932ToUtf16(Bytes({'a', 0x82})), u"a?");             // first byte at the end
  EXPECT_EQ(Cp932ToUtf16(Bytes({0x82, '<', 'b'})), u"?<b");        // no second byte
  EXPECT_EQ(Cp932ToUtf16(Bytes({0x80, 0xA0, 0xFD, 'c'})), u"???c");  // no character
  EXPECT_EQ(Cp932ToUtf16(Bytes({0x85, 0x40, 'd'})), u"?d");        // unassigned pair
}

TEST(Charset, Utf8AndUtf16KeepEveryCharacter) {
  const std::string utf8 = "A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // A é 日 😀
  const std::u16string utf16 = u"A\u00E9\u65E5\U0001F600";
  EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
  EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToCp932(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Charset, AllAssignedDoubleByteCodesRoundTripExceptDuplicates) {
  // Every pair that decodes encodes back to itself, or (for the duplicated
  // NEC-selected/IBM codes) to a pair that decodes to the same character.
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string bytes = Bytes({lead, trail});
      const std::u16string u = Cp932ToUtf16(bytes);
      if (u == u"?") continue;
      ASSERT_EQ(u.size(), 1u);
      const std::string back = Utf16ToCp932(u);
      if (back != bytes) {
        EXPECT_EQ(Cp932ToUtf16(back), u) << std::hex << lead << trail;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 7000);
}

// The whole mapping, taken from each platform's own conversion, must be the
// same table everywhere: a fingerprint (FNV-1a) of the decoding of every
// single byte and byte pair and of the encoding of every BMP character.
TEST(Charset, EveryPlatformHasTheSameMapping) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto add = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      hash ^= (value >> (8 * i)) & 0xFF;
      hash *= 1099511628211ull;
    }
  };
  for (int b = 0; b < 0x100; ++b) {
    if (IsSjisLeadByte(static_cast<unsigned char>(b))) continue;
    for (char16_t unit : Cp932ToUtf16(Bytes({b}))) add(unit);
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      for (char16_t unit : Cp932ToUtf16(Bytes({lead, trail}))) add(unit);
      add(0x10000);  // the end of one pair's text
    }
  }
  for (std::uint32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    for (char byte : Utf16ToCp932(std::u16string(1, static_cast<char16_t>(cp)))) add(static_cast<unsigned char>(byte));
    add(0x10000);
  }
  EXPECT_EQ(hash, 0xf0344e28d886dbe3ull) << std::hex << hash;
}

TEST(Charset, ConcurrentFirstUseIsSafe) {
  std::vector<std::thread> threads;
  std::vector<std::string> results(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&results, i] { results[static_cast<std::size_t>(i)] = Utf8ToCp932("\xE9\xAB\x99"); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, Bytes({0xFB, 0xFC}));
}
