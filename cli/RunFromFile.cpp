// Resuming an interrupted run and asking again for the companies that
// failed: the worker's plans, with the CLI's words for a refusal.
#include "cli/RunFromFile.h"

#include "worker/ContinueRun.h"

namespace vantora::cli {
namespace {

constexpr int kRefused = 4;

// Says why a run from `target` cannot start ("resume", "retry").
void SayRefusal(const ContinuePlan& plan, const std::string& target, const char* what, ProgressView& view) {
  switch (plan.refusal) {
    case ContinueRefusal::kInUse:
      view.Message("vantora-cli: " + target + " is being written by another run");
      break;
    case ContinueRefusal::kUnreadable:
      view.Message(std::string("vantora-cli: cannot ") + what + ": " + plan.error);
      break;
    case ContinueRefusal::kOtherCodes:
      view.Message("vantora-cli: cannot resume: " + target + " was written for other codes");
      break;
    case ContinueRefusal::kNothingToRetry:
      view.Message("vantora-cli: every company of " + target + " is ok; nothing to read again");
      break;
    case ContinueRefusal::kNone:
      break;
  }
}

}  // namespace

int PrepareResume(const CliOptions& options, JobInputs& inputs, ProgressView& view) {
  const std::string& target = options.outputFile;
  const ContinuePlan plan = PlanResume(target, inputs);
  if (plan.refusal != ContinueRefusal::kNone) {
    SayRefusal(plan, target, "resume", view);
    return kRefused;
  }
  view.Message("vantora-cli: resuming " + target + ": " + std::to_string(plan.kept) +
               (plan.kept == 1 ? " record" : " records") + " kept");
  return 0;
}

int PrepareRetry(const CliOptions& options, const std::string& jobFile, JobInputs& inputs, ProgressView& view) {
  const std::string& target = options.outputFile;
  const ContinuePlan plan = PlanRetry(target, jobFile, inputs);
  if (plan.refusal == ContinueRefusal::kNone) return 0;
  SayRefusal(plan, target, "retry", view);
  return plan.refusal == ContinueRefusal::kNothingToRetry ? -1 : kRefused;
}

bool MergeRetry(const CliOptions& options, const std::string& jobFile, bool wentThrough, ProgressView& view) {
  std::string error;
  if (vantora::MergeRetry(options.outputFile, jobFile, wentThrough, error)) return true;
  view.Message("vantora-cli: cannot put the new records in place: " + error);
  return false;
}

}  // namespace vantora::cli
