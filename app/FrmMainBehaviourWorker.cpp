// TFrmMain as the worker's host: the input snapshot, the progress bar, the
// taskbar progress, the status label, the whole job's progress line and the
// completion callback, all run on the GUI thread through the worker's
// synchronous call.
#include <algorithm>

#include "app/FrmMainBehaviour.h"
#include "common/FileName.h"
#include "app/ProgressText.h"
#include "app/TextConversions.h"
#include "worker/Job.h"

namespace vantora {

namespace {

double Share(int done, int total) {
  return total <= 0 ? 0.0 : std::clamp(static_cast<double>(done) / total, 0.0, 1.0);
}

}  // namespace

JobInputs FrmMainBehaviour::Inputs() {
  // A resume or a retry planned its inputs from the file before it started.
  if (plannedInputs_) {
    JobInputs planned = std::move(*plannedInputs_);
    plannedInputs_.reset();
    return planned;
  }
  JobInputs inputs;
  inputs.codeMode = view_.Checked(Ctl::chkCode);
  inputs.codeText = ToSjis(view_.Text(Ctl::txtCode));
  const int count = view_.SectorCount();
  inputs.sectors.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) inputs.sectors.push_back({view_.SectorTicked(i), ToSjis(SectorNameUtf8(i))});
  inputs.outputFileName = OutputFileName;
  inputs.allListingPages = !inputs.codeMode && view_.Checked(Ctl::chkAllPages);
  return inputs;
}

void FrmMainBehaviour::ResetProgress(int maximum) {
  view_.SetBarRange(maximum);
  view_.SetBarPosition(0);
}

void FrmMainBehaviour::StepProgress() {
  // A step past the end keeps the bar full.
  view_.SetBarPosition(std::min(view_.BarPosition() + 1, view_.BarMaximum()));
  // The bar counts items begun (codes, or sectors); those before this one
  // are done.
  ShowOverallProgress(Share(view_.BarPosition() - 1, view_.BarMaximum()));
}

int FrmMainBehaviour::ProgressPosition() { return view_.BarPosition(); }

int FrmMainBehaviour::ProgressMaximum() { return view_.BarMaximum(); }

void FrmMainBehaviour::SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  view_.SetTaskbarValue(completed, total);
}

void FrmMainBehaviour::ShowStatus(const std::string& caption) {
  view_.SetText(Ctl::lblStatus, FromSjis(caption));
  // The job's counters are read while the worker waits for this callback.
  const JobState& job = Job();
  if (view_.Checked(Ctl::chkCode)) {
    // Shown after each code's record.
    ShowOverallProgress(Share(job.itemCountDone, job.itemTotal));
  } else {
    // Shown as a sector's company is begun: the sectors before it and the
    // companies before it in this sector are done.
    const int sectorsDone = std::max(view_.BarPosition() - 1, 0);
    const double inSector = Share(job.itemCountDone - 1, job.itemTotal);
    ShowOverallProgress((sectorsDone + inSector) / std::max(view_.BarMaximum(), 1));
  }
}

long long FrmMainBehaviour::RunMilliseconds() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - runStart_)
      .count();
}

// The share never goes back within a run: the sector crawl learns a sector's
// size only once it has begun it.
void FrmMainBehaviour::ShowOverallProgress(double fraction) {
  const int permille = std::max(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000.0), overallPermille_);
  view_.SetText(Ctl::lblTotal, OverallProgressText(permille / 1000.0, RunMilliseconds()));
  if (permille == overallPermille_) return;
  overallPermille_ = permille;
  view_.OverallProgressChanged(permille);
}

}  // namespace vantora
