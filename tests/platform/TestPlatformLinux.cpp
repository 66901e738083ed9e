// The test helpers on Linux: mkdtemp, setenv, BSD sockets.
#include "tests/platform/TestPlatform.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace vantora::testing {

std::filesystem::path NewTempFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::map<std::string, std::string> CurrentEnvironment() {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const auto eq = text.find('=');
    if (eq != std::string::npos) variables[text.substr(0, eq)] = text.substr(eq + 1);
  }
  return variables;
}

void SetEnvironment(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
void UnsetEnvironment(const std::string& name) { ::unsetenv(name.c_str()); }

long TestProcessId() { return static_cast<long>(::getpid()); }

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

}  // namespace

LoopbackSocket LoopbackSocket::Listen() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(fd, 4);
  return LoopbackSocket(fd);
}

LoopbackSocket LoopbackSocket::Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return {};
  }
  return LoopbackSocket(fd);
}

LoopbackSocket::~LoopbackSocket() { Close(); }

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept : socket_(std::exchange(other.socket_, kNone)) {}

LoopbackSocket& LoopbackSocket::operator=(LoopbackSocket&& other) noexcept {
  if (this != &other) {
    Close();
    socket_ = std::exchange(other.socket_, kNone);
  }
  return *this;
}

void LoopbackSocket::Close() {
  if (socket_ != kNone) ::close(static_cast<int>(socket_));
  socket_ = kNone;
}

int LoopbackSocket::Port() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(static_cast<int>(socket_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

LoopbackSocket LoopbackSocket::Accept() const {
  const int client = ::accept(static_cast<int>(socket_), nullptr, nullptr);
  return client < 0 ? LoopbackSocket() : LoopbackSocket(client);
}

long LoopbackSocket::Receive(char* buffer, std::size_t size) const {
  return static_cast<long>(::recv(static_cast<int>(socket_), buffer, size, 0));
}

void LoopbackSocket::SendAll(const std::string& bytes) const {
  ::send(static_cast<int>(socket_), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void LoopbackSocket::Shutdown() const { ::shutdown(static_cast<int>(socket_), SHUT_RDWR); }

int RefusingPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

}  // namespace vantora::testing
