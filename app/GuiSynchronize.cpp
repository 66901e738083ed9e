// The worker's synchronous call onto the Qt GUI thread.
//
// The call is handed over through an atomic of its own besides Qt's blocking
// queued call: a release by the caller before the call and an acquire on the
// GUI thread before the callback runs, then the same the other way round once
// it has run. Qt's wait already orders the two threads, but through locks a
// thread sanitizer cannot see in a Qt not built with it; the pair states the
// ordering the callbacks rely on in C++ terms. The call travels as a plain
// pointer argument of a string-named slot, copied by Qt itself, so that no
// object written by the worker is read on the GUI thread before the acquire.
#include "app/GuiSynchronize.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>

#include "common/Thread.h"

namespace vantora {

namespace {

struct PendingCall {
  const std::function<void()>* method = nullptr;
  std::atomic<int> stage{0};  // 1: handed to the GUI thread, 2: has run
};

// Runs the calls on the GUI thread (it lives there, a child of the application).
class GuiCallTarget final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 public slots:
  void Run(void* pending) {
    auto* call = static_cast<PendingCall*>(pending);
    call->stage.load(std::memory_order_acquire);
    (*call->method)();
    call->stage.store(2, std::memory_order_release);
  }
};

}  // namespace

void InstallGuiSynchronizeHook() {
  QCoreApplication* app = QCoreApplication::instance();
  GuiCallTarget* target = app == nullptr ? nullptr : app->findChild<GuiCallTarget*>();
  if (app != nullptr && target == nullptr) target = new GuiCallTarget(app);
  SetSynchronizeHook([target](const std::function<void()>& method) {
    QCoreApplication* current = QCoreApplication::instance();
    if (target == nullptr || current == nullptr || QThread::currentThread() == current->thread()) {
      method();
      return;
    }
    PendingCall call;
    call.method = &method;
    call.stage.store(1, std::memory_order_release);
    QMetaObject::invokeMethod(target, "Run", Qt::BlockingQueuedConnection,
                              Q_ARG(void*, static_cast<void*>(&call)));
    call.stage.load(std::memory_order_acquire);
  });
}

void RemoveGuiSynchronizeHook() { SetSynchronizeHook({}); }

}  // namespace vantora

#include "GuiSynchronize.moc"
