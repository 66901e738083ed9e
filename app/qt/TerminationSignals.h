// SIGTERM, SIGINT and SIGHUP turned into an event of the GUI thread: the
// handler only writes one byte into a pipe (the self-pipe pattern); a socket
// notifier on the pipe's other end runs the program's reaction in the event
// loop, where Qt may be used.
#pragma once

#include <QObject>
#include <functional>

namespace vantora {

// Owns the pipe and the handlers for the three signals, and gives both back
// (the earlier handlers restored) when it goes. One at a time in a process.
// A signal that comes before a watcher exists waits in the pipe.
class TerminationSignals {
 public:
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe or a handler could not be set up (signals then keep
  // their earlier effect).
  bool Installed() const { return readFd_ >= 0; }
  int ReadFd() const { return readFd_; }
  // Reads away every byte waiting; returns how many signals came.
  int Drain() const;

 private:
  int readFd_ = -1;
  int writeFd_ = -1;
};

// Runs `onSignal` on the GUI thread after each burst of signals that
// `caught` holds. Create it with the application object in place;
// `caught` must outlive it.
class TerminationSignalWatcher final : public QObject {
  Q_OBJECT

 public:
  TerminationSignalWatcher(const TerminationSignals& caught, std::function<void()> onSignal,
                           QObject* parent = nullptr);
};

}  // namespace vantora
