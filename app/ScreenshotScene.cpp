// Screenshots of the window, idle or with a run in progress.
#include "app/ScreenshotScene.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "app/DialogService.h"
#include "app/FrmMain.h"

namespace vantora {

namespace {

QString FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? QString() : QString::fromLocal8Bit(value);
}

class RunPictureDialogs final : public DialogService {
 public:
  RunPictureDialogs(DialogService& real, QString output) : real_(real), output_(std::move(output)) {}

  int MessageBox(QWidget*, const QString&, const QString&, unsigned flags) override {
    if ((flags & kMbTypeMask) != MB_YESNO) return IDOK;
    return (flags & kMbDefMask) == MB_DEFBUTTON2 ? IDNO : IDYES;
  }
  void DismissMessageBox(QWidget*) override {}
  std::optional<QString> ExecuteSaveDialog(QWidget*, const SaveDialogRequest&) override {
    return output_;
  }
  void MessageBeep(unsigned type) override { real_.MessageBeep(type); }
  void FlashWindow(QWidget* window, int count, int intervalMs) override {
    real_.FlashWindow(window, count, intervalMs);
  }
  bool OpenDocument(const QString&) override { return false; }
  void ShowException(const QString& message) override { real_.ShowException(message); }

 private:
  DialogService& real_;
  QString output_;
};

}  // namespace

std::unique_ptr<DialogService> ScreenshotDialogs(DialogService& real) {
  const QString output = FromEnvironment("VANTORA_SCREENSHOT_RUN");
  if (FromEnvironment("VANTORA_SCREENSHOT").isEmpty() || output.isEmpty()) return nullptr;
  return std::make_unique<RunPictureDialogs>(real, output);
}

void ScheduleScreenshot(TFrmMain& form) {
  const QString target = FromEnvironment("VANTORA_SCREENSHOT");
  if (target.isEmpty()) return;
  const bool run = !FromEnvironment("VANTORA_SCREENSHOT_RUN").isEmpty();
  // A run starts once the settings are in; its picture waits for a few
  // records (one pause of a second each).
  if (run) QTimer::singleShot(800, &form, [&form] { form.btnAction->click(); });
  QTimer::singleShot(run ? 3600 : 1500, &form, [&form, target] {
    form.grab().save(target);
    QCoreApplication::quit();
  });
}

}  // namespace vantora
