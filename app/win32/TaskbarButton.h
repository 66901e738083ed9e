// The window whose taskbar button the Windows taskbar progress
// (app/win32/TaskbarProgress.cpp) shows on.
#pragma once

#include <windows.h>

namespace vantora {

void SetTaskbarButtonWindow(HWND window);

}  // namespace vantora
