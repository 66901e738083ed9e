// Certificate failures against a TLS server on 127.0.0.1 (the openssl
// tool's test server with certificates made for the test): a certificate
// nobody vouches for, one for another host name, one that has expired, each
// reported as its own class; a good one gives the page.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DownloadTestSupport.h"
#include "common/Download.h"

namespace vantora {
namespace {

using testing::ClosedPort;
using testing::TempFolder;

bool Shell(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// `openssl s_server -www` with one certificate, stopped at the end.
class TlsServer {
 public:
  TlsServer(const std::string& cert, const std::string& key) : port_(ClosedPort()) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const std::string accept = "127.0.0.1:" + std::to_string(port_);
      ::execlp("openssl", "openssl", "s_server", "-quiet", "-www", "-accept", accept.c_str(), "-cert", cert.c_str(),
               "-key", key.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200 && !Accepts(port_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ~TlsServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TlsServer(const TlsServer&) = delete;
  TlsServer& operator=(const TlsServer&) = delete;
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int port_;
  pid_t pid_ = -1;
};

class DownloadTlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Shell("openssl version")) GTEST_SKIP() << "the openssl tool is not installed";
    SetDownloadTimeouts({5, 5});
    // A CA of the test, and server certificates it signs.
    ASSERT_TRUE(Shell("cd " + dir_ + " && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem "
                    "-subj /CN=TestCA -days 2"));
    Sign("good", "IP:127.0.0.1", 2);
    Sign("other", "DNS:other.test", 2);
    Sign("expired", "IP:127.0.0.1", 0);  // valid until this very second
    ASSERT_TRUE(Shell("cd " + dir_ + " && openssl req -x509 -newkey rsa:2048 -nodes -keyout self.key -out self.pem "
                    "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -days 2"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // past the expiry
  }
  void TearDown() override {
    SetDownloadTimeouts({});
    SetDownloadCaFile({});
  }

  void Sign(const std::string& name, const std::string& san, int days) {
    ASSERT_TRUE(Shell("cd " + dir_ + " && openssl req -newkey rsa:2048 -nodes -keyout " + name + ".key -out " + name +
                    ".csr -subj /CN=" + name + " && printf 'subjectAltName=" + san + "\\n' > " + name +
                    ".ext && openssl x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -out " +
                    name + ".pem -days " + std::to_string(days) + " -extfile " + name + ".ext"));
  }
  DownloadResult Fetch(const std::string& cert) {
    TlsServer server(dir_ + "/" + cert + ".pem", dir_ + "/" + cert + ".key");
    DownloadResult result;
    DownloadToFile(server.Url(), folder_.File("tmp.dat"), &result);
    return result;
  }

  TempFolder folder_;
  std::string dir_ = folder_.File("");
};

TEST_F(DownloadTlsTest, EachCertificateFailureHasItsClass) {
  // The system's trust store knows neither the test CA nor the self-signed
  // certificate.
  DownloadResult r = Fetch("self");
  EXPECT_EQ(r.failure, DownloadFailure::kTlsUntrusted) << r.reason;
  EXPECT_FALSE(r.responded);
  r = Fetch("good");
  EXPECT_EQ(r.failure, DownloadFailure::kTlsUntrusted) << r.reason;

  SetDownloadCaFile(dir_ + "/ca.pem");
  r = Fetch("good");
  EXPECT_EQ(r.failure, DownloadFailure::kNone) << r.reason;
  EXPECT_EQ(r.httpStatus, 200);
  r = Fetch("other");
  EXPECT_EQ(r.failure, DownloadFailure::kTlsHostMismatch) << r.reason;
  r = Fetch("expired");
  EXPECT_EQ(r.failure, DownloadFailure::kTlsExpired) << r.reason;
  EXPECT_EQ(r.httpStatus, 0);
}

}  // namespace
}  // namespace vantora
