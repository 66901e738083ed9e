// Taskbar progress: the launcher-entry Update signal's contents, and the
// functions against a private session bus started by the test (nothing is
// sent, and every call is false, until the interface is initialised).
#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

#include "app/qt/LauncherEntry.h"
#include "support_App.h"

namespace vantora {
namespace {

QVariantMap Properties(const QDBusMessage& message) {
  return message.arguments().value(1).toMap();
}

TEST(TaskbarProgress, UpdateSignalCarriesProgressAndVisibility) {
  const QDBusMessage normal = LauncherEntryUpdate(TTaskBarProgressState::tbpsNormal, 0.5);
  EXPECT_EQ(normal.type(), QDBusMessage::SignalMessage);
  EXPECT_EQ(normal.interface(), QStringLiteral("com.canonical.Unity.LauncherEntry"));
  EXPECT_EQ(normal.member(), QStringLiteral("Update"));
  ASSERT_EQ(normal.arguments().size(), 2);
  EXPECT_EQ(normal.arguments()[0].toString(), QStringLiteral("application://vantora.desktop"));
  EXPECT_DOUBLE_EQ(Properties(normal).value(QStringLiteral("progress")).toDouble(), 0.5);
  EXPECT_TRUE(Properties(normal).value(QStringLiteral("progress-visible")).toBool());
  EXPECT_FALSE(Properties(normal).value(QStringLiteral("urgent")).toBool());

  const QDBusMessage none = LauncherEntryUpdate(TTaskBarProgressState::tbpsNone, 0.0);
  EXPECT_FALSE(Properties(none).value(QStringLiteral("progress-visible")).toBool());
  const QDBusMessage error = LauncherEntryUpdate(TTaskBarProgressState::tbpsError, 0.25);
  EXPECT_TRUE(Properties(error).value(QStringLiteral("urgent")).toBool());
  EXPECT_FALSE(SetTaskbarOverlayIcon(QIcon(), QStringLiteral("x")));
}

TEST(TaskbarProgress, SignalsReachASessionBus) {
  // Before initialisation nothing is sent.
  EXPECT_FALSE(SetTaskbarProgressValue(1, 2));
  EXPECT_FALSE(SetTaskbarProgressState(TTaskBarProgressState::tbpsNone));

  const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
  if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
  QProcess bus;
  bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address=1")});
  ASSERT_TRUE(bus.waitForStarted());
  ASSERT_TRUE(test::WaitUntil([&] { return bus.canReadLine(); }));
  const QByteArray address = bus.readLine().trimmed();
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);

  ASSERT_TRUE(InitializeTaskbarAPI());
  EXPECT_TRUE(InitializeTaskbarAPI());  // once held, stays held

  int updates = 0;
  {
    QDBusConnection listener =
        QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("listener"));
    ASSERT_TRUE(listener.isConnected());
    QAction counter;
    QObject::connect(&counter, &QAction::triggered, [&] { ++updates; });
    ASSERT_TRUE(listener.connect(QString(), QStringLiteral("/com/vantora/LauncherEntry"),
                                 QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                 QStringLiteral("Update"),
                                 {QStringLiteral("application://vantora.desktop")},
                                 QStringLiteral("sa{sv}"), &counter, SLOT(trigger())));
    EXPECT_TRUE(SetTaskbarProgressValue(1, 3));
    EXPECT_TRUE(test::WaitUntil([&] { return updates == 1; }));
    EXPECT_TRUE(SetTaskbarProgressState(TTaskBarProgressState::tbpsNone));
    EXPECT_TRUE(test::WaitUntil([&] { return updates == 2; }));
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
  bus.kill();
  bus.waitForFinished();
}

}  // namespace
}  // namespace vantora
