// The test helpers on Windows: CreateDirectoryW, _wputenv_s, Winsock (set
// up once for the test program).
#include "tests/platform/TestPlatform.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <random>
#include <stdexcept>
#include <utility>

#include "common/Charset.h"

namespace vantora::testing {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  return address;
}

SOCKET Raw(std::intptr_t socket) { return static_cast<SOCKET>(socket); }

}  // namespace

std::filesystem::path NewTempFolder(const std::string& prefix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    if (std::filesystem::create_directory(folder)) return folder;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

std::map<std::string, std::string> CurrentEnvironment() {
  std::map<std::string, std::string> variables;
  const wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::wstring wide(entry);
    const std::string text = Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
    const auto eq = text.find('=', 1);  // "=C:=C:\\..." entries begin with '='
    if (eq != std::string::npos && text[0] != '=') variables[text.substr(0, eq)] = text.substr(eq + 1);
  }
  if (block != nullptr) ::FreeEnvironmentStringsW(const_cast<wchar_t*>(block));
  return variables;
}

void SetEnvironment(const std::string& name, const std::string& value) {
  ::_wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}
void UnsetEnvironment(const std::string& name) { ::_wputenv_s(Wide(name).c_str(), L""); }

long TestProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

LoopbackSocket LoopbackSocket::Listen() {
  StartWinsock();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(0);
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(s, 4);
  return LoopbackSocket(static_cast<std::intptr_t>(s));
}

LoopbackSocket LoopbackSocket::Connect(int port) {
  StartWinsock();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(port);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    return {};
  }
  return LoopbackSocket(static_cast<std::intptr_t>(s));
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
  if (socket_ != kNone) ::closesocket(Raw(socket_));
  socket_ = kNone;
}

int LoopbackSocket::Port() const {
  sockaddr_in address{};
  int length = sizeof address;
  if (::getsockname(Raw(socket_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

LoopbackSocket LoopbackSocket::Accept() const {
  const SOCKET client = ::accept(Raw(socket_), nullptr, nullptr);
  return client == INVALID_SOCKET ? LoopbackSocket() : LoopbackSocket(static_cast<std::intptr_t>(client));
}

long LoopbackSocket::Receive(char* buffer, std::size_t size) const {
  return ::recv(Raw(socket_), buffer, static_cast<int>(size), 0);
}

void LoopbackSocket::SendAll(const std::string& bytes) const {
  ::send(Raw(socket_), bytes.data(), static_cast<int>(bytes.size()), 0);
}

// A listening socket blocked in accept wakes only when it is closed.
void LoopbackSocket::Shutdown() const { ::shutdown(Raw(socket_), SD_BOTH); }

int RefusingPort() {
  StartWinsock();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(0);
  int length = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::closesocket(s);
  return port;
}

}  // namespace vantora::testing
