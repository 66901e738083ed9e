// Qt implementation of the window's platform operations (message boxes, save
// dialog, sound, taskbar flash, opening a file).
#include "app/qt/QtDialogService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace vantora {

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & kMbIconMask) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// QMessageBox breaks lines at '\n'; a CR before it would show as a glyph.
QString DisplayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

}  // namespace

QString SaveDialogFolder(const QString& folder) {
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

QString ToQtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString& description = parts[i];
    entries << (description.trimmed().endsWith(QLatin1Char(')'))
                    ? description
                    : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return entries.join(QStringLiteral(";;"));
}

int QtDialogService::MessageBox(QWidget* parent, const QString& text, const QString& caption,
                                unsigned flags) {
  QMessageBox box(IconOf(flags), caption, DisplayText(text), QMessageBox::NoButton, parent);
  box.setWindowModality(Qt::ApplicationModal);
  if (flags & MB_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // Known while on screen, so that a question the program no longer needs
  // answered can be taken away.
  openBoxes_.push_back({parent, &box});
  struct Forget {
    std::vector<OpenBox>& boxes;
    ~Forget() { boxes.pop_back(); }
  } forget{openBoxes_};
  if ((flags & kMbTypeMask) == MB_YESNO) {
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    box.setDefaultButton((flags & kMbDefMask) == MB_DEFBUTTON2 ? no : yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? IDYES : IDNO;
  }
  box.setDefaultButton(box.addButton(QMessageBox::Ok));
  box.exec();
  return IDOK;
}

void QtDialogService::DismissMessageBox(QWidget* parent) {
  for (auto it = openBoxes_.rbegin(); it != openBoxes_.rend(); ++it) {
    if (it->parent == parent && it->box != nullptr && it->box->isVisible()) {
      it->box->done(0);  // no button clicked: read as No
      return;
    }
  }
}

int QtDialogService::MessageBox(void* owner, const std::string& text, const std::string& caption,
                                unsigned flags) {
  return MessageBox(static_cast<QWidget*>(owner), QString::fromStdString(text),
                    QString::fromStdString(caption), flags);
}

void QtDialogService::DismissMessageBox(void* owner) { DismissMessageBox(static_cast<QWidget*>(owner)); }

std::optional<std::string> QtDialogService::ExecuteSaveDialog(void* owner,
                                                              const SaveDialogRequest& request) {
  QFileDialog dialog(static_cast<QWidget*>(owner), QString::fromStdString(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(ToQtFilter(QString::fromStdString(request.filter)));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.options & ofOverwritePrompt));
  dialog.setSizeGripEnabled(request.options & ofEnableSizing);
  dialog.setDirectory(SaveDialogFolder(QString::fromStdString(request.folder)));
  dialog.selectFile(QString::fromStdString(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

void QtDialogService::MessageBeep(unsigned) { QApplication::beep(); }

void QtDialogService::FlashWindow(void* window, int, int) {
  // Qt flashes until the window is activated when given no duration.
  if (window != nullptr) QApplication::alert(static_cast<QWidget*>(window), 0);
}

bool QtDialogService::OpenDocument(const std::string& path) {
  return OpenDocument(QString::fromStdString(path));
}

bool QtDialogService::OpenDocument(const QString& path) {
#ifdef _WIN32
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#else
  // The desktop's opener runs detached and its failure goes unseen: ask the
  // desktop's type database first whether any application takes the type.
  const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (query.isEmpty() || opener.isEmpty()) return false;
  QProcess lookup;
  lookup.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                       QMimeDatabase().mimeTypeForFile(path).name()});
  if (!lookup.waitForFinished(10000) || lookup.exitCode() != 0 ||
      lookup.readAllStandardOutput().trimmed().isEmpty())
    return false;
  return QProcess::startDetached(opener, {path});
#endif
}

void QtDialogService::ShowException(const std::string& message) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                  QString::fromStdString(message),
                  QMessageBox::Ok);
  box.exec();
}

}  // namespace vantora
