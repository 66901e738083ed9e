// A picture of a window's client area saved as a PNG file (the screenshots
// of the documentation are taken this way under Wine).
#pragma once

#include <windows.h>

#include <string>

namespace vantora {

// False when the window could not be read or the file not written.
bool SaveWindowPicture(HWND window, const std::string& pngPath);

}  // namespace vantora
