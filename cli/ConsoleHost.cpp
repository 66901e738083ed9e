// The console host's callbacks. Without a synchronize hook they run on the
// worker thread itself while the job waits, so they may read the job state.
#include "cli/ConsoleHost.h"

#include <algorithm>
#include <utility>

#include "common/Charset.h"
#include "worker/Job.h"

namespace vantora::cli {

ConsoleHost::ConsoleHost(JobInputs inputs, ProgressView& view) : inputs_(std::move(inputs)), view_(view) {}

JobInputs ConsoleHost::Inputs() { return inputs_; }

void ConsoleHost::ResetProgress(int maximum) { view_.Reset(maximum); }

void ConsoleHost::StepProgress() {
  view_.Step();
  // Sector mode: the sectors before this one are done; code mode: the
  // record count of the status line tells.
  if (!inputs_.codeMode && view_.Maximum() > 0) {
    view_.SetFraction(static_cast<double>(view_.Position() - 1) / view_.Maximum());
  }
}

int ConsoleHost::ProgressPosition() { return view_.Position(); }

int ConsoleHost::ProgressMaximum() { return view_.Maximum(); }

void ConsoleHost::PlannedCompanies(int count) {
  // The site's pace: a pause of one second after every company's page.
  const int seconds = count;
  std::string time = seconds >= 3600 ? std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) + " min"
                     : seconds >= 60 ? std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s"
                                     : std::to_string(seconds) + " s";
  view_.Message("vantora-cli: " + std::to_string(count) + (count == 1 ? " company" : " companies") +
                " to read, about " + time + " at the site's pace");
}

void ConsoleHost::ShowStatus(const std::string& caption) {
  // Code mode counts records of the whole run; sector mode counts within the
  // current sector, which is one step of the bar.
  const JobState& job = Job();
  const double within = job.itemTotal > 0 ? static_cast<double>(job.itemCountDone) / job.itemTotal : 0.0;
  double fraction = within;
  if (!inputs_.codeMode) {
    const int maximum = view_.Maximum();
    fraction = maximum > 0 ? (std::max(view_.Position() - 1, 0) + within) / maximum : 0.0;
  }
  view_.Status(Cp932ToUtf8(caption), fraction);
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
