// Progress of a run on the program's taskbar button. On Linux through the
// launcher-entry D-Bus signal (com.canonical.Unity.LauncherEntry, Update with
// "progress" and "progress-visible"), which KDE Plasma and docks show on the
// task button; on Windows through the shell's ITaskbarList3. All functions
// run on the GUI thread and return true on success.
#pragma once

#include <QDBusMessage>
#include <QString>
#include <cstdint>

class QIcon;

namespace vantora {

enum class TTaskBarProgressState {
  tbpsNone = 0,
  tbpsIndeterminate = 1,
  tbpsNormal = 2,
  tbpsError = 4,
  tbpsPaused = 8,
};

// Makes the taskbar interface available: on Linux, whether the session bus
// is reachable. Later calls after a success return true at once.
bool InitializeTaskbarAPI();
bool SetTaskbarProgressState(TTaskBarProgressState state);
bool SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total);
// Not used by the program; the launcher entry has no overlay icon, so on
// Linux this is false.
bool SetTaskbarOverlayIcon(const QIcon& icon, const QString& description);

// The launcher entry's application id ("application://vantora.desktop").
QString LauncherEntryAppUri();
// The Update signal for a progress state and fraction (0..1), as sent.
QDBusMessage LauncherEntryUpdate(TTaskBarProgressState state, double fraction);

}  // namespace vantora
