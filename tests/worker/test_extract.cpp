// The profile extraction on small pages served by the local quote site:
// the cases the fixture site does not show on its own, each page built here
// so that the markup under test is in view.
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

class Extract : public ::testing::Test {
 protected:
  Extract()
      : server_(folder_.File("")),
        base_("VANTORA_BASE_URL", server_.BaseUrl()),
        noPause_("VANTORA_PAUSE_SCALE", "0") {}

  // Serves `html` (UTF-8) as the profile page of `code`, runs the
  // extraction on the code's quote page address and returns the 22 slots in
  // UTF-8.
  std::vector<std::string> Read(const std::string& code, const std::string& html, int status = 200) {
    server_.SetPage("/quote/" + code + "/profile", html, status);
    return ReadAddress(QuotePagePrefix() + code);
  }
  std::vector<std::string> ReadAddress(const std::string& quoteAddress) {
    ClearFieldSlots();
    ReadCompanyProfile(quoteAddress);
    std::vector<std::string> slots;
    for (int i = 0; i < kRecordSlotCount; ++i) slots.push_back(Utf8(Job().fieldSlots[static_cast<std::size_t>(i)]));
    return slots;
  }

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
  ScopedEnv noPause_;
};

std::string Row(const std::string& label, const std::string& value) {
  return "<tr><th><div>" + label + "</div></th><td>" + value + "</td></tr>\n";
}

const std::string kTableStart = "<table><tbody>\n";

}  // namespace

TEST_F(Extract, AnErrorPageIsReadLikeAnyOtherPage) {
  const auto s = Read("1111",
                      "<html><body><div><h2 class=\"_BasePriceBoard__name_x\">(株)四〇四</h2></div>"
                      "<p>not found</p></body></html>\n",
                      404);
  EXPECT_EQ(s[1], "株式会社四〇四");
  EXPECT_EQ(s[0], "1111");
  EXPECT_EQ(s[21], server_.BaseUrl() + "/quote/1111/profile");
}

TEST_F(Extract, CompanyFormsAreWrittenOutWhereverTheyStand) {
  const auto name = [&](const std::string& raw) {
    return Read("2222", "<div><h2 class=\"_BasePriceBoard__name_a\"> " + raw + " </h2></div>")[1];
  };
  EXPECT_EQ(name("(株)(有)(同)(合)"), "株式会社有限会社合同会社合同会社");
  EXPECT_EQ(name("株式会社ABC"), "株式会社ABC");
  EXPECT_EQ(name("ＡＢＣ（株）"), "ＡＢＣ（株）");  // full-width parentheses: not a form
}

TEST_F(Extract, RowEndMarkerIsCaseSensitive) {
  // "</TR>" does not cut the page: the row and the next one form one piece,
  // whose value runs on into the next row.
  const auto s = Read("3333", "<tr><th>業種分類</th><td>化学</td></TR><tr><th>決算</th><td>3月末日</td>\n");
  EXPECT_EQ(s[6], "化学決算3月末日");
  EXPECT_EQ(s[12], "");
}

TEST_F(Extract, RowsNeedTheirOwnPieceToBeginWithTr) {
  // Upper-case "<TR" does not begin a row; a row without "</th>" is ignored.
  const auto s = Read("4444", "<TR><th>決算</th><td>3月末日</td></tr>\n<tr><td>業種分類</td><td>化学</td></tr>\n" +
                                  Row("単元株数", "100株"));
  EXPECT_EQ(s[12], "");
  EXPECT_EQ(s[6], "");
  EXPECT_EQ(s[13], "100株");
}

TEST_F(Extract, ALaterPieceOverwritesAndTheLastLabelStopsTheScan) {
  const auto s = Read("5555", kTableStart + Row("決算", "3月末日") + Row("決算", "12月末日") +
                                  Row("平均年収", "6,000千円") + Row("単元株数", "100株"));
  EXPECT_EQ(s[12], "12月末日");
  EXPECT_EQ(s[17], "6,000千円");
  EXPECT_EQ(s[13], "");  // after 平均年収
}

TEST_F(Extract, AddressValuesSplitAfterTenBytesWithoutCuttingACharacter) {
  const auto address = [&](const std::string& value) {
    const auto s = Read("6666", kTableStart + Row("業種分類", "化学") + Row("本社所在地", value));
    return std::make_pair(s[4], s[5]);
  };
  // Postal mark and eight ASCII characters fill exactly ten bytes.
  EXPECT_EQ(address("〒100-0005 東京都 Vantora!路線情報で確認"), std::make_pair(std::string("〒100-0005"), std::string("東京都")));
  // Byte 10 would be the first byte of 東: the cut comes before it.
  EXPECT_EQ(address("〒1000005東京都"), std::make_pair(std::string("〒1000005"), std::string("東京都")));
  // Shorter than ten bytes: all of it is the postal part.
  EXPECT_EQ(address("〒1000"), std::make_pair(std::string("〒1000"), std::string("")));
  // The first ten bytes are kept as they are (not trimmed) in a table row.
  EXPECT_EQ(address("東京都 千代田区"), std::make_pair(std::string("東京都 千"), std::string("代田区")));
  // Full-width digits, hyphen and space, and "?" from an unmappable character.
  EXPECT_EQ(address("〒１００－０００５　東京都𠮷?区"), std::make_pair(std::string("〒100-0005"), std::string("東京都--区")));
}

TEST_F(Extract, LabelsCompareWholeAndByCaseOnly) {
  EXPECT_EQ(ProfileLabelSlot(Sjis("本社所在地")), 5);
  EXPECT_EQ(ProfileLabelSlot(Sjis("決算")), 12);
  EXPECT_EQ(ProfileLabelSlot(Sjis("従業員数（単独）")), 14);
  EXPECT_EQ(ProfileLabelSlot(Sjis("従業員数（連結）")), 15);
  EXPECT_EQ(ProfileLabelSlot(Sjis("平均年収")), 17);
  EXPECT_EQ(ProfileLabelSlot(Sjis("従業員数(単独)")), -1);  // half-width parentheses
  EXPECT_EQ(ProfileLabelSlot(Sjis("決算期")), -1);
  EXPECT_EQ(ProfileLabelSlot(Sjis("決")), -1);
  EXPECT_EQ(ProfileLabelSlot(""), -1);
}

TEST_F(Extract, TheStockCodeComesFromTheAddress) {
  const std::string prefix = QuotePagePrefix();
  EXPECT_EQ(ReadAddress(prefix + "1301.T")[0], "1301");
  EXPECT_EQ(ReadAddress(prefix + "130A.t")[0], "130A");
  EXPECT_EQ(ReadAddress(prefix + "7203")[0], "7203");
  // The prefix is removed without regard to case.
  std::string upper = prefix;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ReadAddress(upper + "6758.T")[0], "6758");
  // A blank code: the profile address is the prefix + "/profile".
  const auto blank = ReadAddress(prefix);
  EXPECT_EQ(blank[0], "");
  EXPECT_EQ(blank[21], prefix + "/profile");
}

TEST_F(Extract, TextsKeepWhatTheStepsDoNotTrim) {
  const auto s = Read("7777",
                      "<section><h2>特色</h2><p>【特色】　全角空白で始まる</p></section>"
                      "<section><h2>連結事業</h2><p>【連結事業】 <b>A</b>&amp;B</p></section>\n"
                      "<p>最終更新日：<time> 10:05 </time></p><dl><dt>前日比</dt><dd> +1 </dd></dl>");
  EXPECT_EQ(s[2], "　全角空白で始まる");
  EXPECT_EQ(s[3], " A&amp;B");
  EXPECT_EQ(s[20], " 10:05");  // trimmed before the label is removed, not after
  EXPECT_EQ(s[19], "+1");
}

TEST_F(Extract, AnEmptyOrMissingPageSetsOnlyCodeAndAddress) {
  server_.SetPage("/quote/8888/profile", "");
  Job().fieldSlots[5] = "left by the caller";
  ReadCompanyProfile(QuotePagePrefix() + "8888");
  EXPECT_EQ(Job().fieldSlots[0], "8888");
  EXPECT_EQ(Job().fieldSlots[5], "left by the caller");  // never cleared here
  EXPECT_EQ(Job().fieldSlots[21], QuotePagePrefix() + "8888/profile");
  ClearFieldSlots();
}

// The searches skip a piece only when their literal head cannot be in it; a
// head written in other letter case, or right after double-byte characters
// whose second byte is an ASCII byte (ソ and 表 end in 0x5C), is still found.
TEST_F(Extract, SearchesStillMatchHeadsInOtherCaseOrAfterDoubleByteText) {
  const auto s = Read("3333",
                      "<DIV><H2 CLASS=\"_baseprICEboard__NAME_q\">(株)大文字</H2></DIV>"
                      "ソ表<SPAN CLASS=\"_styledNUMBER__VALUE_z\">1,234</SPAN></SPAN></SPAN>"
                      "最終更新日：<TIME>15:00</TIME>\n"
                      "<h2>特色</H2><p>表示の速さ</P></SECTION>\n");
  EXPECT_EQ(s[1], "株式会社大文字");
  EXPECT_EQ(s[18], "1,234");
  EXPECT_EQ(s[20], "15:00");
  EXPECT_EQ(s[2], "表示の速さ");
}
