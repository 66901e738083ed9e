// Text helpers on Shift-JIS bytes: the split, tag and width cases that catch
// real faults, and the double-byte boundary cases where a byte-wise search
// would match on the second byte of a character.
#include <gtest/gtest.h>

#include <string>

#include "common/Charset.h"
#include "common/TextUtil.h"

using namespace vantora;

namespace {

std::string S(const char* utf8) { return Utf8ToCp932(utf8); }

StringList Split(const std::string& text, const std::string& delimiter) {
  StringList list;
  SplitText(text, delimiter, list);
  return list;
}

}  // namespace

TEST(SplitText, SkipsEmptyPiecesKeepsBlanksAndAppends) {
  EXPECT_EQ(Split(",a,,b,", ","), (StringList{"a", "b"}));
  EXPECT_EQ(Split(" a , b", ","), (StringList{" a ", " b"}));
  EXPECT_EQ(Split("abc", ","), (StringList{"abc"}));
  EXPECT_TRUE(Split("", ",").empty());
  EXPECT_TRUE(Split(",,,", ",").empty());
  EXPECT_EQ(Split("x</tr></tr>y</tr>", "</tr>"), (StringList{"x", "y"}));
  EXPECT_EQ(Split("a,b", ""), (StringList{"a,b"}));
  EXPECT_EQ(Split("x</TR>y", "</tr>"), (StringList{"x</TR>y"}));  // case-sensitive

  StringList list{"kept"};
  SplitText("p,q", ",", list);
  EXPECT_EQ(list, (StringList{"kept", "p", "q"}));
}

TEST(SplitText, NeverCutsInsideADoubleByteCharacter) {
  // ソ is 0x83 0x5C: its second byte is the backslash. 表 is 0x95 0x5C.
  EXPECT_EQ(Split(S("ソ\\表"), "\\"), (StringList{S("ソ"), S("表")}));
  // ア is 0x83 0x41: a delimiter "A" never matches its second byte.
  EXPECT_EQ(Split(S("アBA"), "A"), (StringList{S("アB")}));
  // A full-width comma does not separate.
  EXPECT_EQ(Split(S("1301，7203"), ","), (StringList{S("1301，7203")}));
}

TEST(StripTags, RemovesEachRunFromLessThanToTheNextGreaterThan) {
  EXPECT_EQ(StripTags("<td class='a'>12<br>34</td>"), "1234");
  EXPECT_EQ(StripTags("a<b"), "a<b");
  EXPECT_EQ(StripTags("<>"), "");
  EXPECT_EQ(StripTags("x<a>y<b"), "xy<b");
  EXPECT_EQ(StripTags("<a<b>z"), "z");
  EXPECT_EQ(StripTags("a&amp;b>c"), "a&amp;b>c");
  EXPECT_EQ(StripTags(S("<p>本社</p>")), S("本社"));
}

TEST(NormalizeWidth, ReplacesTheSixteenCharactersOnly) {
  EXPECT_EQ(NormalizeWidth(S("１，２３４")), S("1，234"));
  EXPECT_EQ(NormalizeWidth(S("（株）　１０?２０")), S("(株) 10-20"));
  EXPECT_EQ(NormalizeWidth("plain ASCII text"), "plain ASCII text");
  EXPECT_EQ(NormalizeWidth(S("〒１００－０００５‐０９")), S("〒100-0005-09"));
  // Full-width letters, the full-width question mark, katakana: unchanged.
  EXPECT_EQ(NormalizeWidth(S("ＡＢ？ｱｲ丸")), S("ＡＢ？ｱｲ丸"));
}

TEST(NormalizeWidth, MatchesOnlyWholeCharacters) {
  // ａ is 0x82 0x81; followed by '@' (0x40) the bytes 0x81 0x40 appear, which
  // is the ideographic space only when read from the wrong byte.
  EXPECT_EQ(NormalizeWidth(S("ａ@")), S("ａ@"));
  // モ is 0x83 0x82; followed by "P" (0x50) the bytes 0x82 0x50 appear,
  // which is the full-width digit one only when read from the wrong byte.
  EXPECT_EQ(NormalizeWidth(S("モP")), S("モP"));
  // A first byte at the very end stays as it is.
  EXPECT_EQ(NormalizeWidth(std::string("a\x82", 2)), std::string("a\x82", 2));
}

TEST(Trim, RemovesBytesUpTo0x20Only) {
  EXPECT_EQ(Trim(std::string("\t\r\n \x01" "a b\x20\x00", 9)), "a b");
  EXPECT_EQ(Trim(S("　7203　")), S("　7203　"));  // ideographic spaces stay
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(FindText, StartsOnlyOnCharacterBoundaries) {
  const std::string text = S("アA");  // 0x83 0x41 0x41
  EXPECT_EQ(FindText(text, "A"), 2u);
  EXPECT_EQ(FindTextIgnoreCase(text, "a"), 2u);
  EXPECT_EQ(FindTextIgnoreCase(S("ア"), "a"), std::string::npos);
  EXPECT_EQ(FindText("abc", ""), std::string::npos);
  EXPECT_EQ(FindText(S("ソ表示"), "\\"), std::string::npos);
  EXPECT_EQ(FindText("a.b.c", ".", 2), 3u);
}

TEST(FindText, ResynchronisesThroughRunsOfFirstByteRangeBytes) {
  // 亜 is 0x88 0x9F: both bytes lie in the first-byte range. 0x8A 0x41 is a
  // character whose second byte is 'A'.
  const std::string a = S("亜亜");
  EXPECT_EQ(FindText(a + "\x8A" "A", "A"), std::string::npos);
  EXPECT_EQ(FindText(a + "A", "A"), 4u);
  EXPECT_EQ(FindText(a + "\x8A" "AA", "A"), 6u);
  EXPECT_EQ(FindText("x" + a + "\x8A" "A", "A", 1), std::string::npos);
}

TEST(FindText, AgreesWithAForwardWalkOnRandomText) {
  // Random mixes of ASCII, half-width katakana and double-byte characters
  // (some with an ASCII second byte); every byte value is searched for.
  std::uint32_t state = 12345;
  auto next = [&state](std::uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % range;
  };
  const unsigned char seconds[] = {0x40, 0x41, 0x5C, 0x61, 0x7E, 0x80, 0x88, 0x9F, 0xE0, 0xFC};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int k = 0; k < 40; ++k) {
      switch (next(4)) {
        case 0: text += static_cast<char>(0x20 + next(0x5F)); break;
        case 1: text += static_cast<char>(0xA1 + next(0x3F)); break;
        default:
          text += static_cast<char>(next(2) ? 0x81 + next(0x1F) : 0xE0 + next(0x1D));
          text += static_cast<char>(seconds[next(sizeof seconds)]);
      }
    }
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += (IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1)
      starts.push_back(i);
    for (int b = 0x20; b < 0x100; ++b) {
      const std::string needle(1, static_cast<char>(b));
      std::size_t expected = std::string::npos;
      for (std::size_t i : starts)
        if (text[i] == needle[0]) {
          expected = i;
          break;
        }
      ASSERT_EQ(FindText(text, needle), expected) << "round " << round << " byte " << b;
    }
  }
}

TEST(ReplaceText, IgnoresCaseOfAsciiLettersAndSkipsSecondBytes) {
  EXPECT_EQ(ReplaceTextIgnoreCase(S("A(株)b(株)"), S("(株)"), S("株式会社")),
            S("A株式会社b株式会社"));
  EXPECT_EQ(RemoveTextIgnoreCase("<!-- -->12<!-- -->", "<!-- -->"), "12");
  EXPECT_EQ(RemoveTextIgnoreCase("HTTP://Host/quote/1301", "http://host/QUOTE/"), "1301");
  EXPECT_EQ(ReplaceTextIgnoreCase("aaa", "aa", "b"), "ba");  // left to right, no overlap
  EXPECT_EQ(ReplaceTextIgnoreCase("abc", "", "x"), "abc");
  // The second byte of ア (0x41 'A') is not an 'a'; ａ (0x82 0x81) does not
  // equal Ａ (0x82 0x60): only single-byte letters fold.
  EXPECT_EQ(RemoveTextIgnoreCase(S("アaA"), "a"), S("ア"));
  EXPECT_EQ(RemoveTextIgnoreCase(S("ａＡ"), S("Ａ")), S("ａ"));
  // A needle whose own second byte is a letter still matches itself exactly.
  EXPECT_EQ(RemoveTextIgnoreCase(S("xアyア"), S("ア")), "xy");
  // ア (0x83 0x41) and ヂ (0x83 0x61) differ only by the case of an ASCII
  // letter in their second bytes: they are different characters.
  EXPECT_EQ(RemoveTextIgnoreCase(S("xヂy"), S("ア")), S("xヂy"));
  EXPECT_FALSE(SameTextIgnoreCase(S("ア"), S("ヂ")));
}

TEST(SameText, ComparesLettersWithoutCaseAndWidthExactly) {
  EXPECT_TRUE(SameTextIgnoreCase("Abc", "aBC"));
  EXPECT_FALSE(SameTextIgnoreCase("Abc", "Abcd"));
  EXPECT_FALSE(SameTextIgnoreCase(S("従業員数(単独)"), S("従業員数（単独）")));
  EXPECT_TRUE(SameTextIgnoreCase(S("平均年収"), S("平均年収")));
}

TEST(SafeCutLength, NeverSplitsADoubleByteCharacter) {
  const std::string normal = S("〒100-0005 東京都");  // mark (2 bytes) + 8 ASCII
  EXPECT_EQ(SafeCutLength(normal, 10), 10u);
  const std::string shifted = S("〒1000005東京都");  // byte 10 is the first byte of 東
  EXPECT_EQ(SafeCutLength(shifted, 10), 9u);
  EXPECT_EQ(SafeCutLength(S("東京都千代田区"), 10), 10u);  // five whole characters
  EXPECT_EQ(SafeCutLength(S("a東京都千代田"), 10), 9u);
  EXPECT_EQ(SafeCutLength("short", 10), 5u);
}
