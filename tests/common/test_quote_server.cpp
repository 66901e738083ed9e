// The stand-in quote site: which file answers which request target, the
// request log, and stopping while clients stall.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>

#include "DownloadTestSupport.h"
#include "common/Download.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {
namespace {

using testing::LoopbackSocket;
using testing::ReadFile;
using testing::TempFolder;

const std::string kRoot = std::string(VANTORA_FIXTURES_DIR) + "/download";

TEST(QuoteServerTest, MapsTargetsToFilesAndRecordsRequests) {
  QuoteServer server(kRoot);
  TempFolder folder;
  const std::string scratch = folder.File("tmp.dat");
  const auto profile = ReadFile(kRoot + "/profile/1301.html");

  // A harvested code with a market suffix falls back to the bare digits.
  ASSERT_TRUE(DownloadToFile(server.BaseUrl() + "/quote/1301.T/profile", scratch));
  EXPECT_EQ(ReadFile(scratch), profile);

  // Listing pages link to this server's own base address.
  ASSERT_TRUE(DownloadToFile(server.BaseUrl() + "/search/qi/?ids=0050", scratch));
  const std::string listing = ReadFile(scratch).value_or("");
  EXPECT_NE(listing.find("<a href=\"" + server.BaseUrl() + "/quote/1301.T\">"), std::string::npos);
  EXPECT_EQ(listing.find("{{BASE}}"), std::string::npos);

  // Unknown targets, missing files and names that try to leave the folder
  // get the 404 page.
  for (const char* target : {"/nothing", "/quote/7203/profile", "/search/qi/?ids=../profile/1301",
                             "/search/qi/?ids=", "/quote/.hidden/profile"}) {
    ASSERT_TRUE(DownloadToFile(server.BaseUrl() + target, scratch)) << target;
    const std::string page = ReadFile(scratch).value_or("");
    EXPECT_NE(page.find("404 Not Found"), std::string::npos) << target;
    EXPECT_NE(page.find("<html"), std::string::npos) << target;
  }

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 7u);
  EXPECT_EQ(requests[0].target, "/quote/1301.T/profile");
  EXPECT_EQ(requests[1].target, "/search/qi/?ids=0050");
  EXPECT_EQ(requests[1].path, "/search/qi/");
  for (const auto& request : requests) EXPECT_FALSE(request.userAgent.empty());
  server.ClearRequests();
  EXPECT_TRUE(server.Requests().empty());

  // A second server runs beside the first at another port.
  QuoteServer other(kRoot);
  EXPECT_NE(other.Port(), server.Port());
  EXPECT_THROW(QuoteServer(kRoot, server.Port()), std::runtime_error);
}

TEST(QuoteServerTest, StopDoesNotWaitForStalledClients) {
  SetDownloadTimeouts({30, 60});
  auto server = std::make_unique<QuoteServer>(kRoot);
  TempFolder folder;

  // A client that connects and never sends a request.
  const LoopbackSocket silent = LoopbackSocket::Connect(server->Port());
  ASSERT_TRUE(silent.Valid());

  // A download held in a stall the server would keep up for a minute.
  server->SetPage("/quote/1/profile", std::string(3000, 'x'));
  server->SetFault("/quote/1/profile", QuoteFault::StallMidBody(1000, std::chrono::seconds(60)));
  auto download = std::async(std::launch::async, [&] {
    return DownloadToFile(server->BaseUrl() + "/quote/1/profile", folder.File("tmp.dat"));
  });
  // Stopped before the stall began, the server would send no body at all.
  while (server->StallsBegun() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));

  const auto start = std::chrono::steady_clock::now();
  server->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_EQ(download.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(download.get()) << "the response had begun";
  EXPECT_EQ(ReadFile(folder.File("tmp.dat")), std::string(1000, 'x'));
  server.reset();  // a second Stop in the destructor is harmless
  SetDownloadTimeouts({});
}

}  // namespace
}  // namespace vantora
