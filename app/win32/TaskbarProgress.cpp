// Taskbar progress through the shell's ITaskbarList3 (Windows).
#include <windows.h>
#include <shobjidl.h>

#include "app/TaskbarProgress.h"
#include "app/win32/TaskbarButton.h"

namespace vantora {

namespace {

// The one taskbar object of the program, released at exit.
class TaskbarList {
 public:
  ~TaskbarList() {
    if (list_ != nullptr) list_->Release();
  }
  ITaskbarList3* Get() {
    if (list_ == nullptr && SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                                         IID_ITaskbarList3, reinterpret_cast<void**>(&list_)))) {
      if (FAILED(list_->HrInit())) {
        list_->Release();
        list_ = nullptr;
      }
    }
    return list_;
  }

 private:
  ITaskbarList3* list_ = nullptr;
};

TaskbarList gTaskbar;
HWND gWindow = nullptr;

}  // namespace

void SetTaskbarButtonWindow(HWND window) { gWindow = window; }

bool InitializeTaskbarAPI() { return gTaskbar.Get() != nullptr; }

bool SetTaskbarProgressState(TTaskBarProgressState state) {
  ITaskbarList3* list = gTaskbar.Get();
  return list != nullptr && gWindow != nullptr &&
         SUCCEEDED(list->SetProgressState(gWindow, static_cast<TBPFLAG>(static_cast<int>(state))));
}

bool SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  ITaskbarList3* list = gTaskbar.Get();
  return list != nullptr && gWindow != nullptr && SUCCEEDED(list->SetProgressValue(gWindow, completed, total));
}

}  // namespace vantora
