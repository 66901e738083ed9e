// The Win32 view's side of TFrmMain: the window procedure handing the
// controls' notifications to the behaviour, the message loop, and the
// FrmMainView operations done on the native controls.
#include "app/win32/FrmMain.h"

#include <commctrl.h>
#include <versionhelpers.h>

#include <algorithm>
#include <exception>

#include "app/FrmMainLayout.h"
#include "app/win32/TaskbarButton.h"
#include "app/win32/WideText.h"

namespace vantora {

namespace {

// The worker's synchronous call, and the calls posted to the event loop.
constexpr UINT kSyncMessage = WM_APP + 1;
constexpr UINT kPostedMessage = WM_APP + 2;

// The group box a control sits in, or the control itself.
Ctl GroupOf(Ctl control) { return LayoutOf(control).group; }

}  // namespace

TFrmMain::TFrmMain(DialogService& dialogs)
    : FrmMainBehaviour(static_cast<FrmMainView&>(*this), dialogs),
      calls_([this] { ::SendMessageW(hwnd_, kSyncMessage, 0, 0); }) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.lpszClassName = kFrmMainClass;
  ::RegisterClassExW(&windowClass);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT bounds{0, 0, kFormWidth, kFormHeight};
  ::AdjustWindowRectEx(&bounds, style, FALSE, 0);
  hwnd_ = ::CreateWindowExW(0, kFrmMainClass, Wide(text::kTitle).c_str(), style, 0, 0, bounds.right - bounds.left,
                            bounds.bottom - bounds.top, nullptr, nullptr, instance, this);
  fieldBrush_ = ::GetSysColorBrush(COLOR_BTNFACE);
  CreateControls();
  FormCreate();
}

TFrmMain::~TFrmMain() {
  ReleaseBusyCursor();
  SynchronousCallQueue::RemoveHook();
  if (hwnd_ != nullptr) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
  if (listFont_ != nullptr) ::DeleteObject(listFont_);
}

void TFrmMain::Show(int showCommand) {
  ::ShowWindow(hwnd_, showCommand);
  ::UpdateWindow(hwnd_);
}

int TFrmMain::RunMessageLoop() {
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (!::IsDialogMessageW(hwnd_, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    altKeyFix_.ApplicationEventsIdle();
    ::WaitMessage();
  }
}

void TFrmMain::PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  calls_.RunQueued();
}

void TFrmMain::BringToFront() {
  if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
}

LRESULT CALLBACK TFrmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TFrmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->hwnd_ = hwnd;
  }
  auto* form = reinterpret_cast<TFrmMain*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  // An error must not unwind through the system's code that called here: it
  // is shown in the standard box and the message loop ends.
  try {
    return form->OnMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    ::MessageBoxW(nullptr, Wide(error.what()).c_str(), Wide(text::kTitle).c_str(), MB_OK | MB_ICONERROR);
  } catch (...) {
    ::MessageBoxW(nullptr, L"", Wide(text::kTitle).c_str(), MB_OK | MB_ICONERROR);
  }
  ::PostQuitMessage(0);
  return 0;
}

LRESULT TFrmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kSyncMessage:
      calls_.RunQueued();
      return 0;
    case kPostedMessage:
      if (!posted_.empty()) {
        const std::function<void()> call = std::move(posted_.front());
        posted_.pop_front();
        call();
      }
      return 0;
    case WM_SHOWWINDOW:
      if (wParam != 0 && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
      }
      break;
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_COMMAND:
      if (lParam != 0) {
        OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      } else if (LOWORD(wParam) == IDOK) {
        // Enter: the site field applies its address; a focused button is pressed.
        const HWND focus = ::GetFocus();
        if (focus == txtSite) {
          btnSiteClick();
        } else if (focus != nullptr && ::GetParent(focus) == hwnd_) {
          wchar_t className[16] = {};
          ::GetClassNameW(focus, className, 16);
          if (std::wstring_view(className) == L"Button") ::SendMessageW(focus, BM_CLICK, 0, 0);
        }
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == lstCtgr && header->code == LVN_ITEMCHANGED && settingTicks_ == 0) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
          lstCtgrClickCheck();
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const auto dc = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      const auto it = warning_.find(ControlOf(control));
      ::SetTextColor(dc, it != warning_.end() && it->second ? RGB(255, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == txtCode && !codeFieldEditable_) {
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(fieldBrush_);
      }
      break;
    case WM_SETCURSOR:
      if (busy_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
      }
      break;
    case WM_UPDATEUISTATE:
    case WM_CHANGEUISTATE:
      altKeyFix_.NoteUiStateChanged(hwnd_);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TFrmMain::OnCommand(HWND control, int code) {
  if (code != BN_CLICKED) return;
  if (control == chkCtgr) chkCtgrClick();
  if (control == chkCode) chkCodeClick();
  if (control == btnAction) btnActionClick();
  if (control == btnCancel) btnCancelClick();
  if (control == btnSite) btnSiteClick();
  if (control == btnSampleSite) btnSampleSiteClick();
}

HWND TFrmMain::Control(Ctl control) const {
  switch (control) {
    case Ctl::chkCtgr: return chkCtgr;
    case Ctl::chkAllPages: return chkAllPages;
    case Ctl::lstCtgr: return lstCtgr;
    case Ctl::grp01: return grp01;
    case Ctl::chkCode: return chkCode;
    case Ctl::txtCode: return txtCode;
    case Ctl::btnAction: return btnAction;
    case Ctl::btnCancel: return btnCancel;
    case Ctl::lblStatus: return lblStatus;
    case Ctl::prgBar: return prgBar;
    case Ctl::lblTotal: return lblTotal;
    case Ctl::grpSite: return grpSite;
    case Ctl::txtSite: return txtSite;
    case Ctl::btnSite: return btnSite;
    case Ctl::lblSite: return lblSite;
    case Ctl::btnSampleSite: return btnSampleSite;
  }
  return nullptr;
}

Ctl TFrmMain::ControlOf(HWND hwnd) const {
  for (const ControlLayout& entry : kFrmMainLayout) {
    if (Control(entry.control) == hwnd) return entry.control;
  }
  return Ctl::grp01;
}

void TFrmMain::SetStatusText(const std::wstring& text) {
  ::SetWindowTextW(lblStatus, text.c_str());
  SIZE extent{};
  if (const HDC dc = ::GetDC(lblStatus)) {
    const HGDIOBJ old = ::SelectObject(dc, font_);
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(lblStatus, dc);
  }
  const int width = std::min(static_cast<int>(extent.cx) + 2, kStatusRight - kStatusLeft);
  ::MoveWindow(lblStatus, kStatusRight - width, kStatusTop, width, kStatusHeight, TRUE);
}

// A control in a group box is enabled when both it and its box are, as a Qt
// widget is with its parent.
void TFrmMain::ApplyEnabled(Ctl control) {
  ::EnableWindow(Control(control), Enabled(control) ? TRUE : FALSE);
}

void TFrmMain::SetEnabled(Ctl control, bool enabled) {
  ownEnabled_[control] = enabled;
  for (const ControlLayout& entry : kFrmMainLayout) {
    if (entry.control == control || entry.group == control) ApplyEnabled(entry.control);
  }
}

bool TFrmMain::Enabled(Ctl control) const {
  const auto own = [this](Ctl c) {
    const auto it = ownEnabled_.find(c);
    return it == ownEnabled_.end() || it->second;
  };
  return own(control) && own(GroupOf(control));
}

void TFrmMain::SetVisible(Ctl control, bool visible) { ::ShowWindow(Control(control), visible ? SW_SHOW : SW_HIDE); }

void TFrmMain::Focus(Ctl control) { ::SetFocus(Control(control)); }

void TFrmMain::RepaintNow(Ctl control) {
  ::InvalidateRect(Control(control), nullptr, TRUE);
  ::UpdateWindow(Control(control));
}

bool TFrmMain::Checked(Ctl box) const {
  return ::SendMessageW(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFrmMain::SetChecked(Ctl box, bool checked) {
  ::SendMessageW(Control(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string TFrmMain::Text(Ctl control) const {
  const HWND hwnd = Control(control);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void TFrmMain::SetText(Ctl control, const std::string& text) {
  if (control == Ctl::lblStatus) {
    SetStatusText(Wide(text));
  } else {
    ::SetWindowTextW(Control(control), Wide(text).c_str());
  }
}

void TFrmMain::SetWarningColour(Ctl label, bool warning) {
  warning_[label] = warning;
  ::InvalidateRect(Control(label), nullptr, TRUE);
}

void TFrmMain::SetReadOnly(Ctl field, bool readOnly) {
  ::SendMessageW(Control(field), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TFrmMain::SelectAllText(Ctl field) { ::SendMessageW(Control(field), EM_SETSEL, 0, -1); }

void TFrmMain::SetFieldLook(Ctl field, bool editable) {
  if (field == Ctl::txtCode) codeFieldEditable_ = editable;
  ::InvalidateRect(Control(field), nullptr, TRUE);
}

int TFrmMain::SectorCount() const { return static_cast<int>(::SendMessageW(lstCtgr, LVM_GETITEMCOUNT, 0, 0)); }

bool TFrmMain::SectorTicked(int index) const { return ListView_GetCheckState(lstCtgr, index) != 0; }

void TFrmMain::SetSectorTicked(int index, bool ticked) {
  ++settingTicks_;
  ListView_SetCheckState(lstCtgr, index, ticked ? TRUE : FALSE);
  --settingTicks_;
}

void TFrmMain::SetCurrentSector(int index) {
  ++settingTicks_;
  ListView_SetItemState(lstCtgr, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(lstCtgr, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(lstCtgr, index, FALSE);
  --settingTicks_;
}

void TFrmMain::SetBarRange(int maximum) {
  barMaximum_ = maximum;
  ::SendMessageW(prgBar, PBM_SETRANGE32, 0, maximum);
}

void TFrmMain::SetBarPosition(int position) { ::SendMessageW(prgBar, PBM_SETPOS, static_cast<WPARAM>(position), 0); }

int TFrmMain::BarPosition() const { return static_cast<int>(::SendMessageW(prgBar, PBM_GETPOS, 0, 0)); }

int TFrmMain::BarMaximum() const { return barMaximum_; }

void TFrmMain::SetBusyCursor(bool busy) {
  busy_ = busy;
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
}

void TFrmMain::PostToEventLoop(std::function<void()> call) {
  posted_.push_back(std::move(call));
  ::PostMessageW(hwnd_, kPostedMessage, 0, 0);
}

bool TFrmMain::CloseWindow() {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) {
    // The window stays until the program ends, so that a worker's last
    // call still finds it.
    ::ShowWindow(hwnd_, SW_HIDE);
    ::PostQuitMessage(0);
  }
  return canClose;
}

void TFrmMain::QuitApplication() { ::PostQuitMessage(0); }

void TFrmMain::InstallSynchronizeHook() { calls_.InstallHook(); }

bool TFrmMain::InitializeTaskbar() {
  // Taskbar progress needs Windows 7 (6.1) or later.
  if (!::IsWindows7OrGreater()) return false;
  SetTaskbarButtonWindow(hwnd_);
  return InitializeTaskbarAPI();
}

void TFrmMain::SetTaskbarState(TTaskBarProgressState state) { SetTaskbarProgressState(state); }

void TFrmMain::SetTaskbarValue(std::uint64_t completed, std::uint64_t total) {
  vantora::SetTaskbarProgressValue(completed, total);
}

}  // namespace vantora
