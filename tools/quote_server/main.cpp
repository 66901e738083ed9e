// vantora-quote-server: serves a folder of quote-site pages on 127.0.0.1
// until interrupted, printing its base address on the first line of output.
//   vantora-quote-server --root DIR [--port N]
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

#include "tools/quote_server/QuoteServer.h"

namespace {

int Usage(const char* message) {
  if (message != nullptr) std::cerr << "vantora-quote-server: " << message << "\n";
  std::cerr << "usage: vantora-quote-server --root DIR [--port N]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string root;
  int port = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
      return 0;
    }
    if ((arg == "--root" || arg == "--port") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--root") {
        root = value;
        continue;
      }
      char* end = nullptr;
      const long number = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || number < 0 || number > 65535) return Usage("bad port");
      port = static_cast<int>(number);
      continue;
    }
    return Usage(("unexpected argument: " + arg).c_str());
  }
  if (root.empty()) return Usage("--root is required");

  // The signals are taken synchronously, so the server stops in main's thread.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  try {
    vantora::QuoteServer server(root, port);
    std::cout << server.BaseUrl() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
  } catch (const std::exception& error) {
    std::cerr << "vantora-quote-server: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
