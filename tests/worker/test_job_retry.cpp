// Asking again: a page the site refuses is asked for again after the wait
// the site gives (or the back-off), at most five times in all; a page that
// failed on the way three times; final answers never; three companies in a
// row that stay blocked stop the job; a stop ends a wait at once.
#include <gtest/gtest.h>

#include <atomic>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"
#include "worker/JobInternal.h"
#include "worker/JobSummary.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

class RetryJob : public ::testing::Test {
 protected:
  RetryJob() : server_(FixturePath("site")), base_("VANTORA_BASE_URL", server_.BaseUrl()) {}

  std::size_t RequestsOf(const std::string& target) const {
    std::size_t n = 0;
    for (const auto& r : server_.Requests()) n += r.target == target;
    return n;
  }
  std::vector<std::string> ReportLines() const { return CsvLines(ReadFileBytes(folder_.File("out.report.csv"))); }

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
};

}  // namespace

TEST(BackOff, RetryAfterWinsAndTheBackOffDoublesUpToTenMinutes) {
  EXPECT_EQ(detail::BackOffSeconds(1, "", 0), 30);
  EXPECT_EQ(detail::BackOffSeconds(2, "", 0), 60);
  EXPECT_EQ(detail::BackOffSeconds(4, "", 0), 240);
  EXPECT_EQ(detail::BackOffSeconds(6, "", 0), 600);
  EXPECT_EQ(detail::BackOffSeconds(60, "", 0), 600);
  EXPECT_EQ(detail::BackOffSeconds(3, "7", 0), 7);
  EXPECT_EQ(detail::BackOffSeconds(1, "0", 0), 0);
  EXPECT_EQ(detail::BackOffSeconds(1, "86400", 0), 600);
  EXPECT_EQ(detail::BackOffSeconds(2, "soon", 0), 60) << "a value that is neither form is ignored";
  // An HTTP date 25 s after `now`, and one in the past.
  const std::time_t now = 1793000000;  // late October 2026
  const std::time_t later = now + 25;
  const std::tm tm = *std::gmtime(&later);  // the only caller of gmtime in the test
  char date[64];
  std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &tm);
  EXPECT_EQ(detail::BackOffSeconds(1, date, now), 25) << date;
  EXPECT_EQ(detail::BackOffSeconds(1, date, now + 100), 0);
}

TEST_F(RetryJob, RefusalsAreWaitedOutAndBoundedPerPage) {
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "0.001");
  server_.SetFault("/quote/1301/profile", QuoteFault::Refuse(429, "2", 2));  // two refusals, then the page
  server_.SetFault("/quote/7203/profile", QuoteFault::Refuse(503));           // refuses for good
  server_.SetFault("/quote/1332/profile", QuoteFault::DropMidBody(200));      // fails on the way every time
  server_.SetFault("/quote/2802/profile", QuoteFault::Refuse(500, "", 1));    // one server error
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,1332,2802,9999", folder_.File("out.csv"));
  RunJobThread(host);
  EXPECT_EQ(RequestsOf("/quote/1301/profile"), 3u);
  EXPECT_EQ(RequestsOf("/quote/7203/profile"), 5u) << "five tries in all";
  EXPECT_EQ(RequestsOf("/quote/1332/profile"), 3u);
  EXPECT_EQ(RequestsOf("/quote/2802/profile"), 2u);
  EXPECT_EQ(RequestsOf("/quote/9999/profile"), 1u) << "404 is final at once";
  const auto report = ReportLines();
  ASSERT_EQ(report.size(), 6u);
  EXPECT_NE(report[1].find("\"ok\""), std::string::npos);
  EXPECT_NE(report[2].find("\"blocked\",\"503\""), std::string::npos);
  EXPECT_NE(report[3].find("\"network\""), std::string::npos);
  EXPECT_NE(report[4].find("\"ok\""), std::string::npos);
  EXPECT_NE(report[5].find("\"not-found\""), std::string::npos);
  // The waits show in the status label.
  bool waitShown = false;
  for (const std::string& e : host.Events("status"))
    waitShown = waitShown || e.find("銘柄コード : [1301] サイトの要求により待機中 (残り 1秒)") != std::string::npos;
  EXPECT_TRUE(waitShown);
}

TEST_F(RetryJob, ThreeCompaniesInARowBlockedStopTheJob) {
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "0");
  std::string codes;
  for (int i = 0; i < 6; ++i) {
    const std::string code = std::to_string(6000 + i);
    server_.SetFault("/quote/" + code + "/profile", QuoteFault::Refuse(429));
    codes += (codes.empty() ? "" : ",") + code;
  }
  RecordingHost host;
  host.inputs = CodeInputs(codes, folder_.File("out.csv"));
  RunJobThread(host);
  EXPECT_EQ(host.resultCode.load(), kResultSiteRefusing);
  EXPECT_EQ(server_.Requests().size(), 15u);
  EXPECT_EQ(ReportLines().size(), 4u);
  EXPECT_EQ(LastJobSummary().stop, JobStop::kSiteRefusing);
}

TEST_F(RetryJob, AStopEndsAWaitAtOnce) {
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "1");
  server_.SetFault("/quote/1301/profile", QuoteFault::Refuse(429, "600"));
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203", folder_.File("out.csv"));
  std::atomic<TMyThread*> worker{nullptr};
  host.onEvent = [&](const std::string& event) {
    if (event.find("待機中") != std::string::npos) worker.load()->Terminate();
  };
  RunJobThread(host, &worker);  // would take ten minutes if the wait went on
  EXPECT_EQ(RequestsOf("/quote/1301/profile"), 1u);
  EXPECT_EQ(RequestsOf("/quote/7203/profile"), 0u);
  const auto report = ReportLines();
  ASSERT_EQ(report.size(), 2u);
  EXPECT_NE(report[1].find("\"cancelled\",\"429\""), std::string::npos) << report[1];
}
