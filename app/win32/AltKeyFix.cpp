// The Alt-key repaint fix of the Win32 view.
#include "app/win32/AltKeyFix.h"

#include <uxtheme.h>
#include <versionhelpers.h>

#include <cwchar>

namespace vantora {

namespace {

// Buttons (push, check, radio; not owner-drawn or bitmap ones) and static
// texts: the controls that draw an accelerator underline.
BOOL CALLBACK RepaintCueControl(HWND child, LPARAM) {
  wchar_t className[32] = {};
  ::GetClassNameW(child, className, 32);
  const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
  const bool button = std::wcscmp(className, L"Button") == 0 && (style & (BS_BITMAP | BS_ICON)) == 0 &&
                      (style & BS_TYPEMASK) != BS_OWNERDRAW;
  const bool text = std::wcscmp(className, L"Static") == 0;
  if (button || text) {
    ::InvalidateRect(child, nullptr, TRUE);
    ::UpdateWindow(child);
  }
  return TRUE;
}

}  // namespace

TAltKeyFix::TAltKeyFix() : active_(VistaWithTheme()) {}

bool TAltKeyFix::VistaWithTheme() { return ::IsWindowsVistaOrGreater() && ::IsAppThemed() && ::IsThemeActive(); }

void TAltKeyFix::NoteUiStateChanged(HWND form) {
  if (active_) pending_ = form;
}

void TAltKeyFix::ApplicationEventsIdle() {
  if (pending_ == nullptr) return;
  const HWND form = pending_;
  pending_ = nullptr;
  if (::IsWindow(form)) ::EnumChildWindows(form, RepaintCueControl, 0);
}

}  // namespace vantora
