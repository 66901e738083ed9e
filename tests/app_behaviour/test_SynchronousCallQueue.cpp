// The synchronous call through the queue: a call that opens a "dialog"
// (runs the queue again from inside itself, as a modal loop does) lets
// another caller's call run and return meanwhile, so the lock is never held
// while a call runs; and every call runs on the GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/SynchronousCallQueue.h"

namespace vantora {
namespace {

// Runs the queue until `condition` holds (a hang guard, not a speed check).
template <typename Condition>
bool RunUntil(SynchronousCallQueue& queue, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    queue.RunQueued();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(SynchronousCallQueue, ACallInsideAModalLoopLetsAnotherCallerThrough) {
  std::atomic<int> wakes{0};
  SynchronousCallQueue queue([&] { ++wakes; });
  const std::thread::id gui = std::this_thread::get_id();
  std::atomic<bool> secondReturned{false};
  bool secondRanOnGui = false;
  bool secondReturnedInsideFirst = false;

  std::thread second;
  std::thread first([&] {
    queue.Call([&] {
      // The "dialog" of the first call: the second caller comes now and
      // must get through while this call is still running.
      second = std::thread([&] {
        queue.Call([&] { secondRanOnGui = std::this_thread::get_id() == gui; });
        secondReturned = true;
      });
      EXPECT_TRUE(RunUntil(queue, [&] { return secondReturned.load(); }));
      secondReturnedInsideFirst = secondReturned;
    });
  });
  ASSERT_TRUE(RunUntil(queue, [&] { return second.joinable() && secondReturned.load(); }));
  first.join();
  second.join();
  EXPECT_TRUE(secondRanOnGui);
  EXPECT_TRUE(secondReturnedInsideFirst);
  EXPECT_EQ(wakes.load(), 2);
}

}  // namespace
}  // namespace vantora
