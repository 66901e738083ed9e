// The outcome of every company and listing against the local quote site's
// fault modes: one report line per record line, in the same order, with the
// outcome, the status and the address; the records of pages read without
// trouble byte for byte as before; the job's own stops (pages of another
// layout three times in a row, a scratch file that cannot be written).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"
#include "worker/JobSummary.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// A page of some other site: none of the markup the extraction looks for.
const char* const kOtherLayout = "<!DOCTYPE html>\n<html><body><main><p>リニューアルしました</p></main></body></html>\n";

struct ReportRow {
  std::string code, outcome, status, detail, url;
};

class OutcomeJob : public ::testing::Test {
 protected:
  OutcomeJob()
      : server_(FixturePath("site")),
        base_("VANTORA_BASE_URL", server_.BaseUrl()),
        noPause_("VANTORA_PAUSE_SCALE", "0") {}

  std::string Output() const { return folder_.File("out.csv"); }
  std::string Profile(const std::string& code) const { return server_.BaseUrl() + "/quote/" + code + "/profile"; }

  // The report's lines after its header, values unquoted (detail in UTF-8).
  std::vector<ReportRow> Report() const {
    const auto lines = CsvLines(ReadFileBytes(folder_.File("out.report.csv")));
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
      EXPECT_EQ(lines[0], "\"code\",\"outcome\",\"http_status\",\"detail\",\"url\"");
    }
    std::vector<ReportRow> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const auto v = CsvValues(lines[i]);
      EXPECT_EQ(v.size(), 5u) << lines[i];
      if (v.size() == 5) rows.push_back({Utf8(v[0]), v[1], v[2], Utf8(v[3]), v[4]});
    }
    return rows;
  }

  // The record line of `code` in the expected code-mode file.
  std::string ExpectedRecord(const std::string& code) const {
    std::string bytes = ReadFileBytes(FixturePath("expected/code_mode.csv"));
    for (std::size_t at = bytes.find("{{BASE}}"); at != std::string::npos; at = bytes.find("{{BASE}}", at))
      bytes.replace(at, 8, server_.BaseUrl());
    for (const std::string& line : CsvLines(bytes))
      if (line.rfind("\"" + code + "\"", 0) == 0) return line;
    return "<no expected record of " + code + ">";
  }

  // Runs a code-mode job; returns its ResultCode.
  int Run(const std::string& codes) {
    RecordingHost host;
    host.inputs = CodeInputs(codes, Output());
    RunJobThread(host);
    lastStatus_ = host.Events("status").empty() ? "" : host.Events("status").back();
    return host.resultCode.load();
  }
  std::string lastStatus_;

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
  ScopedEnv noPause_;
};

}  // namespace

TEST_F(OutcomeJob, EveryFaultOfTheSiteHasItsOutcomeAndTheGoodRecordsStayExact) {
  server_.SetPage("/quote/2001/profile", "<html>gone</html>", 410);
  server_.SetPage("/quote/2002/profile", "<html>slow down</html>", 429);
  server_.SetPage("/quote/2003/profile", "<html>busy</html>", 503);
  server_.SetPage("/quote/2004/profile", "<html>oops</html>", 500);
  server_.SetPage("/quote/2005/profile", "<html>forbidden</html>", 403);
  server_.SetFault("/quote/6758/profile", QuoteFault::DropMidBody(300));
  server_.SetFault("/quote/2006/profile", QuoteFault::EmptyBody());
  server_.SetPage("/quote/2007/profile", kOtherLayout);
  const std::vector<std::string> codes = {"1301", "2001", "9999", "2002", "2003", "2004", "2005",
                                          "6758", "7203", "2006", "2007", "8058"};
  std::string text;
  for (const std::string& c : codes) text += (text.empty() ? "" : ",") + c;
  const int result = Run(text);

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ok", "200"},        {"not-found", "410"}, {"not-found", "404"},      {"blocked", "429"},
      {"blocked", "503"},   {"http-error", "500"}, {"http-error", "403"},    {"network", "200"},
      {"ok", "200"},        {"layout-changed", "200"}, {"layout-changed", "200"}, {"ok", "200"}};
  const auto rows = Report();
  ASSERT_EQ(rows.size(), codes.size());
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), codes.size() + 1) << "one report line for every record line";
  for (std::size_t i = 0; i < codes.size(); ++i) {
    EXPECT_EQ(rows[i].code, codes[i]);
    EXPECT_EQ(rows[i].outcome, expected[i].first) << codes[i];
    EXPECT_EQ(rows[i].status, expected[i].second) << codes[i];
    EXPECT_EQ(rows[i].url, Profile(codes[i]));
    EXPECT_EQ(rows[i].detail.empty(), expected[i].first == "ok") << codes[i] << ": " << rows[i].detail;
  }
  EXPECT_EQ(rows[1].detail, "ページが見つかりません (410)");
  EXPECT_EQ(rows[7].detail, "ページの受信中に接続が切れました");
  for (const char* code : {"1301", "7203", "8058"})
    EXPECT_EQ(lines[static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin()) + 1],
              ExpectedRecord(code));

  EXPECT_EQ(result, kResultRecordsWritten);
  const JobSummary& summary = LastJobSummary();
  EXPECT_EQ(summary.records, 12);
  EXPECT_EQ(summary.CompaniesNotOk(), 9);
  EXPECT_EQ(summary.Companies(Outcome::kBlocked), 2);
  EXPECT_EQ(summary.stop, JobStop::kNone);
}

TEST_F(OutcomeJob, ASiteThatGoesAwayMidRunLeavesNetworkLinesWithoutAStatus) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,1332", Output());
  host.onEvent = [&](const std::string& event) {
    if (event.rfind("status", 0) == 0 && event.find("1/3") != std::string::npos) server_.Stop();
  };
  RunJobThread(host);
  const auto rows = Report();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].outcome, "ok");
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(rows[i].outcome, "network");
    EXPECT_EQ(rows[i].status, "") << "no response, no status";
    EXPECT_EQ(rows[i].detail, "サーバーに接続できません");
  }
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);
}

TEST_F(OutcomeJob, ThreePagesInARowOfAnotherLayoutStopTheJob) {
  std::string codes;
  for (int i = 0; i < 10; ++i) {
    const std::string code = std::to_string(3000 + i);
    server_.SetPage("/quote/" + code + "/profile", kOtherLayout);
    codes += (codes.empty() ? "" : ",") + code;
  }
  // One good page between two of another layout does not count towards the run.
  EXPECT_EQ(Run("3000,3001,1301,3002,3003"), kResultRecordsWritten);
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 6u);

  server_.ClearRequests();
  const int result = Run(codes);
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 4u) << "the header and three records";
  EXPECT_EQ(server_.Requests().size(), 3u);
  const auto rows = Report();
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) EXPECT_EQ(row.outcome, "layout-changed");
  EXPECT_EQ(result, kResultLayoutChanged);
  EXPECT_EQ(LastJobSummary().stop, JobStop::kLayoutChanged);
  EXPECT_EQ(lastStatus_, "status 銘柄コード : [3002] 取得中 - 3/10件");
}

TEST_F(OutcomeJob, TheCompanyInHandWhenStoppedIsCancelled) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,1332", Output());
  std::atomic<TMyThread*> worker{nullptr};
  host.onEvent = [&](const std::string& event) {
    if (event == "step 2") worker.load()->Terminate();
  };
  RunJobThread(host, &worker);
  const auto rows = Report();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].outcome, "ok");
  EXPECT_EQ(rows[1].outcome, "cancelled");
  EXPECT_EQ(rows[1].code, "7203");
  EXPECT_EQ(LastJobSummary().stop, JobStop::kCancelled);
  EXPECT_EQ(LastJobSummary().records, 2);
}

TEST_F(OutcomeJob, AScratchFileThatCannotBeWrittenStopsAtOnce) {
  SetJobScratchFilePath(folder_.File("missing-folder/tmp.dat"));
  const int result = Run("1301,7203,1332");
  const auto rows = Report();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].outcome, "local-error");
  EXPECT_EQ(rows[0].status, "200");
  EXPECT_NE(rows[0].detail.find("No such file or directory"), std::string::npos) << rows[0].detail;
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(result, kResultScratchFileError);
  const JobSummary& summary = LastJobSummary();
  EXPECT_EQ(summary.stop, JobStop::kScratchFile);
  EXPECT_EQ(summary.scratchFolder, folder_.File("missing-folder"));
}

TEST_F(OutcomeJob, ListingsThatCannotBeReadHaveSectorLinesInTheirPlace) {
  // 0050 lists two companies; 1050 is blocked; 2050 answers with another
  // layout; 3050 has a root line without a count; 3100 counts 0 companies.
  server_.SetPage("/search/qi/?ids=1050", "<html>busy</html>", 503);
  server_.SetPage("/search/qi/?ids=2050", kOtherLayout);
  server_.SetPage("/search/qi/?ids=3050", "<html><body>\n<div id=\"root\"><p>none</p></div>\n</body></html>\n");
  server_.SetPage("/search/qi/?ids=3100",
                  "<html><body>\n<div id=\"root\"><p><!-- -->0<!-- -->件中</p></div>\n</body></html>\n");
  RecordingHost host;
  host.inputs = SectorInputs({1, 0, 2, 3, 4}, Output());
  RunJobThread(host);
  const auto rows = Report();
  ASSERT_EQ(rows.size(), 5u);
  const std::string listing = server_.BaseUrl() + "/search/qi/?ids=";
  EXPECT_EQ(rows[0].code, "1301");
  EXPECT_EQ(rows[1].code, "1332");
  EXPECT_EQ(rows[2].code, "sector:1050");
  EXPECT_EQ(rows[2].outcome, "blocked");
  EXPECT_EQ(rows[2].status, "503");
  EXPECT_EQ(rows[2].url, listing + "1050");
  EXPECT_EQ(rows[3].code, "sector:2050");
  EXPECT_EQ(rows[3].outcome, "layout-changed");
  EXPECT_EQ(rows[4].code, "sector:3050");
  EXPECT_EQ(rows[4].outcome, "layout-changed");
  EXPECT_EQ(rows[4].detail, "一覧ページから件数を読み取れません (ページの形式が違います)");
  EXPECT_EQ(LastJobSummary().listingsNotOk, 3);
  EXPECT_EQ(LastJobSummary().records, 2);
  EXPECT_FALSE(LastJobSummary().AllOk());
}

TEST(OutcomeReportPath, ReplacesTheFinalCsvOnly) {
  EXPECT_EQ(ReportPathFor("/d/out.csv"), "/d/out.report.csv");
  EXPECT_EQ(ReportPathFor("/d/OUT.CSV"), "/d/OUT.report.csv");
  EXPECT_EQ(ReportPathFor("/d/a.csv.txt"), "/d/a.csv.txt.report.csv");
  EXPECT_EQ(ReportPathFor("x"), "x.report.csv");
}
