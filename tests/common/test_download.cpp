// Page download against a quote server on 127.0.0.1: bodies stored byte for
// byte in NUL-cut 1000-byte chunks, error pages kept, scratch file removed
// when no response comes, redirects, broken and stalled transfers, proxies
// from the environment ignored, and the shared generator under threads.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "DownloadTestSupport.h"
#include "common/Download.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {
namespace {

using testing::ClosedPort;
using testing::LoopbackSocket;
using testing::Letters;
using testing::ReadFile;
using testing::SetEnvironment;
using testing::UnsetEnvironment;
using testing::TempFolder;
using testing::WriteFile;

const std::string kRoot = std::string(VANTORA_FIXTURES_DIR) + "/download";

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDownloadTimeouts({2, 2}); }
  void TearDown() override { SetDownloadTimeouts({}); }

  std::string Url(const std::string& target) const { return server_.BaseUrl() + target; }

  QuoteServer server_{kRoot};
  TempFolder folder_;
  std::string scratch_ = folder_.File("tmp.dat");
};

TEST_F(DownloadTest, StoresBodiesWholeWhateverTheStatus) {
  // A page of the folder, UTF-8 bytes as they are on disk.
  ASSERT_TRUE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), ReadFile(kRoot + "/profile/1301.html"));

  // 2500 bytes: two full chunks and a partial one, nothing lost or doubled.
  const std::string body = Letters(2500);
  server_.SetPage("/quote/2500/profile", body);
  ASSERT_TRUE(DownloadToFile(Url("/quote/2500/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), body);

  // Exactly one chunk, and a chunk plus one byte.
  server_.SetPage("/quote/1000/profile", Letters(1000));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1000/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), Letters(1000));
  server_.SetPage("/quote/1001/profile", Letters(1001));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1001/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), Letters(1001));

  // Error pages are pages: the 404 page of an unknown code, a 500 page.
  ASSERT_TRUE(DownloadToFile(Url("/quote/9999/profile"), scratch_));
  EXPECT_NE(ReadFile(scratch_).value_or("").find("404 Not Found"), std::string::npos);
  server_.SetPage("/quote/500/profile", "<html>server error</html>", 500);
  ASSERT_TRUE(DownloadToFile(Url("/quote/500/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), "<html>server error</html>");
}

TEST_F(DownloadTest, EmptyBodyLeavesAnEmptyFile) {
  WriteFile(scratch_, "page of an earlier download");
  server_.SetFault("/quote/1301/profile", QuoteFault::EmptyBody());
  ASSERT_TRUE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), "");

  std::filesystem::remove(scratch_);
  server_.SetFault("/quote/1301/profile", QuoteFault::EmptyBody(404));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), "") << "an empty 404 response still creates the file";
}

TEST_F(DownloadTest, EachChunkIsCutAtItsFirstNul) {
  std::string body = Letters(2500);
  body[3] = '\0';     // fourth byte of the first chunk
  body[1500] = '\0';  // inside the second chunk
  body[1501] = '\0';
  body[2000] = '\0';  // first byte of the third chunk: nothing of it is kept
  server_.SetPage("/quote/nul/profile", body);
  const std::string expected = body.substr(0, 3) + body.substr(1000, 500);

  ASSERT_TRUE(DownloadToFile(Url("/quote/nul/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), expected);

  // Chunks are counted by body offset, not by how the network delivers the
  // bytes: a trickle of 7-byte pieces stores the same.
  server_.SetFault("/quote/nul/profile", QuoteFault::SlowTrickle(7, std::chrono::milliseconds(1)));
  ASSERT_TRUE(DownloadToFile(Url("/quote/nul/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), expected);

  // NUL bytes injected into a page of the folder.
  server_.SetFault("/quote/1301/profile", QuoteFault::NulBytes({10}));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), ReadFile(kRoot + "/profile/1301.html")->substr(0, 10));
}

TEST_F(DownloadTest, NoResponseRemovesTheEarlierScratchFile) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/quote/1301/profile";
  WriteFile(scratch_, "page of an earlier download");
  EXPECT_FALSE(DownloadToFile(refused, scratch_));
  EXPECT_FALSE(std::filesystem::exists(scratch_));
  EXPECT_FALSE(DownloadToFile(refused, scratch_)) << "no file to remove is fine too";
  EXPECT_FALSE(std::filesystem::exists(scratch_));

  // A redirect to nowhere gives no page either.
  WriteFile(scratch_, "page of an earlier download");
  server_.SetFault("/quote/1301/profile", QuoteFault::Redirect(refused));
  EXPECT_FALSE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_FALSE(std::filesystem::exists(scratch_));

  // Neither does an address that is not http or https.
  WriteFile(scratch_, "page of an earlier download");
  EXPECT_FALSE(DownloadToFile("file://" + kRoot + "/profile/1301.html", scratch_));
  EXPECT_FALSE(std::filesystem::exists(scratch_));
}

TEST_F(DownloadTest, FollowsRedirectsUpToTen) {
  server_.SetFault("/quote/1/profile", QuoteFault::Redirect("/quote/2/profile"));
  server_.SetFault("/quote/2/profile", QuoteFault::Redirect(Url("/quote/1301/profile")));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), ReadFile(kRoot + "/profile/1301.html"));
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].target, "/quote/1301/profile");

  // A loop ends after ten redirects with no page.
  server_.ClearRequests();
  server_.SetFault("/loop", QuoteFault::Redirect("/loop"));
  WriteFile(scratch_, "page of an earlier download");
  EXPECT_FALSE(DownloadToFile(Url("/loop"), scratch_));
  EXPECT_FALSE(std::filesystem::exists(scratch_));
  EXPECT_EQ(server_.Requests().size(), 11u);
}

TEST_F(DownloadTest, BrokenTransfersKeepWhatWasStored) {
  const std::string body = Letters(2500);
  server_.SetPage("/quote/cut/profile", body);

  server_.SetFault("/quote/cut/profile", QuoteFault::DropMidBody(1500));
  EXPECT_TRUE(DownloadToFile(Url("/quote/cut/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), body.substr(0, 1500));

  // A stall in the middle of the body ends at the stall limit, well before
  // the server would go on.
  SetDownloadTimeouts({2, 1});
  server_.SetFault("/quote/cut/profile", QuoteFault::StallMidBody(1200, std::chrono::seconds(60)));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(DownloadToFile(Url("/quote/cut/profile"), scratch_));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(ReadFile(scratch_), body.substr(0, 1200));

  // A stall before any response is no response.
  server_.SetFault("/quote/cut/profile", QuoteFault::StallBeforeResponse(std::chrono::seconds(60)));
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(DownloadToFile(Url("/quote/cut/profile"), scratch_));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(std::filesystem::exists(scratch_));

  // A slow page that keeps moving is not a stall.
  server_.SetPage("/quote/slow/profile", Letters(200));
  server_.SetFault("/quote/slow/profile", QuoteFault::SlowTrickle(20, std::chrono::milliseconds(250)));
  EXPECT_TRUE(DownloadToFile(Url("/quote/slow/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), Letters(200));
}

TEST_F(DownloadTest, LargeBodyIsStreamedWhole) {
  constexpr std::size_t kSize = 12 * 1000 * 1000 + 345;
  server_.SetFault("/quote/big/profile", QuoteFault::LargeBody(kSize));
  ASSERT_TRUE(DownloadToFile(Url("/quote/big/profile"), scratch_));
  const auto stored = ReadFile(scratch_);
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(stored->size(), kSize);
  for (std::size_t i = 0; i < kSize; i += 99991) {
    ASSERT_EQ((*stored)[i], i % 100 == 99 ? '\n' : static_cast<char>('a' + i % 26)) << "at " << i;
  }
}

TEST_F(DownloadTest, IgnoresProxiesOfTheEnvironment) {
  const std::string deadProxy = "http://127.0.0.1:" + std::to_string(ClosedPort());
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
    SetEnvironment(name, deadProxy);
  }
  UnsetEnvironment("no_proxy");
  UnsetEnvironment("NO_PROXY");
  const bool fetched = DownloadToFile(Url("/quote/1301/profile"), scratch_);
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"}) {
    UnsetEnvironment(name);
  }
  EXPECT_TRUE(fetched);
  EXPECT_EQ(ReadFile(scratch_), ReadFile(kRoot + "/profile/1301.html"));
}

TEST_F(DownloadTest, FileThatCannotBeCreatedIsNoFailure) {
  EXPECT_TRUE(DownloadToFile(Url("/quote/1301/profile"), folder_.File("missing/folder/tmp.dat")));
  // The next download into a good path works as usual.
  EXPECT_TRUE(DownloadToFile(Url("/quote/1301/profile"), scratch_));
  EXPECT_EQ(ReadFile(scratch_), ReadFile(kRoot + "/profile/1301.html"));
}

TEST_F(DownloadTest, ReportsTheStatusAndTheClassOfFailure) {
  DownloadResult r;
  server_.SetFault("/quote/1/profile", QuoteFault::Redirect("/quote/1301/profile"));
  ASSERT_TRUE(DownloadToFile(Url("/quote/1/profile"), scratch_, &r));
  EXPECT_EQ(r.httpStatus, 200) << "the status of the page, not of the redirect";
  EXPECT_EQ(r.failure, DownloadFailure::kNone);
  EXPECT_TRUE(r.responded);

  server_.SetPage("/quote/busy/profile", "busy", 503);
  ASSERT_TRUE(DownloadToFile(Url("/quote/busy/profile"), scratch_, &r));
  EXPECT_EQ(r.httpStatus, 503);
  EXPECT_EQ(r.failure, DownloadFailure::kNone);

  // A body cut short keeps the status that came.
  server_.SetPage("/quote/cut/profile", Letters(2500));
  server_.SetFault("/quote/cut/profile", QuoteFault::DropMidBody(1500));
  ASSERT_TRUE(DownloadToFile(Url("/quote/cut/profile"), scratch_, &r));
  EXPECT_EQ(r.httpStatus, 200);
  EXPECT_EQ(r.failure, DownloadFailure::kDropped);
  EXPECT_FALSE(r.reason.empty());

  SetDownloadTimeouts({2, 1});
  server_.SetFault("/quote/cut/profile", QuoteFault::StallMidBody(1200, std::chrono::seconds(60)));
  ASSERT_TRUE(DownloadToFile(Url("/quote/cut/profile"), scratch_, &r));
  EXPECT_EQ(r.failure, DownloadFailure::kTimedOut);
  EXPECT_EQ(r.httpStatus, 200);
  server_.SetFault("/quote/cut/profile", QuoteFault::StallBeforeResponse(std::chrono::seconds(60)));
  ASSERT_FALSE(DownloadToFile(Url("/quote/cut/profile"), scratch_, &r));
  EXPECT_EQ(r.failure, DownloadFailure::kTimedOut);
  EXPECT_EQ(r.httpStatus, 0);
  EXPECT_FALSE(r.responded);

  ASSERT_FALSE(DownloadToFile("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", scratch_, &r));
  EXPECT_EQ(r.failure, DownloadFailure::kRefused);
  EXPECT_EQ(r.httpStatus, 0);

  // A scratch file that cannot be created is reported with the system's reason.
  ASSERT_TRUE(DownloadToFile(Url("/quote/1301/profile"), folder_.File("missing/tmp.dat"), &r));
  EXPECT_EQ(r.failure, DownloadFailure::kScratchFile);
  EXPECT_EQ(r.reason, "No such file or directory");
  EXPECT_EQ(r.httpStatus, 200);
}

// A one-shot HTTP responder on 127.0.0.1 that sends fixed bytes, for
// responses the quote server cannot produce (trailer fields).
class RawResponder {
 public:
  explicit RawResponder(std::string response)
      : response_(std::move(response)), listener_(LoopbackSocket::Listen()), port_(listener_.Port()) {
    thread_ = std::jthread([this] {
      const LoopbackSocket client = listener_.Accept();
      if (!client.Valid()) return;
      char buffer[4096];
      std::string request;
      while (request.find("\r\n\r\n") == std::string::npos) {
        const long n = client.Receive(buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      client.SendAll(response_);
      client.Shutdown();
    });
  }
  ~RawResponder() {
    listener_.Shutdown();
    thread_ = {};
  }
  RawResponder(const RawResponder&) = delete;
  RawResponder& operator=(const RawResponder&) = delete;
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/quote/1/profile"; }

 private:
  std::string response_;
  LoopbackSocket listener_;
  int port_ = 0;
  std::jthread thread_;
};

TEST(DownloadRawTest, TrailerFieldsAfterAChunkedBodyKeepThePage) {
  TempFolder folder;
  RawResponder responder(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-Check\r\nConnection: close\r\n\r\n"
      "5\r\nhello\r\n6\r\n world\r\n0\r\nX-Check: 1\r\n\r\n");
  ASSERT_TRUE(DownloadToFile(responder.Url(), folder.File("tmp.dat")));
  EXPECT_EQ(ReadFile(folder.File("tmp.dat")), "hello world");
}

// With the full range the value reveals the state (value = state - 1 for a
// state above 0), so concurrent callers must see distinct, chained states.
TEST(NextRandomTest, ThreadsShareOneSequenceWithoutLosingSteps) {
  constexpr int kThreads = 8;
  constexpr int kCalls = 5000;
  std::vector<std::vector<std::uint32_t>> seen(kThreads);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&seen, t] {
        for (int i = 0; i < kCalls; ++i) seen[t].push_back(NextRandom(0xFFFFFFFFu));
      });
    }
  }
  std::set<std::uint32_t> states;
  for (const auto& values : seen) {
    for (std::uint32_t value : values) states.insert(value + 1u);
  }
  ASSERT_EQ(states.size(), static_cast<std::size_t>(kThreads * kCalls)) << "a step was handed out twice";
  int withoutSuccessor = 0;
  for (std::uint32_t state : states) {
    if (states.count(state * 134775813u + 1u) == 0) ++withoutSuccessor;
  }
  EXPECT_EQ(withoutSuccessor, 1) << "the states do not form one unbroken run of the sequence";
}

}  // namespace
}  // namespace vantora
