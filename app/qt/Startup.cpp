// Start-up: the termination signals, single-instance guard "Vantora_Search"
// (a second start brings the first window to the front), application title,
// the toolkit's translations, the window, the event loop, the error box;
// waits for a worker's thread to end before the window goes away.
#include "app/Startup.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "app/DemoSite.h"
#include "app/qt/FrmMain.h"
#include "app/qt/InstanceBeacon.h"
#include "app/qt/ProgramIcon.h"
#include "app/qt/QtDialogService.h"
#include "app/qt/ScreenshotScene.h"
#include "app/SingleInstance.h"
#include "app/qt/TerminationSignals.h"
#include "app/qt/ToolkitTranslations.h"
#include "common/Thread.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/MyThread.h"

namespace vantora {

namespace {

// Shows an error that escaped an event handler in the standard box and ends
// the event loop.
class VantoraApplication final : public QApplication {
 public:
  VantoraApplication(int& argc, char** argv, DialogService& dialogs)
      : QApplication(argc, argv), dialogs_(dialogs) {}

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      Report(error.what());
    } catch (...) {
      Report(std::string());
    }
    return false;
  }

 private:
  void Report(const std::string& message) {
    dialogs_.ShowException(message);
    quit();
  }
  DialogService& dialogs_;
};

std::string JoinedLockFilePaths(const std::string& name) {
  std::string joined;
  for (const std::string& path : SingleInstance::LockFilePaths(name))
    joined += (joined.empty() ? "" : ", ") + path;
  return joined;
}

}  // namespace

int RunVantora(int& argc, char** argv) {
  // Caught from before the guard is taken, so that anyone who sees the lock
  // held can end the program with SIGTERM and have the settings saved.
  const TerminationSignals caughtSignals;
  constexpr char kInstanceName[] = "Vantora_Search";
  SingleInstance guard(kInstanceName);
  if (!guard.Acquired()) {
    if (guard.HeldElsewhere()) {
      InstanceBeacon::Call(guard.Path());
    } else {
      std::fprintf(stderr, "vantora: no lock file could be created (tried %s)\n",
                   JoinedLockFilePaths(kInstanceName).c_str());
    }
    return 1;
  }

  // Started before any worker thread exists (it sets the base address).
  std::unique_ptr<QuoteServer> demo;
  if (DemoRequested(argc, argv)) {
    demo = StartDemoSite();
    if (demo == nullptr) return 2;
  }

  QtDialogService qtDialogs;
  const std::unique_ptr<DialogService> pictureDialogs = ScreenshotDialogs(qtDialogs);
  DialogService& dialogs = pictureDialogs != nullptr ? *pictureDialogs : qtDialogs;
  VantoraApplication app(argc, argv, dialogs);
  QApplication::setApplicationName(QString::fromUtf8(text::kTitle));
  QApplication::setApplicationDisplayName(QString::fromUtf8(text::kTitle));
  QGuiApplication::setDesktopFileName(QStringLiteral("vantora"));
  QApplication::setWindowIcon(ProgramIcon());
  InstallToolkitTranslations(app, QLocale::system());

  TFrmMain form(dialogs);
  if (demo != nullptr) form.SetSampleSiteAddress(demo->BaseUrl());
  InstanceBeacon beacon(guard.Path(), [&form] { form.BringToFront(); });
  TerminationSignalWatcher closeOnSignal(caughtSignals, [&form] { form.CloseFromSignal(); });
  form.show();
  ScheduleScreenshot(form);
  try {
    QApplication::exec();
  } catch (const std::exception& error) {
    dialogs.ShowException(error.what());
  } catch (...) {
    dialogs.ShowException(std::string());
  }

  // The window outlives a worker still running.
  form.StopWorkerForExit();
  while (TThread::RunningCount() > 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}

}  // namespace vantora
