// The CLI's process on Linux: SIGINT, SIGTERM and SIGHUP blocked in every
// thread and taken synchronously by sigtimedwait; SIGPIPE ignored.
#include "cli/ProcessEnvironment.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vantora::cli {
namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);  // the terminal went away
  return signals;
}

}  // namespace

void PrepareStopRequests() {
  // Blocked in the calling thread and so in every thread it starts later.
  const sigset_t signals = StopSignals();
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

void PrepareStandardStreams() {}

bool WaitForStopRequest(std::chrono::milliseconds wait) {
  const sigset_t signals = StopSignals();
  const timespec limit{static_cast<time_t>(wait.count() / 1000), static_cast<long>(wait.count() % 1000) * 1000 * 1000};
  const int signal = ::sigtimedwait(&signals, nullptr, &limit);
  return signal == SIGINT || signal == SIGTERM || signal == SIGHUP;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessGone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

std::string MakePrivateFolder(const std::string& prefix) {
  std::string pattern = prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

}  // namespace vantora::cli
