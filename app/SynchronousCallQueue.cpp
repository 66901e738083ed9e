// The synchronous call through a mutex-guarded queue and a wake-up.
#include "app/SynchronousCallQueue.h"

#include "common/Thread.h"

namespace vantora {

SynchronousCallQueue::SynchronousCallQueue(std::function<void()> wake)
    : wake_(std::move(wake)), guiThread_(std::this_thread::get_id()) {}

void SynchronousCallQueue::InstallHook() {
  SetSynchronizeHook([this](const std::function<void()>& method) {
    if (std::this_thread::get_id() == guiThread_) {
      method();
      return;
    }
    Call(method);
  });
}

void SynchronousCallQueue::RemoveHook() { SetSynchronizeHook({}); }

void SynchronousCallQueue::Call(const std::function<void()>& method) {
  Pending pending{&method, false};
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(&pending);
  }
  if (wake_) wake_();
  // Waiting under the lock orders what the call wrote on the GUI thread
  // before what this thread reads next.
  std::unique_lock lock(mutex_);
  ran_.wait(lock, [&pending] { return pending.done; });
}

void SynchronousCallQueue::RunQueued() {
  for (;;) {
    Pending* pending = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      pending = queue_.front();
      queue_.pop_front();
    }
    (*pending->method)();
    {
      std::lock_guard lock(mutex_);
      pending->done = true;
    }
    ran_.notify_all();
  }
}

}  // namespace vantora
