// What no input may do: typed codes reach only their own profile path, a
// listing's links to a look-alike host are not followed, values that a
// spreadsheet would run as formulas are defused, and a page past the size
// limit is cut and marked.
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "common/Download.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/CsvFile.h"
#include "worker/Job.h"
#include "worker/JobSummary.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

class SafetyJob : public ::testing::Test {
 protected:
  SafetyJob()
      : server_(FixturePath("site")),
        base_("VANTORA_BASE_URL", server_.BaseUrl()),
        noPause_("VANTORA_PAUSE_SCALE", "0") {}

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& r : server_.Requests()) targets.push_back(r.target);
    return targets;
  }
  std::vector<std::string> Run(JobInputs inputs) {
    RecordingHost host;
    host.inputs = std::move(inputs);
    RunJobThread(host);
    return CsvLines(ReadFileBytes(folder_.File("out.csv")));
  }

  JobFolder folder_;
  QuoteServer server_;
  ScopedEnv base_;
  ScopedEnv noPause_;
};

}  // namespace

TEST_F(SafetyJob, TypedCodesReachOnlyTheirOwnProfilePath) {
  const auto lines = Run(CodeInputs("../../etc/passwd,13 01,..,1301/../../../search/qi/?ids=0050,1301.T,ｱ", folder_.File("out.csv")));
  EXPECT_EQ(Targets(), (std::vector<std::string>{
                           "/quote/..%2F..%2Fetc%2Fpasswd/profile", "/quote/13%2001/profile",
                           "/quote/%2E%2E/profile",
                           "/quote/1301%2F..%2F..%2F..%2Fsearch%2Fqi%2F%3Fids%3D0050/profile",
                           "/quote/1301.T/profile", "/quote/%B1/profile"}));
  // The record's code is what the typed code always gave, never its encoding.
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(CsvValues(lines[2])[0], "13 01");
  EXPECT_EQ(CsvValues(lines[5])[0], "1301");
  EXPECT_EQ(CsvValues(lines[5])[1], CsvValues(CsvLines(ReadFileBytes(FixturePath("expected/code_mode.csv")))[1])[1])
      << "1301.T reads 1301's page as before";
}

TEST_F(SafetyJob, TheHarvestTakesOnlyLinksUnderTheConfiguredSite) {
  // The base is http://127.0.0.1:PORT; its dots must not match other characters.
  std::string lookAlike = server_.BaseUrl();
  for (char& c : lookAlike)
    if (c == '.') c = '-';
  server_.SetPage("/search/qi/?ids=0050",
                  "<html><body>\n<div id=\"root\"><p><!-- -->3<!-- -->件中</p>"
                  "<a href=\"" + lookAlike + "/quote/1332.T\">x</a>"
                  "<a href=\"" + server_.BaseUrl() + "/quote/1301.T\">a</a>"
                  "<a href=\"" + server_.BaseUrl() + "/QUOTE/1333.T\">b</a></div>\n</body></html>\n");
  const auto lines = Run(SectorInputs({0}, folder_.File("out.csv")));
  EXPECT_EQ(Targets(), (std::vector<std::string>{"/search/qi/?ids=0050", "/quote/1301.T/profile",
                                                 "/QUOTE/1333.T/profile"}))
      << "the prefix is matched without regard to case, but literally";
}

TEST_F(SafetyJob, FormulaLikeValuesAreDefusedAndNumbersKept) {
  for (const char* v : {"=HYPERLINK(\"x\")", "@SUM(A1)", "+cmd|' /C calc'!A0", "-A1", "\tx", "\rx", "---"})
    EXPECT_TRUE(LooksLikeFormula(v)) << v;
  for (const char* v : {"+35(+1.09%)", "-12.5", "-", "+", "", "1,234", "株式会社=", "'=x"})
    EXPECT_FALSE(LooksLikeFormula(v)) << v;

  server_.SetPage("/quote/5001/profile",
                  "<html><body><div><h2 class=\"_BasePriceBoard__name_a\">=HYPERLINK(\"http://x\",\"y\")</h2></div>"
                  "<span class=\"_StyledNumber__value_a\">-12.5</span></span></span></body></html>\n");
  const auto lines = Run(CodeInputs("5001", folder_.File("out.csv")));
  ASSERT_EQ(lines.size(), 2u);
  const auto values = CsvValues(lines[1]);
  EXPECT_EQ(values[kColName], "'=HYPERLINK(\"http://x\",\"y\")");
  EXPECT_EQ(values[kColPrice], "-12.5");
}

TEST_F(SafetyJob, APagePastTheSizeLimitIsCutThereAndMarked) {
  SetPageSizeLimit(5000);
  server_.SetFault("/quote/5002/profile", QuoteFault::LargeBody(50000));
  server_.SetPage("/quote/5003/profile",
                  "<html><body><div><h2 class=\"_BasePriceBoard__name_a\">A</h2></div></body></html>\n");
  RecordingHost host;
  host.inputs = CodeInputs("5002,5003", folder_.File("out.csv"));
  RunJobThread(host);
  SetPageSizeLimit(kDefaultPageSizeLimit);
  const auto report = CsvLines(ReadFileBytes(folder_.File("out.report.csv")));
  ASSERT_EQ(report.size(), 3u);
  EXPECT_NE(report[1].find("\"too-large\",\"200\""), std::string::npos) << report[1];
  EXPECT_NE(report[2].find("\"ok\""), std::string::npos) << "the next page is read as usual";
  EXPECT_EQ(LastJobSummary().Companies(Outcome::kTooLarge), 1);
}
