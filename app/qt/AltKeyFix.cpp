// TAltKeyFix: the idle pass over the top-level forms, the cue-change notice
// and the two repaint walks.
#include "app/qt/AltKeyFix.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

#ifdef _WIN32
#include <windows.h>
#include <uxtheme.h>
#endif

namespace vantora {

namespace {

std::vector<QWidget*> ChildControls(QWidget* control) {
  std::vector<QWidget*> children;
  for (QObject* child : control->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget != nullptr && !widget->isWindow()) children.push_back(widget);
  }
  return children;
}

// A page of a QTabWidget that is not the current one.
bool IsHiddenTabPage(QWidget* control) {
  auto* stack = qobject_cast<QStackedWidget*>(control->parentWidget());
  if (stack == nullptr) return false;
  auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
  return tabs != nullptr && tabs->currentWidget() != control;
}

bool IsForm(QWidget* widget) {
  const Qt::WindowType type = widget->windowType();
  return type == Qt::Window || type == Qt::Dialog;
}

}  // namespace

void RepaintFull(QWidget* control, const RepaintFunction& repaint) {
  if (control == nullptr) return;
  repaint(control);
  for (QWidget* child : ChildControls(control)) RepaintFull(child, repaint);
}

void RepaintSelective(QWidget* control, const RepaintFunction& repaint) {
  if (control == nullptr) return;
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    if (button->icon().isNull()) repaint(control);
    return;
  }
  if (qobject_cast<QLabel*>(control) != nullptr) {
    repaint(control);
    return;
  }
  if (IsHiddenTabPage(control)) return;
  for (QWidget* child : ChildControls(control)) RepaintSelective(child, repaint);
}

// Sees WM_UPDATEUISTATE on its way to a form (Windows); passes it on.
class TAltKeyFix::NativeFilter final : public QAbstractNativeEventFilter {
 public:
  explicit NativeFilter(TAltKeyFix& owner) : owner_(owner) {}
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
#ifdef _WIN32
    if (eventType == "windows_generic_MSG") {
      const MSG* msg = static_cast<const MSG*>(message);
      if (msg->message == WM_UPDATEUISTATE) {
        for (const auto& entry : owner_.forms_) {
          if (entry->form && reinterpret_cast<HWND>(entry->form->winId()) == msg->hwnd)
            entry->NeedRepaint = true;
        }
      }
    }
#else
    (void)eventType;
    (void)message;
    (void)owner_;
#endif
    return false;
  }

 private:
  TAltKeyFix& owner_;
};

TAltKeyFix::TAltKeyFix(QObject* owner, Activation activation)
    : QObject(owner), repaint_([](QWidget* w) { w->repaint(); }) {
  active_ = activation == Activation::kForceActive || VistaWithTheme();
  if (!active_) return;
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
            &TAltKeyFix::ApplicationEventsIdle);
  }
  nativeFilter_ = std::make_unique<NativeFilter>(*this);
  if (auto* app = QCoreApplication::instance()) app->installNativeEventFilter(nativeFilter_.get());
}

TAltKeyFix::~TAltKeyFix() {
  if (nativeFilter_ != nullptr) {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(nativeFilter_.get());
  }
}

bool TAltKeyFix::VistaWithTheme() {
#ifdef _WIN32
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma warning(suppress : 4996)
  if (!GetVersionExA(&info)) return false;
  return info.dwMajorVersion >= 6 && IsAppThemed();
#else
  return false;
#endif
}

void TAltKeyFix::NoteUiStateChanged(QWidget* form) {
  for (const auto& entry : forms_) {
    if (entry->form == form) entry->NeedRepaint = true;
  }
}

void TAltKeyFix::ApplicationEventsIdle() {
  if (!active_) return;
  for (const auto& entry : forms_) entry->Used = false;
  for (QWidget* form : QApplication::topLevelWidgets()) {
    if (!IsForm(form)) continue;
    bool found = false;
    for (const auto& entry : forms_) {
      if (entry->form == form) {
        entry->Used = true;
        found = true;
        break;
      }
    }
    if (!found) {
      auto entry = std::make_unique<TFormObj>();
      entry->form = form;
      entry->repaintAll = RepaintAll;
      forms_.push_back(std::move(entry));
    }
  }
  for (std::size_t i = forms_.size(); i-- > 0;) {
    TFormObj& entry = *forms_[i];
    if (!entry.Used || entry.form.isNull()) {
      forms_.erase(forms_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (entry.NeedRepaint) {
      entry.NeedRepaint = false;
      if (entry.repaintAll) {
        RepaintFull(entry.form, repaint_);
      } else {
        RepaintSelective(entry.form, repaint_);
      }
    }
  }
}

}  // namespace vantora
