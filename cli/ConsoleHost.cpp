// The console host's callbacks. Without a synchronize hook they run on the
// worker thread itself while the job waits, so they may read the job state.
#include "cli/ConsoleHost.h"

#include <utility>

#include "common/Charset.h"
#include "worker/Job.h"

namespace vantora::cli {

ConsoleHost::ConsoleHost(JobInputs inputs, ProgressView& view) : inputs_(std::move(inputs)), view_(view) {}

JobInputs ConsoleHost::Inputs() { return inputs_; }

void ConsoleHost::ResetProgress(int maximum) { view_.Reset(maximum); }

void ConsoleHost::StepProgress() { view_.Step(); }

int ConsoleHost::ProgressPosition() { return view_.Position(); }

int ConsoleHost::ProgressMaximum() { return view_.Maximum(); }

void ConsoleHost::ShowStatus(const std::string& caption) {
  const JobState& job = Job();
  view_.Status(Cp932ToUtf8(caption), job.itemCountDone, job.itemTotal);
}

void ConsoleHost::JobCompleted(TMyThread* /*sender*/) {
  {
    std::lock_guard lock(mutex_);
    completed_ = true;
  }
  completedSignal_.notify_all();
}

bool ConsoleHost::WaitCompleted(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return completedSignal_.wait_for(lock, timeout, [this] { return completed_; });
}

}  // namespace vantora::cli
