// A small thread class over std::thread that stands in for the framework's
// TThread: suspended creation, free-on-terminate, Start, Terminate/Terminated,
// WaitFor, and a synchronous call into the GUI thread.
//
// The synchronous call goes through one process-wide hook. The GUI sets it to
// a blocking queued call onto its own thread (Qt: QMetaObject::invokeMethod(
// ..., Qt::BlockingQueuedConnection)); the hook must run the callback directly
// when it is called on the GUI thread itself. Without a hook, Synchronize runs
// the callback directly on the calling thread (tests, the CLI).
//
// No Qt here: this header is used by the worker, the CLI and the GUI.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vantora {

// Runs `method` on the GUI thread and returns once it has run.
using SynchronizeHook = std::function<void(const std::function<void()>& method)>;

// Installs the process-wide hook (an empty function removes it). Safe to call
// from any thread; a call already in progress keeps the hook it started with.
void SetSynchronizeHook(SynchronizeHook hook);

class TThread {
 public:
  // createSuspended = true: nothing runs until Start().
  // createSuspended = false: the thread cannot start from this base
  // constructor (the derived object is not built yet); the most-derived class
  // calls Start() at the end of its own constructor (TMyThread does).
  explicit TThread(bool createSuspended);

  // For an object that is not free-on-terminate: asks the thread to terminate
  // and waits for it. A free-on-terminate object deletes itself when its
  // thread ends; do not delete it yourself once it has been started.
  // A derived class calls TerminateAndWait() first in its own destructor:
  // by the time this base destructor runs, the derived part is gone and a
  // body still running would use a destroyed object.
  virtual ~TThread();

  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread body (Execute) once; later calls do nothing.
  void Start();
  void Resume() { Start(); }

  // The object deletes itself right after Execute returns. Set it before
  // Start(); WaitFor must not be used on such an object.
  void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
  bool FreeOnTerminate() const { return freeOnTerminate_.load(); }

  // Sets the termination request; the thread body polls Terminated().
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }

  // True once Execute has returned (or thrown).
  bool Finished() const { return finished_.load(); }

  // Waits until the thread body has ended and returns ReturnValue. Returns at
  // once for a thread never started. Not for free-on-terminate objects, and
  // not from the thread itself.
  int WaitFor();

  int ReturnValue() const { return returnValue_.load(); }

  // An exception that escaped Execute (the thread catches it), or null.
  std::exception_ptr FatalException() const;

  // The TThread whose body runs on the calling thread, or null on any other
  // thread (the GUI thread, a test's main thread).
  static TThread* CurrentThread();

  // Runs `method` through the process-wide hook and waits until it has run.
  // Exceptions thrown by `method` reach the caller only without a hook.
  static void Synchronize(const std::function<void()>& method);

  // Number of thread bodies started and not yet fully ended (for a
  // free-on-terminate object: not yet deleted). Tests use it to wait.
  static std::size_t RunningCount();

 protected:
  // The thread body.
  virtual void Execute() = 0;
  void SetReturnValue(int value) { returnValue_.store(value); }
  // Terminate() and wait for the body to end; does nothing on the thread
  // itself (free-on-terminate) or for a thread never started.
  void TerminateAndWait();

 private:
  void ThreadMain();

  mutable std::mutex mutex_;  // guards thread_, started_ and fatal_
  std::thread thread_;
  bool started_ = false;
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<int> returnValue_{0};
  std::exception_ptr fatal_;
};

}  // namespace vantora
