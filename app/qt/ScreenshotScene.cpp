// Screenshots of the window, idle or with a run in progress.
#include "app/qt/ScreenshotScene.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "app/DialogService.h"
#include "app/qt/FrmMain.h"

namespace vantora {

namespace {

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

class RunPictureDialogs final : public DialogService {
 public:
  RunPictureDialogs(DialogService& real, std::string output) : real_(real), output_(std::move(output)) {}

  int MessageBox(void*, const std::string&, const std::string&, unsigned flags) override {
    return DefaultButtonResult(flags);
  }
  void DismissMessageBox(void*) override {}
  std::optional<std::string> ExecuteSaveDialog(void*, const SaveDialogRequest&) override {
    return output_;
  }
  void MessageBeep(unsigned type) override { real_.MessageBeep(type); }
  void FlashWindow(void* window, int count, int intervalMs) override {
    real_.FlashWindow(window, count, intervalMs);
  }
  bool OpenDocument(const std::string&) override { return false; }
  void ShowException(const std::string& message) override { real_.ShowException(message); }

 private:
  DialogService& real_;
  std::string output_;
};

}  // namespace

std::unique_ptr<DialogService> ScreenshotDialogs(DialogService& real) {
  const std::string output = FromEnvironment("VANTORA_SCREENSHOT_RUN");
  if (FromEnvironment("VANTORA_SCREENSHOT").empty() || output.empty()) return nullptr;
  return std::make_unique<RunPictureDialogs>(real, output);
}

void ScheduleScreenshot(TFrmMain& form) {
  const QString target = QString::fromLocal8Bit(FromEnvironment("VANTORA_SCREENSHOT"));
  if (target.isEmpty()) return;
  const bool run = !FromEnvironment("VANTORA_SCREENSHOT_RUN").empty();
  // A run starts once the settings are in; its picture waits for a few
  // records (one pause of a second each).
  if (run) QTimer::singleShot(800, &form, [&form] { form.btnAction->click(); });
  QTimer::singleShot(run ? 3600 : 1500, &form, [&form, target] {
    form.grab().save(target);
    QCoreApplication::quit();
  });
}

}  // namespace vantora
