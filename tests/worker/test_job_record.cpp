// The record line, the header line and the sector table.
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "worker/Job.h"

using namespace vantora;
using namespace vantora::testing;

TEST(Record, EveryLineHasTwentyTwoQuotedValuesFromSlotsZeroToTwentyOne) {
  ClearFieldSlots();
  std::string empty = "\"\"";
  for (int i = 1; i < 22; ++i) empty += ",\"\"";
  EXPECT_EQ(FormatRecord(), empty);
  for (int i = 0; i < kFieldSlotCount; ++i) Job().fieldSlots[static_cast<std::size_t>(i)] = std::to_string(i);
  const auto values = CsvValues(FormatRecord());
  ASSERT_EQ(values.size(), 22u);  // slots 22..39 are not written
  EXPECT_EQ(values.front(), "0");
  EXPECT_EQ(values.back(), "21");
  ClearFieldSlots();
}

TEST(Record, ADoubleQuoteInsideAValueIsDoubledAndACommaStaysInside) {
  ClearFieldSlots();
  Job().fieldSlots[0] = "1301";
  Job().fieldSlots[1] = Sjis("\"極洋\" 本社");
  Job().fieldSlots[18] = "3,245";
  const std::string line = FormatRecord();
  const std::string start = "\"1301\",\"\"\"" + Sjis("極洋") + "\"\"" + Sjis(" 本社") + "\",\"\",";
  EXPECT_EQ(line.substr(0, start.size()), start);
  EXPECT_NE(line.find(",\"3,245\","), std::string::npos);
  const auto values = CsvValues(line);
  ASSERT_EQ(values.size(), 22u);
  EXPECT_EQ(values[1], Sjis("\"極洋\" 本社"));
  EXPECT_EQ(values[18], "3,245");
  ClearFieldSlots();
}

TEST(Record, HeaderLineIsTheFixedShiftJisLine) {
  const std::string expected = ReadFileBytes(FixturePath("expected/header.csv"));
  EXPECT_EQ(HeaderLine() + "\r\n", expected);
}

TEST(Record, SectorCodesFollowTheListPositions) {
  EXPECT_EQ(SectorCode(0), "0050");
  EXPECT_EQ(SectorCode(8), "3300");
  EXPECT_EQ(SectorCode(16), "3700");
  EXPECT_EQ(SectorCode(19), "4050");
  EXPECT_EQ(SectorCode(24), "5250");
  EXPECT_EQ(SectorCode(32), "9050");
  EXPECT_EQ(SectorCode(-1), "");
  EXPECT_EQ(SectorCode(33), "");
  EXPECT_STREQ(SectorNameUtf8(0), "水産・農林業");
  EXPECT_STREQ(SectorNameUtf8(23), "倉庫・運輸関連業");
  EXPECT_STREQ(SectorNameUtf8(32), "サービス業");
}

TEST(Record, StatusCaptionNamesTheItemAndTheCounts) {
  Job().currentItemText = Sjis("銘柄コード : [7203]");
  Job().itemCountDone = 2;
  Job().itemTotal = 5;
  EXPECT_EQ(Utf8(StatusCaption()), "銘柄コード : [7203] 取得中 - 2/5件");
}
