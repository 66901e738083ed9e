// The self-pipe for the termination signals and its socket notifier.
#include "app/qt/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>

namespace vantora {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe's writing end for the handler; a lock-free atomic is safe to read
// in a signal handler.
std::atomic<int> g_writeFd{-1};
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void OnTerminationSignal(int) {
  const int savedErrno = errno;
  const int fd = g_writeFd.load();
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already holds a byte waiting to be read: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  int expected = -1;
  if (!g_writeFd.compare_exchange_strong(expected, fds[1])) {
    // Another instance owns the handlers.
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (readFd_ < 0) return;
  // The handler stops writing before the earlier handlers come back.
  g_writeFd.store(-1);
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  ::close(writeFd_);
  ::close(readFd_);
}

int TerminationSignals::Drain() const {
  int count = 0;
  std::array<char, 64> buffer;
  for (;;) {
    const ssize_t n = ::read(readFd_, buffer.data(), buffer.size());
    if (n > 0) {
      count += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return count;
  }
}

TerminationSignalWatcher::TerminationSignalWatcher(const TerminationSignals& caught,
                                                   std::function<void()> onSignal, QObject* parent)
    : QObject(parent) {
  if (!caught.Installed()) return;
  auto* notifier = new QSocketNotifier(caught.ReadFd(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this,
          [&caught, onSignal = std::move(onSignal)] {
            if (caught.Drain() > 0 && onSignal) onSignal();
          });
}

}  // namespace vantora
