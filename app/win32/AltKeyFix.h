// TAltKeyFix (Win32): repaints the buttons and static texts of a form after
// the system has changed the form's keyboard-cue state (the accelerator
// underlines that appear when Alt is pressed), which themed Windows leaves
// half-drawn. Only active where VistaWithTheme() is true (Windows 6.0 or
// later with visual styles in force); the repaint waits for the next idle
// pass of the message loop.
#pragma once

#include <windows.h>

namespace vantora {

class TAltKeyFix {
 public:
  TAltKeyFix();

  static bool VistaWithTheme();
  bool Active() const { return active_; }

  // A keyboard-cue change reached `form` (WM_UPDATEUISTATE, WM_CHANGEUISTATE).
  void NoteUiStateChanged(HWND form);
  // The idle pass: repaints the noted form's buttons and static texts
  // (bitmap buttons excepted).
  void ApplicationEventsIdle();

 private:
  bool active_ = false;
  HWND pending_ = nullptr;
};

}  // namespace vantora
