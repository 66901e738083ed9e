// Whole jobs on the real worker thread, downloader and local quote site
// (tests/fixtures/site), pauses scaled to 0: the CSV file is compared byte
// for byte with expected files written by hand (tests/fixtures/expected,
// Shift-JIS with CR LF; {{BASE}} stands for the server's base address).
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

class SiteJob : public ::testing::Test {
 protected:
  SiteJob()
      : server_(FixturePath("site")),
        base_("VANTORA_BASE_URL", server_.BaseUrl()),
        noPause_("VANTORA_PAUSE_SCALE", "0") {}

  std::string Expected(const std::string& name) const {
    std::string bytes = ReadFileBytes(FixturePath("expected/" + name));
    const std::string placeholder = "{{BASE}}";
    for (std::size_t at = bytes.find(placeholder); at != std::string::npos;
         at = bytes.find(placeholder, at))
      bytes.replace(at, placeholder.size(), server_.BaseUrl());
    return bytes;
  }
  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& r : server_.Requests()) targets.push_back(r.target);
    return targets;
  }

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
  ScopedEnv noPause_;
};

// Line by line first, so that a failure names the company.
void ExpectSameCsv(const std::string& actual, const std::string& expected) {
  const auto a = CsvLines(actual), e = CsvLines(expected);
  for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i)
    EXPECT_EQ(Utf8(a[i]), Utf8(e[i])) << "line " << i + 1;
  EXPECT_EQ(a.size(), e.size());
  EXPECT_TRUE(actual == expected) << "the files differ byte for byte";
}

}  // namespace

TEST_F(SiteJob, CodeModeWritesEveryCompanyAsExpected) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,6758,8058,2802,1332,9001,4063,130A,9434,9999", folder_.File("out.csv"));
  RunJobThread(host);
  ExpectSameCsv(ReadFileBytes(folder_.File("out.csv")), Expected("code_mode.csv"));
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);
  EXPECT_FALSE(FileExists(folder_.Scratch()));
}

TEST_F(SiteJob, SectorModeHarvestsDeduplicatesAndBoundsByTheHitCount) {
  RecordingHost host;
  // 水産・農林業, 医薬品, 電気機器, 輸送用機器, 情報・通信, 卸売業, サービス業
  host.inputs = SectorInputs({0, 7, 15, 16, 24, 25, 32}, folder_.File("out.csv"));
  RunJobThread(host);
  ExpectSameCsv(ReadFileBytes(folder_.File("out.csv")), Expected("sector_mode.csv"));
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);

  // One listing per sector, then the profiles of the harvested companies:
  // 1301 once although linked four times (one in lower case), nothing outside
  // the quote page prefix, 130A with its letter, only the first root line of
  // 3650, only the first two of the five links of 3700.
  EXPECT_EQ(Targets(), (std::vector<std::string>{
                           "/search/qi/?ids=0050", "/quote/1301.T/profile", "/quote/1332.T/profile",
                           "/search/qi/?ids=3250", "/quote/130A.T/profile",
                           "/search/qi/?ids=3650", "/quote/6758.T/profile",
                           "/search/qi/?ids=3700", "/quote/7203.T/profile", "/quote/7201.T/profile",
                           "/search/qi/?ids=5250", "/search/qi/?ids=6050", "/search/qi/?ids=9050"}));

  EXPECT_EQ(host.Events(), (std::vector<std::string>{
                               "reset 7",
                               "step 1", "taskbar 1/7",
                               "status 業種 : [水産・農林業] 取得中 - 1/2件",
                               "status 業種 : [水産・農林業] 取得中 - 2/2件",
                               "step 2", "taskbar 2/7", "status 業種 : [医薬品] 取得中 - 1/1件",
                               "step 3", "taskbar 3/7", "status 業種 : [電気機器] 取得中 - 1/1件",
                               "step 4", "taskbar 4/7",
                               "status 業種 : [輸送用機器] 取得中 - 1/2件",
                               "status 業種 : [輸送用機器] 取得中 - 2/2件",
                               // no root line (upper-case DIV), no page, a hit
                               // count with a thousands separator: one status each
                               "step 5", "taskbar 5/7", "status 業種 : [情報・通信] 取得中 - 0/0件",
                               "step 6", "taskbar 6/7", "status 業種 : [卸売業] 取得中 - 0/0件",
                               "step 7", "taskbar 7/7", "status 業種 : [サービス業] 取得中 - 0/0件",
                               "completed"}));
}

TEST_F(SiteJob, SectorModeWithNoRecordLeavesTheHeaderAndNothingFound) {
  RecordingHost host;
  host.inputs = SectorInputs({24, 32}, folder_.File("out.csv"));
  RunJobThread(host);
  EXPECT_EQ(ReadFileBytes(folder_.File("out.csv")), ReadFileBytes(FixturePath("expected/header.csv")));
  EXPECT_EQ(host.resultCode.load(), kResultNothingFound);
}

TEST_F(SiteJob, SectorModeWithNothingTickedWritesTheHeaderAlone) {
  RecordingHost host;
  host.inputs = SectorInputs({}, folder_.File("out.csv"));
  RunJobThread(host);
  EXPECT_EQ(ReadFileBytes(folder_.File("out.csv")), ReadFileBytes(FixturePath("expected/header.csv")));
  EXPECT_EQ(host.Events(), (std::vector<std::string>{"reset 0", "completed"}));
  EXPECT_TRUE(server_.Requests().empty());
}
