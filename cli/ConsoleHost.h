// The retrieval job's host without a window: fixed inputs from the command
// line, progress and status drawn on standard error, and a completion that
// the main thread waits for.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "cli/ProgressView.h"
#include "worker/JobHost.h"

namespace vantora::cli {

class ConsoleHost final : public JobHost {
 public:
  ConsoleHost(JobInputs inputs, ProgressView& view);

  JobInputs Inputs() override;
  void ResetProgress(int maximum) override;
  void StepProgress() override;
  int ProgressPosition() override;
  int ProgressMaximum() override;
  bool TaskbarReady() override { return false; }
  void SetTaskbarProgressValue(std::uint64_t, std::uint64_t) override {}
  void ShowStatus(const std::string& caption) override;
  void PlannedCompanies(int count) override;
  void JobCompleted(TMyThread* sender) override;
  std::atomic<bool>& IsRunning() override { return isRunning_; }
  std::atomic<int>& ResultCode() override { return resultCode_; }

  // Waits up to `timeout` for the completion callback; true once it has run.
  bool WaitCompleted(std::chrono::milliseconds timeout);

 private:
  const JobInputs inputs_;
  ProgressView& view_;
  std::atomic<bool> isRunning_{false};
  std::atomic<int> resultCode_{kResultNothingFound};
  std::mutex mutex_;
  std::condition_variable completedSignal_;
  bool completed_ = false;
};

}  // namespace vantora::cli
