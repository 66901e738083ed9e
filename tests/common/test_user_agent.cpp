// The User-Agent texts sent by the first downloads of a fresh process: the
// generator starts at the same state every time, so every start sends the
// same rows in the same order.
#include <gtest/gtest.h>

#include "common/Download.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {
namespace {

// The only test of this program, so the generator is untouched when it runs.
TEST(UserAgentTest, FirstTwelveDownloadsOfAProcessUseTheFixedRows) {
  QuoteServer server(std::string(VANTORA_FIXTURES_DIR) + "/download");
  const std::string scratch = ::testing::TempDir() + "vantora-ua-tmp.dat";
  for (int i = 0; i < 12; ++i) {
    DownloadToFile(server.BaseUrl() + "/quote/1301/profile", scratch);
  }
  std::remove(scratch.c_str());

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 12u);
  const std::uint32_t rows[] = {0, 0, 4, 1, 1, 3, 1, 0, 1, 2, 0, 2};
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(requests[i].userAgent, UserAgentText(rows[i])) << "call " << i;
  }
  EXPECT_EQ(requests[0].userAgent,
            "Mozilla/5.0 (Windows NT 5.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/58.0.3029.110 Safari/537.36 Edge/16.16299");
  EXPECT_EQ(requests[2].userAgent,
            "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/64.0.3282.140 Safari/537.36 Edge/17.17134");
  EXPECT_EQ(UserAgentText(3),
            "Mozilla/5.0 (Windows NT 6.3; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/51.0.2704.79 Safari/537.36 Edge/14.14393");
}

}  // namespace
}  // namespace vantora
