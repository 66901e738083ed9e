// The worker's synchronous call onto the Qt GUI thread.
#include "app/GuiSynchronize.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "common/Thread.h"

namespace vantora {

void InstallGuiSynchronizeHook() {
  SetSynchronizeHook([](const std::function<void()>& method) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
      method();
      return;
    }
    QMetaObject::invokeMethod(app, [&method] { method(); }, Qt::BlockingQueuedConnection);
  });
}

void RemoveGuiSynchronizeHook() { SetSynchronizeHook({}); }

}  // namespace vantora
