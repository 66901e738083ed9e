// Cancelling a sector-mode job at each point where the crawl and the
// extraction look at the termination request; the file stays valid and holds
// the records written up to the cancel.
#include <gtest/gtest.h>

#include <atomic>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

class CancelJob : public ::testing::Test {
 protected:
  CancelJob()
      : server_(FixturePath("site")),
        base_("VANTORA_BASE_URL", server_.BaseUrl()),
        noPause_("VANTORA_PAUSE_SCALE", "0") {}
  ~CancelJob() override { detail::SetCrawlObserver(nullptr); }

  // Runs a sector job; `cancelAt` is an event ("status ...") or a crawl phase
  // ("phase hit-count") at which the window's Cancel is confirmed.
  void Run(const std::vector<int>& sectors, const std::string& cancelAt) {
    host_.inputs = SectorInputs(sectors, Output());
    std::atomic<TMyThread*> worker{nullptr};
    host_.onEvent = [&](const std::string& event) {
      if (event == cancelAt) worker.load()->Terminate();
    };
    detail::SetCrawlObserver([&](const std::string& phase) {
      if ("phase " + phase == cancelAt) worker.load()->Terminate();
    });
    RunJobThread(host_, &worker);
    detail::SetCrawlObserver(nullptr);
  }

  std::string Output() const { return folder_.File("out.csv"); }
  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& r : server_.Requests()) targets.push_back(r.target);
    return targets;
  }
  void ExpectCleanEnd() {
    EXPECT_EQ(host_.completions.load(), 1);
    EXPECT_EQ(host_.Events().back(), "completed");
    EXPECT_FALSE(FileExists(folder_.Scratch()));
    const auto lines = CsvLines(ReadFileBytes(Output()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0] + "\r\n", ReadFileBytes(FixturePath("expected/header.csv")));
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(CsvValues(lines[i]).size(), 22u);
  }

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
  ScopedEnv noPause_;
  RecordingHost host_;
};

}  // namespace

TEST_F(CancelJob, DuringTheHitCountPassEndsTheSectorAfterOneStatus) {
  Run({0, 16}, "phase hit-count");
  EXPECT_EQ(Targets(), std::vector<std::string>{"/search/qi/?ids=0050"});
  EXPECT_EQ(host_.Events("status"), std::vector<std::string>{"status 業種 : [水産・農林業] 取得中 - 0/0件"});
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 1u);
  EXPECT_EQ(host_.resultCode.load(), kResultNothingFound);
  ExpectCleanEnd();
}

TEST_F(CancelJob, DuringTheHarvestWritesNothingAndShowsNoStatus) {
  Run({0, 16}, "phase harvest");
  EXPECT_EQ(Targets(), std::vector<std::string>{"/search/qi/?ids=0050"});
  EXPECT_TRUE(host_.Events("status").empty());
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 1u);
  EXPECT_EQ(host_.resultCode.load(), kResultNothingFound);
  ExpectCleanEnd();
}

TEST_F(CancelJob, DuringAnExtractionWritesThatCompanyWithTheFirstLineOnly) {
  // The cancel comes once the first company's page is read; it then stops
  // the joining of lines after the first one. 1301's first line is the
  // document head: only the code and the address are known.
  Run({0, 16}, "phase extract");
  EXPECT_EQ(Targets(), (std::vector<std::string>{"/search/qi/?ids=0050", "/quote/1301.T/profile"}));
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 2u);
  std::string expected = "\"1301\"";
  for (int i = 1; i < 21; ++i) expected += ",\"\"";
  expected += ",\"" + server_.BaseUrl() + "/quote/1301.T/profile\"";
  EXPECT_EQ(lines[1], expected);
  EXPECT_EQ(host_.resultCode.load(), kResultRecordsWritten);
  EXPECT_EQ(host_.Events("step").size(), 1u);  // the second sector never began
  ExpectCleanEnd();
}

TEST_F(CancelJob, DuringAnExtractionKeepsTheValuesOfTheFirstPiece) {
  // 6758's page is one line: it is joined whole, and the loop over pieces
  // stops after the first piece (everything up to the first "</tr>": the
  // price board, both texts and the address row that opens the table).
  Run({15, 16}, "phase extract");
  EXPECT_EQ(Targets(), (std::vector<std::string>{"/search/qi/?ids=3650", "/quote/6758.T/profile"}));
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 2u);
  const auto v = CsvValues(lines[1]);
  ASSERT_EQ(v.size(), 22u);
  std::vector<std::string> utf8;
  for (const auto& s : v) utf8.push_back(Utf8(s));
  EXPECT_EQ(utf8, (std::vector<std::string>{
                      "6758", "合同会社北辰電機", "画像センサーで世界首位級。ゲーム・音楽・映画も",
                      "ゲーム32、音楽17、映画13、エレクトロニクス22、半導体16【海外】71(2026.3)",
                      "〒108-0075", "東京都港区港南1-7-1",
                      "", "", "", "", "", "", "", "", "", "", "", "",  // rows 6..17 not reached
                      "13,250", "0(0.00%)", "12/08",                   // the first update time
                      server_.BaseUrl() + "/quote/6758.T/profile"}));
  ExpectCleanEnd();
}
