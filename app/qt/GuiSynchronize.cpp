// The worker's synchronous call onto the Qt GUI thread.
//
// A call is handed over through a queue guarded by a standard mutex, and
// Qt's blocking queued call only wakes the GUI thread and waits: the slot
// takes no argument. Qt's own hand-over orders the two threads through locks
// a thread sanitizer cannot see in a Qt not built with it, so nothing the
// worker wrote may be read on the GUI thread through Qt alone; the mutex
// states that ordering in C++ terms, both ways (the caller takes it again
// once Qt's wait returns, after the GUI thread marked the call as run).
//
// Every caller queues its call before it posts its wake-up, and each wake-up
// runs every call queued so far, so a caller's call has run by the time its
// own wake-up has been handled, whatever order the wake-ups arrive in.
#include "app/qt/GuiSynchronize.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <deque>
#include <functional>
#include <mutex>

#include "common/Thread.h"

namespace vantora {

namespace {

// Runs the calls on the GUI thread (it lives there, a child of the application).
class GuiCallTarget final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Runs method on the GUI thread and returns once it has run.
  void Call(const std::function<void()>& method) {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(&method);
    }
    QMetaObject::invokeMethod(this, "RunQueued", Qt::BlockingQueuedConnection);
    // The wake-up has been handled, so the call has run and the GUI thread
    // has taken the lock since; taking it here orders what the call wrote
    // before what this thread reads next.
    std::lock_guard lock(mutex_);
  }

 public slots:
  // Runs the queued calls one after another, taking the lock again after
  // each; the lock is not held while a call runs, since a call may open a
  // dialog whose event loop handles the wake-up of another caller.
  void RunQueued() {
    for (;;) {
      const std::function<void()>* method = nullptr;
      {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return;
        method = queue_.front();
        queue_.pop_front();
      }
      (*method)();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<const std::function<void()>*> queue_;
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
    target->Call(method);
  });
}

void RemoveGuiSynchronizeHook() { SetSynchronizeHook({}); }

}  // namespace vantora

#include "GuiSynchronize.moc"
