// The thread class: suspended creation, free-on-terminate, the termination
// request, WaitFor, and Synchronize with and without the GUI hook.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "common/Thread.h"

using namespace vantora;
using namespace std::chrono_literals;

namespace {

class FnThread : public TThread {
 public:
  explicit FnThread(std::function<void(FnThread&)> body, std::atomic<bool>* destroyed = nullptr)
      : TThread(true), body_(std::move(body)), destroyed_(destroyed) {}
  ~FnThread() override {
    TerminateAndWait();
    if (destroyed_ != nullptr) destroyed_->store(true);
  }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(FnThread&)> body_;
  std::atomic<bool>* destroyed_;
};

// A stand-in GUI thread: runs queued calls one at a time; the hook blocks the
// caller until its call has run, as a blocking queued connection does.
class FakeGuiThread {
 public:
  FakeGuiThread() : thread_([this] { Loop(); }) {}
  ~FakeGuiThread() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  std::thread::id Id() const { return thread_.get_id(); }
  void Call(const std::function<void()>& method) {
    std::promise<void> done;
    {
      std::lock_guard lock(mutex_);
      queue_.push_back([&] {
        method();
        done.set_value();
      });
    }
    cv_.notify_all();
    done.get_future().wait();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    while (true) {
      cv_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (queue_.empty()) return;
      auto f = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      f();
      lock.lock();
    }
  }
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  bool stop_ = false;
  std::thread thread_;
};

bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

}  // namespace

TEST(Thread, SuspendedThreadRunsOnlyAfterStartAndOnce) {
  std::atomic<int> runs{0};
  FnThread t([&](FnThread& self) {
    ++runs;
    self.SetReturnValue(42);
  });
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(runs.load(), 0);
  EXPECT_FALSE(t.Finished());
  t.Start();
  t.Start();
  EXPECT_EQ(t.WaitFor(), 42);
  EXPECT_EQ(runs.load(), 1);
  EXPECT_TRUE(t.Finished());
}

TEST(Thread, NeverStartedThreadIsDestroyedAndWaitReturns) {
  FnThread t([](FnThread&) { FAIL() << "must not run"; });
  EXPECT_EQ(t.WaitFor(), 0);
}

TEST(Thread, TerminateSetsTheFlagTheBodyPolls) {
  std::atomic<bool> inside{false};
  FnThread t([&](FnThread& self) {
    inside = true;
    while (!self.Terminated()) std::this_thread::sleep_for(1ms);
  });
  EXPECT_FALSE(t.Terminated());
  t.Start();
  ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
  t.Terminate();
  t.WaitFor();
  EXPECT_TRUE(t.Terminated());
}

TEST(Thread, DestroyingARunningThreadTerminatesAndJoinsIt) {
  std::atomic<bool> ended{false};
  {
    FnThread t([&](FnThread& self) {
      while (!self.Terminated()) std::this_thread::sleep_for(1ms);
      ended = true;
    });
    t.Start();
  }
  EXPECT_TRUE(ended.load());
}

TEST(Thread, FreeOnTerminateDeletesItselfWhenTheBodyEnds) {
  std::atomic<bool> destroyed{false};
  std::atomic<bool> release{false};
  auto* t = new FnThread(
      [&](FnThread&) {
        while (!release) std::this_thread::sleep_for(1ms);
      },
      &destroyed);
  t->SetFreeOnTerminate(true);
  const std::size_t before = TThread::RunningCount();
  t->Start();
  EXPECT_EQ(TThread::RunningCount(), before + 1);
  EXPECT_FALSE(destroyed.load());
  release = true;
  ASSERT_TRUE(WaitUntil([&] { return TThread::RunningCount() == before; }));
  EXPECT_TRUE(destroyed.load());
}

TEST(Thread, FreeOnTerminateWithAnInstantBodyIsSafe) {
  // The body may end before Start() has returned; the object must still be
  // deleted exactly once, after the handle was stored.
  for (int i = 0; i < 200; ++i) {
    std::atomic<bool> destroyed{false};
    auto* t = new FnThread([](FnThread&) {}, &destroyed);
    t->SetFreeOnTerminate(true);
    t->Start();
    ASSERT_TRUE(WaitUntil([&] { return destroyed.load(); }));
  }
  ASSERT_TRUE(WaitUntil([] { return TThread::RunningCount() == 0; }));
}

TEST(Thread, ExceptionInTheBodyIsKeptNotThrown) {
  FnThread t([](FnThread&) { throw std::runtime_error("boom"); });
  t.Start();
  t.WaitFor();
  ASSERT_TRUE(t.FatalException() != nullptr);
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

TEST(Thread, CurrentThreadIsTheRunningObject) {
  EXPECT_EQ(TThread::CurrentThread(), nullptr);
  TThread* seen = nullptr;
  FnThread t([&](FnThread&) { seen = TThread::CurrentThread(); });
  t.Start();
  t.WaitFor();
  EXPECT_EQ(seen, &t);
}

TEST(Thread, SynchronizeWithoutHookRunsDirectly) {
  SetSynchronizeHook(nullptr);
  std::thread::id ranOn;
  FnThread t([&](FnThread&) { TThread::Synchronize([&] { ranOn = std::this_thread::get_id(); }); });
  t.Start();
  t.WaitFor();
  EXPECT_NE(ranOn, std::thread::id());
  EXPECT_NE(ranOn, std::this_thread::get_id());
  bool ran = false;
  TThread::Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(Thread, SynchronizeThroughTheHookRunsOnTheGuiThreadAndWaits) {
  FakeGuiThread gui;
  SetSynchronizeHook([&gui](const std::function<void()>& m) { gui.Call(m); });
  std::thread::id ranOn;
  std::atomic<bool> callbackDone{false};
  bool sawDoneAfterReturn = false;
  FnThread t([&](FnThread&) {
    TThread::Synchronize([&] {
      ranOn = std::this_thread::get_id();
      std::this_thread::sleep_for(20ms);
      callbackDone = true;
    });
    sawDoneAfterReturn = callbackDone.load();
  });
  t.Start();
  t.WaitFor();
  SetSynchronizeHook(nullptr);
  EXPECT_EQ(ranOn, gui.Id());
  EXPECT_TRUE(sawDoneAfterReturn);
}
