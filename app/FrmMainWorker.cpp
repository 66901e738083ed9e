// TFrmMain as the worker's host: the input snapshot, the progress bar, the
// taskbar progress, the status label and the completion callback, all run on
// the GUI thread through the worker's synchronous call.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>

#include "app/FrmMain.h"
#include "app/SjisText.h"
#include "app/TaskbarProgress.h"

namespace vantora {

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
}

int TFrmMain::ProgressPosition() { return prgBar->value(); }

int TFrmMain::ProgressMaximum() { return prgBar->maximum(); }

void TFrmMain::SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  vantora::SetTaskbarProgressValue(completed, total);
}

void TFrmMain::ShowStatus(const std::string& caption) { SetStatusText(FromSjis(caption)); }

}  // namespace vantora
