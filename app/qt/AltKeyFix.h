// TAltKeyFix: repaints the controls of each top-level form after the system
// has changed the form's keyboard-cue state (the accelerator underlines that
// appear when Alt is pressed), which themed Windows leaves half-drawn. Only
// active where VistaWithTheme() is true (Windows 6.0+ with visual styles);
// elsewhere the component does nothing. The repaint walks are free functions
// taking the repaint operation, so they can be checked on their own.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace vantora {

using RepaintFunction = std::function<void(QWidget*)>;

// Full repaint: `control`, then each child widget in index order, depth first.
void RepaintFull(QWidget* control, const RepaintFunction& repaint);
// Selective repaint: buttons and static texts are repainted, bitmap buttons
// (buttons with an icon) are not; any other control passes the walk on to its
// children, except a tab page that is not its tab widget's current page.
void RepaintSelective(QWidget* control, const RepaintFunction& repaint);

// One watched form.
struct TFormObj {
  QPointer<QWidget> form;
  bool Used = true;
  bool NeedRepaint = false;
  bool repaintAll = true;
};

class TAltKeyFix final : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool RepaintAll MEMBER RepaintAll)

 public:
  enum class Activation { kSystem, kForceActive };

  // Active only when VistaWithTheme(); kForceActive turns it on anywhere
  // (tests drive the idle pass and the cue-change notice through it).
  explicit TAltKeyFix(QObject* owner, Activation activation = Activation::kSystem);
  ~TAltKeyFix() override;

  static bool VistaWithTheme();

  bool RepaintAll = true;

  bool Active() const { return active_; }
  // The idle pass: brings the form list in line with the application's
  // top-level forms and repaints those whose keyboard cues changed.
  void ApplicationEventsIdle();
  // A keyboard-cue change reached `form` (the window message handler calls
  // this); the repaint waits for the next idle pass.
  void NoteUiStateChanged(QWidget* form);
  // The operation used to repaint one control (QWidget::repaint by default).
  void SetRepaintFunction(RepaintFunction repaint) { repaint_ = std::move(repaint); }
  const std::vector<std::unique_ptr<TFormObj>>& Forms() const { return forms_; }

 private:
  class NativeFilter;
  bool active_ = false;
  std::vector<std::unique_ptr<TFormObj>> forms_;
  RepaintFunction repaint_;
  std::unique_ptr<NativeFilter> nativeFilter_;
};

}  // namespace vantora
