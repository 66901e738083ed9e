// TFrmMain's end messages about what a run could not read: the open-file
// question naming the report when some companies failed, the nothing-found
// message with the listings that failed, and the messages of a cancelled run
// and of a job that stopped itself (pages of another layout, a scratch file
// or an output file that could not be written). A run in which every page was read keeps
// the plain messages.
#include <QFile>

#include "app/FrmMain.h"
#include "worker/JobSummary.h"
#include "worker/Outcome.h"

namespace vantora {

QString TFrmMain::ReportFileName() const {
  return QFile::decodeName(QByteArray::fromStdString(ReportPathFor(QFile::encodeName(OutputFileName).toStdString())));
}

void TFrmMain::AskOpenFinishedFile(const QString& question) {
  if (Ask(question, text::kCaptionOpen, true) != IDYES) return;
  if (QFile::exists(OutputFileName)) {
    if (!dialogs_.OpenDocument(OutputFileName)) ReportOpenFailure();
  } else {
    ShowInfo(text::kFileMissing, text::kCaptionFileError);
  }
}

QString TFrmMain::NotAllReadQuestion() const {
  const JobSummary& summary = LastJobSummary();
  QString question = QString::fromUtf8(text::kAskOpenNotAllRead).arg(summary.CompaniesNotOk()).arg(ReportFileName());
  if (summary.listingsNotOk > 0)
    question.prepend(QString::fromUtf8(text::kListingsNotRead).arg(summary.listingsNotOk) + QLatin1Char('\n'));
  return question;
}

QString TFrmMain::NothingFoundMessage() const {
  const JobSummary& summary = LastJobSummary();
  QString message = QString::fromUtf8(text::kNothingFound);
  if (summary.listingsNotOk > 0) {
    message += QLatin1Char('\n') + QString::fromUtf8(text::kListingsNotRead).arg(summary.listingsNotOk) +
               QLatin1Char('\n') + QString::fromUtf8(text::kSeeReport).arg(ReportFileName());
  }
  return message;
}

QString TFrmMain::CancelledMessage() const {
  return QString::fromUtf8(text::kCancelledKept).arg(LastJobSummary().records).arg(OutputFileName);
}

QString TFrmMain::LayoutStoppedMessage() const {
  return QString::fromUtf8(text::kLayoutStopped)
      .arg(LastJobSummary().records)
      .arg(OutputFileName, ReportFileName());
}

QString TFrmMain::SiteRefusingMessage() const {
  return QString::fromUtf8(text::kSiteRefusing).arg(LastJobSummary().records).arg(OutputFileName);
}

QString TFrmMain::WriteFailedMessage() const {
  const JobSummary& summary = LastJobSummary();
  return QString::fromUtf8(text::kWriteFailed)
      .arg(OutputFileName, QString::fromStdString(summary.reason))
      .arg(summary.records);
}

QString TFrmMain::ScratchStoppedMessage() const {
  const JobSummary& summary = LastJobSummary();
  return QString::fromUtf8(text::kScratchStopped)
      .arg(QFile::decodeName(QByteArray::fromStdString(summary.scratchFolder)),
           QString::fromStdString(summary.reason));
}

}  // namespace vantora
