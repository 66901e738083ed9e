// The worker's synchronous call onto a GUI thread that has no blocking
// queued call of its own toolkit (the Win32 view; the tests' fake view): a
// caller queues its call under a mutex, wakes the GUI thread and waits until
// the GUI thread has run it. The GUI thread runs every queued call when woken
// (and whenever it likes), without holding the lock while a call runs, since
// a call may open a dialog whose own message loop runs further calls.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vantora {

class SynchronousCallQueue {
 public:
  // `wake` asks the GUI thread to run RunQueued soon; it is called on the
  // caller's thread and may block until the GUI thread has done so.
  explicit SynchronousCallQueue(std::function<void()> wake);

  // The GUI thread is the one that constructs the queue unless set here.
  void SetGuiThread(std::thread::id id) { guiThread_ = id; }
  // Installs the worker's synchronous-call hook for this process so that
  // callbacks from other threads go through this queue (and those on the GUI
  // thread run at once). The queue must outlive the hook; RemoveHook undoes it.
  void InstallHook();
  static void RemoveHook();

  // Runs `method` on the GUI thread and returns once it has run.
  void Call(const std::function<void()>& method);
  // On the GUI thread: runs the calls queued so far, and any queued meanwhile.
  void RunQueued();

 private:
  struct Pending {
    const std::function<void()>* method;
    bool done;
  };
  std::function<void()> wake_;
  std::thread::id guiThread_;
  std::mutex mutex_;
  std::condition_variable ran_;
  std::deque<Pending*> queue_;
};

}  // namespace vantora
