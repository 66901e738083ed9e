// TFrmMain as the worker's host: the input snapshot, the progress bar, the
// taskbar progress, the status label, the whole job's progress line and the
// completion callback, all run on the GUI thread through the worker's
// synchronous call.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>

#include "app/FrmMain.h"
#include "app/ProgressText.h"
#include "app/SjisText.h"
#include "app/TaskbarProgress.h"
#include "worker/Job.h"

namespace vantora {

namespace {

double Share(int done, int total) {
  return total <= 0 ? 0.0 : std::clamp(static_cast<double>(done) / total, 0.0, 1.0);
}

}  // namespace

JobInputs TFrmMain::Inputs() {
  JobInputs inputs;
  inputs.codeMode = chkCode->isChecked();
  inputs.codeText = ToSjis(txtCode->text());
  inputs.sectors.reserve(static_cast<std::size_t>(lstCtgr->count()));
  for (int i = 0; i < lstCtgr->count(); ++i) {
    const QListWidgetItem* item = lstCtgr->item(i);
    inputs.sectors.push_back({item->checkState() == Qt::Checked, ToSjis(item->text())});
  }
  inputs.outputFileName = QFile::encodeName(OutputFileName).toStdString();
  inputs.allListingPages = !inputs.codeMode && chkAllPages->isChecked();
  return inputs;
}

void TFrmMain::ResetProgress(int maximum) {
  prgBar->setRange(0, maximum);
  prgBar->setValue(0);
}

void TFrmMain::StepProgress() {
  // QProgressBar ignores values outside its range; a step past the end keeps
  // the bar full.
  prgBar->setValue(std::min(prgBar->value() + 1, prgBar->maximum()));
  // The bar counts items begun (codes, or sectors); those before this one
  // are done.
  ShowOverallProgress(Share(prgBar->value() - 1, prgBar->maximum()));
}

int TFrmMain::ProgressPosition() { return prgBar->value(); }

int TFrmMain::ProgressMaximum() { return prgBar->maximum(); }

void TFrmMain::SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  vantora::SetTaskbarProgressValue(completed, total);
}

void TFrmMain::ShowStatus(const std::string& caption) {
  SetStatusText(FromSjis(caption));
  // The job's counters are read while the worker waits for this callback.
  const JobState& job = Job();
  if (chkCode->isChecked()) {
    // Shown after each code's record.
    ShowOverallProgress(Share(job.itemCountDone, job.itemTotal));
  } else {
    // Shown as a sector's company is begun: the sectors before it and the
    // companies before it in this sector are done.
    const int sectorsDone = std::max(prgBar->value() - 1, 0);
    const double inSector = Share(job.itemCountDone - 1, job.itemTotal);
    ShowOverallProgress((sectorsDone + inSector) / std::max(prgBar->maximum(), 1));
  }
}

// The share never goes back within a run: the sector crawl learns a sector's
// size only once it has begun it.
void TFrmMain::ShowOverallProgress(double fraction) {
  const int permille = std::max(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000.0),
                                overallPermille_);
  lblTotal->setText(OverallProgressText(permille / 1000.0, runClock_.elapsed()));
  if (permille == overallPermille_) return;
  overallPermille_ = permille;
  emit overallProgressChanged(permille);
}

void TFrmMain::ReportOpenFailure() {
  dialogs_.MessageBox(this,
                      QString::fromUtf8(text::kNoOpener).arg(QDir::toNativeSeparators(OutputFileName)),
                      QString::fromUtf8(text::kCaptionFileError),
                      MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

}  // namespace vantora
