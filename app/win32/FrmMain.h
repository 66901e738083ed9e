// TFrmMain, the Win32 view of the program's one window: the controls with the
// names of the design as native child windows (same bounds, texts, fonts and
// tab order as the Qt view), their notifications forwarded to the
// toolkit-neutral behaviour it derives from, and the FrmMainView operations
// the behaviour asks of it done with the Win32 API.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "app/FrmMainBehaviour.h"
#include "app/SynchronousCallQueue.h"
#include "app/win32/AltKeyFix.h"

namespace vantora {

// The window class of TFrmMain (a second start finds the first window by it).
inline constexpr wchar_t kFrmMainClass[] = L"TFrmMain";

class TFrmMain final : private FrmMainView, public FrmMainBehaviour {
 public:
  // `dialogs` must outlive the window. Creates the window, hidden.
  explicit TFrmMain(DialogService& dialogs);
  ~TFrmMain() override;
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  HWND Handle() const { return hwnd_; }
  void Show(int showCommand);
  // Runs the message loop until the program is asked to end; returns the
  // code it was asked to end with.
  int RunMessageLoop();
  // Runs what is waiting (messages, the worker's calls) without blocking.
  void PumpMessages();
  // Brings the window to the front (a second start of the program asks so).
  void BringToFront();

  // Controls, named as in the design.
  HWND chkCtgr = nullptr;
  HWND chkAllPages = nullptr;
  HWND lstCtgr = nullptr;
  HWND grp01 = nullptr;
  HWND chkCode = nullptr;
  HWND txtCode = nullptr;
  HWND btnAction = nullptr;
  HWND btnCancel = nullptr;
  HWND lblStatus = nullptr;
  HWND prgBar = nullptr;
  HWND lblTotal = nullptr;
  HWND grpSite = nullptr;
  HWND txtSite = nullptr;
  HWND btnSite = nullptr;
  HWND lblSite = nullptr;
  HWND btnSampleSite = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();  // FrmMainLayout.cpp
  HWND Control(Ctl control) const;
  Ctl ControlOf(HWND hwnd) const;
  void OnCommand(HWND control, int code);
  void ApplyEnabled(Ctl control);
  void SetStatusText(const std::wstring& text);

  // FrmMainView.
  void SetEnabled(Ctl control, bool enabled) override;
  bool Enabled(Ctl control) const override;
  void SetVisible(Ctl control, bool visible) override;
  void Focus(Ctl control) override;
  void RepaintNow(Ctl control) override;
  bool Checked(Ctl box) const override;
  void SetChecked(Ctl box, bool checked) override;
  std::string Text(Ctl control) const override;
  void SetText(Ctl control, const std::string& text) override;
  void SetWarningColour(Ctl label, bool warning) override;
  void SetReadOnly(Ctl field, bool readOnly) override;
  void SelectAllText(Ctl field) override;
  void SetFieldLook(Ctl field, bool editable) override;
  int SectorCount() const override;
  bool SectorTicked(int index) const override;
  void SetSectorTicked(int index, bool ticked) override;
  void SetCurrentSector(int index) override;
  void SetBarRange(int maximum) override;
  void SetBarPosition(int position) override;
  int BarPosition() const override;
  int BarMaximum() const override;
  void SetBusyCursor(bool busy) override;
  void* DialogOwner() override { return hwnd_; }
  void PostToEventLoop(std::function<void()> call) override;
  bool CloseWindow() override;
  void QuitApplication() override;
  void InstallSynchronizeHook() override;
  bool InitializeTaskbar() override;
  void SetTaskbarState(TTaskBarProgressState state) override;
  void SetTaskbarValue(std::uint64_t completed, std::uint64_t total) override;
  void OverallProgressChanged(int) override {}

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;      // "ＭＳ Ｐゴシック" 12 px, or the nearest Gothic face
  HFONT listFont_ = nullptr;  // the same face, 13 px, for the sector list
  HBRUSH fieldBrush_ = nullptr;  // a disabled-looking field's background
  std::map<Ctl, bool> ownEnabled_;  // each control's own state; a group's adds to it
  std::map<Ctl, bool> warning_;
  bool codeFieldEditable_ = false;
  bool busy_ = false;
  bool shownOnce_ = false;
  int settingTicks_ = 0;  // > 0 while the window itself changes ticks
  int barMaximum_ = 100;
  std::deque<std::function<void()>> posted_;
  SynchronousCallQueue calls_;
  TAltKeyFix altKeyFix_;
};

}  // namespace vantora
