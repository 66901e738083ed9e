// The window's text helpers: filling a message's numbered places in one pass
// (a file name holding "%2" stays as it is) and the trim of typed text, which
// keeps an ideographic space and every multibyte character.
#include <gtest/gtest.h>

#include "app/TextConversions.h"

namespace vantora {
namespace {

TEST(TextConversions, MessagesAreFilledInOnePassAndTypedTextTrimmedByCharacter) {
  EXPECT_EQ(FormatText("%1 件を %2 に保存", {"3", "C:/a%2b.csv"}), "3 件を C:/a%2b.csv に保存");
  EXPECT_EQ(FormatText("全体 : %1%", {"40"}), "全体 : 40%");
  EXPECT_EQ(FormatText("%2 and %3 %", {"x", "y"}), "y and %3 %");
  EXPECT_EQ(TrimControls("\x01 \t1301,\xE3\x80\x80" "7203\xE3\x80\x80\r\n"), "1301,\xE3\x80\x80" "7203\xE3\x80\x80");
  EXPECT_EQ(TrimControls(" \x1f "), "");
}

}  // namespace
}  // namespace vantora
