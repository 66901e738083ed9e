// Progress of a run on the program's taskbar button. On Linux through the
// launcher-entry D-Bus signal (app/qt/TaskbarProgress.cpp), on Windows
// through the shell's ITaskbarList3 (app/win32/TaskbarProgress.cpp). All
// functions run on the GUI thread and return true on success.
#pragma once

#include <cstdint>

namespace vantora {

// States of the taskbar button's progress, with the shell's values.
enum class TTaskBarProgressState {
  tbpsNone = 0,
  tbpsIndeterminate = 1,
  tbpsNormal = 2,
  tbpsError = 4,
  tbpsPaused = 8,
};

// Makes the taskbar interface available (on Linux: whether the session bus
// is reachable). Later calls after a success return true at once.
bool InitializeTaskbarAPI();
bool SetTaskbarProgressState(TTaskBarProgressState state);
bool SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total);

}  // namespace vantora
