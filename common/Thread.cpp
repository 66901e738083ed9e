#include "common/Thread.h"

#include <memory>
#include <utility>

namespace vantora {
namespace {

std::mutex& HookMutex() {
  static std::mutex m;
  return m;
}
SynchronizeHook& Hook() {
  static SynchronizeHook hook;
  return hook;
}

std::atomic<std::size_t> g_running{0};
thread_local TThread* t_current = nullptr;

}  // namespace

void SetSynchronizeHook(SynchronizeHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

void TThread::Synchronize(const std::function<void()>& method) {
  SynchronizeHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  if (hook)
    hook(method);
  else
    method();
}

TThread::TThread(bool /*createSuspended*/) {
  // Nothing starts here: a thread started from the base constructor could
  // call Execute before the derived object exists. A class created
  // not-suspended calls Start() at the end of its own constructor.
}

TThread::~TThread() { TerminateAndWait(); }

void TThread::TerminateAndWait() {
  std::thread self;
  {
    std::lock_guard lock(mutex_);
    self = std::move(thread_);
  }
  if (!self.joinable()) return;
  if (self.get_id() == std::this_thread::get_id()) {
    // Free-on-terminate: the thread deletes its own object.
    self.detach();
    return;
  }
  Terminate();
  self.join();
}

void TThread::Start() {
  std::lock_guard lock(mutex_);
  if (started_) return;
  started_ = true;
  g_running.fetch_add(1);
  // The new thread takes mutex_ before it runs Execute, so thread_ is set
  // before the body (and a free-on-terminate delete) can run.
  thread_ = std::thread([this] { ThreadMain(); });
}

void TThread::ThreadMain() {
  { std::lock_guard lock(mutex_); }
  t_current = this;
  try {
    Execute();
  } catch (...) {
    std::lock_guard lock(mutex_);
    fatal_ = std::current_exception();
  }
  t_current = nullptr;
  finished_.store(true);
  if (freeOnTerminate_.load()) delete this;  // the destructor detaches
  g_running.fetch_sub(1);
}

int TThread::WaitFor() {
  std::thread self;
  {
    std::lock_guard lock(mutex_);
    self = std::move(thread_);
  }
  if (self.joinable()) {
    if (self.get_id() == std::this_thread::get_id()) {
      // Waiting for oneself would never end: give the handle back.
      std::lock_guard lock(mutex_);
      thread_ = std::move(self);
      return returnValue_.load();
    }
    self.join();
  }
  return returnValue_.load();
}

std::exception_ptr TThread::FatalException() const {
  std::lock_guard lock(mutex_);
  return fatal_;
}

TThread* TThread::CurrentThread() { return t_current; }

std::size_t TThread::RunningCount() { return g_running.load(); }

}  // namespace vantora
