// Start-up of the Windows program: the single-instance mutex
// "Vantora_Search" (a second start brings the first window to the front and
// ends with 1), COM and the common controls, the window, the message loop,
// the box for an error that escapes it, and the picture of the window that
// VANTORA_SCREENSHOT=<file.png> asks for; waits for a worker's thread to end
// before the window goes away.
#include "app/Startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "app/DemoSite.h"
#include "app/SingleInstance.h"
#include "app/win32/FrmMain.h"
#include "app/win32/Win32DialogService.h"
#include "app/win32/WindowPicture.h"
#include "common/Thread.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/MyThread.h"

namespace vantora {

namespace {

// COM for this thread (the taskbar object), for the life of the program.
class ComApartment {
 public:
  ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

// The picture: taken once the window is shown and its settings are in,
// then the program ends.
struct PictureRequest {
  TFrmMain* form = nullptr;
  std::string path;
};
PictureRequest gPicture;

void CALLBACK TakePicture(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  SaveWindowPicture(gPicture.form->Handle(), gPicture.path);
  ::PostQuitMessage(0);
}

}  // namespace

int RunVantora(int& argc, char** argv) {
  constexpr char kInstanceName[] = "Vantora_Search";
  SingleInstance guard(kInstanceName);
  if (!guard.Acquired()) {
    if (const HWND first = ::FindWindowW(kFrmMainClass, nullptr)) {
      if (::IsIconic(first)) ::ShowWindow(first, SW_RESTORE);
      ::SetForegroundWindow(first);
    }
    return 1;
  }

  // Started before any worker thread exists (it sets the base address).
  std::unique_ptr<QuoteServer> demo;
  if (DemoRequested(argc, argv)) {
    demo = StartDemoSite();
    if (demo == nullptr) return 2;
  }

  const ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  Win32DialogService dialogs;
  TFrmMain form(dialogs);
  if (demo != nullptr) form.SetSampleSiteAddress(demo->BaseUrl());
  form.Show(SW_SHOWNORMAL);
  if (const char* picture = std::getenv("VANTORA_SCREENSHOT"); picture != nullptr && *picture != '\0') {
    gPicture = {&form, picture};
    ::SetTimer(nullptr, 0, 1500, TakePicture);
  }
  try {
    form.RunMessageLoop();
  } catch (const std::exception& error) {
    dialogs.ShowException(error.what());
  } catch (...) {
    dialogs.ShowException(std::string());
  }

  // The window outlives a worker still running.
  form.StopWorkerForExit();
  while (TThread::RunningCount() > 0) {
    form.PumpMessages();
    ::Sleep(5);
  }
  return 0;
}

}  // namespace vantora
