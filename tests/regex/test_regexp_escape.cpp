// DecodeEscape, EncodeEscape and EscapeRegExChars: every escape form, the
// error cases with their exception class and message, and round trips.
#include <gtest/gtest.h>

#include "regex/RegExpConst.h"
#include "support_regex.h"

namespace vantora::test {
namespace {

TEST(DecodeEscape, EveryFormGivesItsCharacter) {
  EXPECT_EQ(TRegExp::DecodeEscape(u"plain text"), u"plain text");
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\a\\e\\f\\n\\r\\t"), std::u16string(u"\x07\x1B\x0C\x0A\x0D\x09"));
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\101\\0\\07x"), std::u16string(u"A\0\x07x", 4));
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\1018"), u"A8");  // at most three octal digits
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\x41\\x4a\\x{3042}"), u"AJあ");
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\x{1F600}"), u"\U0001F600");
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\cA\\cz\\c@\\c[\\c_"), std::u16string(u"\x01\x1A\x00\x1B\x1F", 5));
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\c\\\\"), std::u16string(u"\x1C"));
  EXPECT_EQ(TRegExp::DecodeEscape(u"a\\c1b"), u"ab");  // any other X yields nothing
  EXPECT_EQ(TRegExp::DecodeEscape(u"\\$\\\\\\q"), u"$\\q");
  EXPECT_EQ(DecodeEscape(u"\\t"), u"\t");
}

TEST(DecodeEscape, MalformedEscapesRaiseTheirMessages) {
  try {
    TRegExp::DecodeEscape(u"ab\\xZ1");
    FAIL() << "no exception";
  } catch (const ERegExpCompile& e) {
    EXPECT_EQ(e.Message(), REFormat(sHexDigitIsRequired, u"ab\\xZ <-- "));
  }
  try {
    TRegExp::DecodeEscape(u"\\x{12G}");
    FAIL() << "no exception";
  } catch (const ERegExp& e) {
    EXPECT_EQ(e.Message(), REFormat(sHexDigitIsRequired, u"\\x{12G <-- "));
  }
  try {
    TRegExp::DecodeEscape(u"\\x{1234567}");
    FAIL() << "no exception";
  } catch (const ERegExp& e) {
    EXPECT_EQ(e.Message(), REFormat(sUnmatchedCurlyBracket, u"\\x{1234567 <-- "));
  }
  try {
    TRegExp::DecodeEscape(u"\\c\\x");
    FAIL() << "no exception";
  } catch (const ERegExp& e) {
    EXPECT_EQ(e.Message(), REFormat(sInvalidEscapeCharacterSyntax, u"\\c\\ <-- "));
  }
  EXPECT_THROW(TRegExp::DecodeEscape(u"\\x4"), ERegExp);       // text ends inside \xHH
  EXPECT_THROW(TRegExp::DecodeEscape(u"\\x{41"), ERegExp);     // text ends inside braces
  EXPECT_THROW(TRegExp::DecodeEscape(u"\\x{110000}"), ERegExp);
  EXPECT_EQ(TRegExp::DecodeEscape(u"end\\"), u"end\\");        // a lone backslash at the end stays
}

TEST(EncodeEscape, ControlsAndUnassignedBecomeEscapes) {
  EXPECT_EQ(TRegExp::EncodeEscape(u"a\tb"), u"a\\tb");
  EXPECT_EQ(TRegExp::EncodeEscape(std::u16string(u"\x07\x0A\x0C\x0D\x1B")), u"\\a\\n\\f\\r\\e");
  EXPECT_EQ(TRegExp::EncodeEscape(std::u16string(u"\x01\x7F", 2)), u"\\x{1}\\x{7F}");
  EXPECT_EQ(TRegExp::EncodeEscape(std::u16string(1, u'\0')), u"\\x{0}");
  // White space is copied, also VT, NEL and the separators.
  EXPECT_EQ(TRegExp::EncodeEscape(u"\x0B\x85\u2028\u3000 "), u"\x0B\x85\u2028\u3000 ");
  // Unassigned code points and lone surrogates.
  EXPECT_EQ(TRegExp::EncodeEscape(u"\u0378"), u"\\x{378}");
  EXPECT_EQ(TRegExp::EncodeEscape(std::u16string(1, char16_t(0xD800))), u"\\x{D800}");
  EXPECT_EQ(TRegExp::EncodeEscape(u"日本\U0001F600\\"), u"日本\U0001F600\\");
  EXPECT_EQ(EncodeEscape(u"\n"), u"\\n");
  // What EncodeEscape writes, DecodeEscape reads back.
  const std::u16string text = std::u16string(u"x\x01\ty\x1B\x7Fz\u0378", 8);
  EXPECT_EQ(TRegExp::DecodeEscape(TRegExp::EncodeEscape(text)), text);
}

TEST(EscapeRegExChars, EscapedTextMatchesItselfLiterally) {
  EXPECT_EQ(TRegExp::EscapeRegExChars(u"a.b"), u"a\\.b");
  EXPECT_EQ(TRegExp::EscapeRegExChars(u"$()*+.?[\\]^{|}"), u"\\$\\(\\)\\*\\+\\.\\?\\[\\\\\\]\\^\\{\\|\\}");
  EXPECT_EQ(TRegExp::EscapeRegExChars(std::u16string(u"a\0b", 3)), u"a\\0b");
  EXPECT_EQ(TRegExp::EscapeRegExChars(u"-#/ 日本"), u"-#/ 日本");
  const std::u16string text = u"(1+2)*3? [x] {a|b} ^$ \\ 日本.";
  TRegExp re;
  re.SetExpression(TRegExp::EscapeRegExChars(text));
  ASSERT_TRUE(re.Exec(u"pre " + text + u" post"));
  EXPECT_EQ(re.Groups()[0].Strings(), text);
  EXPECT_EQ(re.Groups()[0].Index(), 5);
}

}  // namespace
}  // namespace vantora::test
