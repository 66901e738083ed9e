// Test helpers whose system calls differ by platform: temporary folders,
// environment variables, the process number, and plain TCP sockets on
// 127.0.0.1 for responders and clients the quote server cannot play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace vantora::testing {

// A new, empty folder in the temporary folder, named `prefix` and six
// characters more; throws when it cannot be made.
std::filesystem::path NewTempFolder(const std::string& prefix);

// This process's environment variables, by name.
std::map<std::string, std::string> CurrentEnvironment();
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

long TestProcessId();

// A TCP socket of 127.0.0.1, closed when it goes.
class LoopbackSocket {
 public:
  // Bound to a free port and listening.
  static LoopbackSocket Listen();
  // Connected to `port`; not Valid() when that was refused.
  static LoopbackSocket Connect(int port);

  LoopbackSocket() = default;
  ~LoopbackSocket();
  LoopbackSocket(LoopbackSocket&& other) noexcept;
  LoopbackSocket& operator=(LoopbackSocket&& other) noexcept;
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  bool Valid() const { return socket_ != kNone; }
  int Port() const;
  // The next connection of a listening socket; not Valid() once Shutdown ended it.
  LoopbackSocket Accept() const;
  // Bytes received, 0 at the end of the stream, < 0 on a failure.
  long Receive(char* buffer, std::size_t size) const;
  void SendAll(const std::string& bytes) const;
  // Ends both directions (and a pending Accept).
  void Shutdown() const;

 private:
  static constexpr std::intptr_t kNone = -1;
  explicit LoopbackSocket(std::intptr_t socket) : socket_(socket) {}
  void Close();

  std::intptr_t socket_ = kNone;
};

// A port of 127.0.0.1 that refuses connections: bound to learn a free
// number, then closed without listening.
int RefusingPort();

}  // namespace vantora::testing
