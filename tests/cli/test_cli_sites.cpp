// vantora-cli over the whole sample site: sector mode gives the window's
// bytes and outcome, and --demo runs on the bundled pages without any network.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "CliTestSupport.h"
#include "common/Charset.h"
#include "worker/Job.h"
#include "worker/JobHost.h"

namespace vantora {
namespace {

using namespace vantora::testing;
namespace fs = std::filesystem;

// The exit code of a run that read every page it asked for.
int ExitCodeOf(int resultCode) {
  switch (resultCode) {
    case kResultRecordsWritten: return 0;
    case kResultNothingFound: return 1;
    case kResultSiteUnreachable: return 3;
    default: return 4;
  }
}

std::vector<std::string> Targets(const QuoteServer& server) {
  std::vector<std::string> targets;
  for (const auto& request : server.Requests()) targets.push_back(request.target);
  return targets;
}

TEST_F(CliProcessTest, SectorModeFetchesAndWritesAsTheWindow) {
  std::vector<int> all;
  for (int i = 0; i < kSectorCount; ++i) all.push_back(i);
  const std::pair<std::string, std::vector<int>> cases[] = {{"0050,16", {0, 16}}, {"all", all}, {"1", {1}}};
  for (const auto& [sectors, positions] : cases) {
    server_.ClearRequests();
    const CliResult run = RunCli({"--sectors", sectors, "-o", "sectors.csv", "--force", "--base-url", Base(server_)},
                                 Dir());
    const std::string cli = ReadBytes(dir_.File("sectors.csv")).value_or("<missing>");
    const auto cliTargets = Targets(server_);

    server_.ClearRequests();
    int resultCode = -1;
    EXPECT_EQ(cli, WindowJobBytes(Base(server_), false, "", positions, dir_, &resultCode)) << sectors;
    EXPECT_EQ(cliTargets, Targets(server_)) << sectors << ": the same pages in the same order";
    // The sample site has listings of a few sectors only: "all" asks for
    // listings that are not there, and says so with exit code 5.
    EXPECT_EQ(run.exitCode, sectors == "all" ? 5 : ExitCodeOf(resultCode)) << sectors << "\n" << run.err;
    if (sectors == "0050,16") {
      EXPECT_EQ(run.exitCode, 0) << run.err;
      EXPECT_EQ(CrLfLines(cli).size(), 6u) << "three companies of 0050 and two of 3700";
    }
    if (sectors == "1") {
      EXPECT_EQ(run.exitCode, 1) << "a sector without a listing finds nothing";
    }
  }
}

TEST_F(CliProcessTest, DemoRunsOnTheBundledSite) {
  // A base address that nobody serves: --demo must not use it.
  const CliResult run = RunCli({"--demo", "--codes", "1301,7203", "-o", "demo.csv"}, Dir(),
                               {{"VANTORA_BASE_URL", "http://127.0.0.1:1"}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("sample site at http://127.0.0.1:"), std::string::npos) << run.err;
  const auto lines = CrLfLines(ReadBytes(dir_.File("demo.csv")).value_or(""));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].rfind("\"1301\",", 0), 0u);
  EXPECT_EQ(lines[2].rfind("\"7203\",", 0), 0u);
  EXPECT_NE(lines[2].find("/quote/7203/profile\""), std::string::npos) << Cp932ToUtf8(lines[2]);
  EXPECT_EQ(lines[2].find("127.0.0.1:1/"), std::string::npos);
  // Values from the bundled pages, company forms written out in full.
  EXPECT_NE(lines[1].find(Utf8ToCp932("\"株式会社潮見水産\"")), std::string::npos) << Cp932ToUtf8(lines[1]);
  EXPECT_NE(lines[2].find(Utf8ToCp932("\"燕モーター工業株式会社\"")), std::string::npos) << Cp932ToUtf8(lines[2]);
  EXPECT_NE(lines[2].find(Utf8ToCp932("\"〒444-0999\",\"愛知県岡崎市燕町1\"")), std::string::npos)
      << Cp932ToUtf8(lines[2]);
  EXPECT_TRUE(server_.Requests().empty()) << "nothing reaches other servers";
}

}  // namespace
}  // namespace vantora
