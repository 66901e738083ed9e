// The launcher-entry D-Bus signal behind the taskbar progress on Linux
// (com.canonical.Unity.LauncherEntry, Update with "progress" and
// "progress-visible"), which KDE Plasma and docks show on the task button.
#pragma once

#include <QDBusMessage>
#include <QString>

#include "app/TaskbarProgress.h"

class QIcon;

namespace vantora {

// Not used by the program; the launcher entry has no overlay icon, so on
// Linux this is false.
bool SetTaskbarOverlayIcon(const QIcon& icon, const QString& description);

// The launcher entry's application id ("application://vantora.desktop").
QString LauncherEntryAppUri();
// The Update signal for a progress state and fraction (0..1), as sent.
QDBusMessage LauncherEntryUpdate(TTaskBarProgressState state, double fraction);

}  // namespace vantora
