// vantora-quote-server: serves a folder of quote-site pages on 127.0.0.1
// until interrupted, printing its base address on the first line of output.
//   vantora-quote-server --root DIR [--port N] [--fault TARGET=FAULT]... [--random-faults RATE[:SEED]]
// FAULT is one of status:N[:RETRY-AFTER[:TIMES]], empty[:N], drop:BYTES,
// stall:MS, stall-body:BYTES:MS, trickle:BYTES:MS, large:BYTES,
// redirect:LOCATION (see QuoteFault::Parse). --random-faults fails listing and
// profile requests at random, RATE (at most 1/6) for each fault class.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/quote_server/QuoteServer.h"

namespace {

int Usage(const char* message) {
  if (message != nullptr) std::cerr << "vantora-quote-server: " << message << "\n";
  std::cerr << "usage: vantora-quote-server --root DIR [--port N] [--fault TARGET=FAULT]...\n"
               "                            [--random-faults RATE[:SEED]]\n"
               "  FAULT: status:N[:RETRY-AFTER[:TIMES]] | empty[:N] | drop:BYTES | stall:MS |\n"
               "         stall-body:BYTES:MS | trickle:BYTES:MS | large:BYTES | redirect:LOCATION\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string root;
  int port = 0;
  std::vector<std::pair<std::string, vantora::QuoteFault>> faults;
  double randomRate = 0;
  unsigned randomSeed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
      return 0;
    }
    if (arg == "--fault" && i + 1 < argc) {
      const std::string value = argv[++i];
      const std::size_t eq = value.find('=');
      if (eq == std::string::npos || eq == 0) return Usage("--fault needs TARGET=FAULT");
      try {
        faults.emplace_back(value.substr(0, eq), vantora::QuoteFault::Parse(value.substr(eq + 1)));
      } catch (const std::invalid_argument& error) {
        return Usage(error.what());
      }
      continue;
    }
    if (arg == "--random-faults" && i + 1 < argc) {
      const std::string value = argv[++i];
      char* end = nullptr;
      randomRate = std::strtod(value.c_str(), &end);
      if (*end == ':') randomSeed = static_cast<unsigned>(std::strtoul(end + 1, &end, 10));
      if (value.empty() || *end != '\0' || !(randomRate >= 0 && randomRate * 6 <= 1))
        return Usage("--random-faults needs RATE (0 to 1/6) and an optional :SEED");
      continue;
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
    for (const auto& [target, fault] : faults) server.SetFault(target, fault);
    server.SetRandomFaults(randomRate, randomSeed);
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
