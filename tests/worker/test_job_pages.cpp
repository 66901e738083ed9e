// All result pages of a sector on request: further pages are read while
// fewer companies than the hit count are known and each page adds one, and
// not at all without the setting.
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

std::string Listing(const std::string& base, int hits, const std::vector<std::string>& codes) {
  std::string page = "<html><body>\n<div id=\"root\"><p><!-- -->" + std::to_string(hits) + "<!-- -->件中</p>";
  for (const std::string& code : codes) page += "<a href=\"" + base + "/quote/" + code + ".T\">" + code + "</a>";
  return page + "</div>\n</body></html>\n";
}

}  // namespace

TEST(ListingPages, FurtherPagesAreReadWhileTheyAddCompanies) {
  JobFolder folder;
  QuoteServer server(FixturePath("site"));
  ScopedEnv site("VANTORA_BASE_URL", server.BaseUrl());
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "0");
  const std::string b = server.BaseUrl();
  server.SetPage("/search/qi/?ids=0050", Listing(b, 6, {"1301", "1332"}));
  server.SetPage("/search/qi/?ids=0050&page=2", Listing(b, 6, {"1332", "7203"}));
  server.SetPage("/search/qi/?ids=0050&page=3", Listing(b, 6, {"7203", "1301"}));  // nothing new: the end
  server.SetPage("/search/qi/?ids=0050&page=4", Listing(b, 6, {"2802"}));

  for (const bool all : {false, true}) {
    server.ClearRequests();
    RecordingHost host;
    host.inputs = SectorInputs({0}, folder.File("out.csv"));
    host.inputs.allListingPages = all;
    RunJobThread(host);
    std::vector<std::string> targets;
    for (const auto& r : server.Requests()) targets.push_back(r.target);
    const std::vector<std::string> expected =
        all ? std::vector<std::string>{"/search/qi/?ids=0050", "/search/qi/?ids=0050&page=2",
                                       "/search/qi/?ids=0050&page=3", "/quote/1301.T/profile",
                                       "/quote/1332.T/profile", "/quote/7203.T/profile"}
            : std::vector<std::string>{"/search/qi/?ids=0050", "/quote/1301.T/profile", "/quote/1332.T/profile"};
    EXPECT_EQ(targets, expected) << (all ? "all pages" : "first page only");
  }
}

TEST(ListingPages, AFurtherPageOfAnotherLayoutLeavesTheListingUnread) {
  JobFolder folder;
  QuoteServer server(FixturePath("site"));
  ScopedEnv site("VANTORA_BASE_URL", server.BaseUrl());
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "0");
  const std::string b = server.BaseUrl();
  server.SetPage("/search/qi/?ids=0050", Listing(b, 4, {"1301", "1332"}));
  server.SetPage("/search/qi/?ids=0050&page=2", "");  // a 200 answer without the page
  RecordingHost host;
  host.inputs = SectorInputs({0}, folder.File("out.csv"));
  host.inputs.allListingPages = true;
  RunJobThread(host);
  const std::string report = ReadFileBytes(folder.File("out.report.csv"));
  // The companies of the first page are read, and the listing is reported,
  // so that the companies of the unread page are not silently missing.
  EXPECT_NE(report.find("\"sector:0050\",\"layout-changed\",\"200\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"1332\",\"ok\""), std::string::npos) << report;
}
