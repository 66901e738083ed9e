// Taskbar progress through the launcher-entry D-Bus signal (Linux).
#include "app/qt/LauncherEntry.h"

#include <QDBusConnection>
#include <QIcon>
#include <QVariantMap>

namespace vantora {

namespace {

const char kObjectPath[] = "/com/vantora/LauncherEntry";
const char kInterface[] = "com.canonical.Unity.LauncherEntry";

bool gReady = false;
double gFraction = 0.0;  // last value set, kept across state changes

}  // namespace

QString LauncherEntryAppUri() { return QStringLiteral("application://vantora.desktop"); }

QDBusMessage LauncherEntryUpdate(TTaskBarProgressState state, double fraction) {
  QDBusMessage message =
      QDBusMessage::createSignal(QString::fromLatin1(kObjectPath), QString::fromLatin1(kInterface),
                                 QStringLiteral("Update"));
  QVariantMap properties;
  properties.insert(QStringLiteral("progress"), fraction);
  properties.insert(QStringLiteral("progress-visible"),
                    state != TTaskBarProgressState::tbpsNone);
  properties.insert(QStringLiteral("urgent"), state == TTaskBarProgressState::tbpsError);
  message << LauncherEntryAppUri() << properties;
  return message;
}

bool InitializeTaskbarAPI() {
  if (!gReady) gReady = QDBusConnection::sessionBus().isConnected();
  return gReady;
}

bool SetTaskbarProgressState(TTaskBarProgressState state) {
  if (!gReady) return false;
  if (state == TTaskBarProgressState::tbpsNone) gFraction = 0.0;
  return QDBusConnection::sessionBus().send(LauncherEntryUpdate(state, gFraction));
}

bool SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  if (!gReady) return false;
  gFraction = total == 0 ? 0.0
                         : static_cast<double>(completed > total ? total : completed) /
                               static_cast<double>(total);
  return QDBusConnection::sessionBus().send(
      LauncherEntryUpdate(TTaskBarProgressState::tbpsNormal, gFraction));
}

bool SetTaskbarOverlayIcon(const QIcon&, const QString&) { return false; }

}  // namespace vantora
