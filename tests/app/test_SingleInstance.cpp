// The single-instance guard: in one process, and with two real program
// processes (the second ends at once with exit code 1); the fall-back to the
// temporary folder; and SIGTERM ending the real program like its close button.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "app/SingleInstance.h"
#include "support_App.h"

namespace vantora {
namespace {

TEST(SingleInstance, SecondGuardFailsUntilTheFirstIsGone) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  EXPECT_EQ(SingleInstance::LockFilePath("Vantora_Search"),
            runtime.filePath(QStringLiteral("Vantora_Search.lock")).toStdString());
  {
    SingleInstance first("Vantora_Search");
    EXPECT_TRUE(first.Acquired());
    SingleInstance second("Vantora_Search");
    EXPECT_FALSE(second.Acquired());
    SingleInstance other("Another_Name");
    EXPECT_TRUE(other.Acquired());
  }
  SingleInstance again("Vantora_Search");
  EXPECT_TRUE(again.Acquired());
  qunsetenv("XDG_RUNTIME_DIR");
}

// Whether process `pid` holds a flock on the file with inode `inode`.
bool HoldsLock(qint64 pid, ino_t inode) {
  std::ifstream locks("/proc/locks");
  std::string line;
  const std::string pidField = " " + std::to_string(pid) + " ";
  const std::string inodeField = ":" + std::to_string(inode) + " ";
  while (std::getline(locks, line)) {
    if (line.find("FLOCK") != std::string::npos && line.find(pidField) != std::string::npos &&
        line.find(inodeField) != std::string::npos)
      return true;
  }
  return false;
}

// Starts `program` in `process` and waits until it holds the lock file.
bool StartHoldingLock(QProcess& process, const QString& program, const QProcessEnvironment& env,
                      const QString& lockFile) {
  process.setProcessEnvironment(env);
  process.start(program, {});
  if (!process.waitForStarted()) return false;
  struct stat info {};
  return test::WaitUntil([&] {
    return ::stat(lockFile.toLocal8Bit().constData(), &info) == 0 &&
           HoldsLock(process.processId(), info.st_ino);
  });
}

// A second start of `program` ends at once with exit code 1, printing nothing.
void ExpectSecondStartEndsWith1(const QString& program, const QProcessEnvironment& env) {
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program, {});
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
}

TEST(SingleInstance, SecondProgramEndsAtOnceWithExitCode1) {
  const QString program = QStringLiteral(VANTORA_BINARY_DIR "/app/vantora");
  ASSERT_TRUE(QFileInfo::exists(program));
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  const QString lockFile = runtime.filePath(QStringLiteral("Vantora_Search.lock"));

  QProcess first;
  ASSERT_TRUE(StartHoldingLock(first, program, env, lockFile));

  ExpectSecondStartEndsWith1(program, env);
  EXPECT_EQ(first.state(), QProcess::Running);  // the first is untouched

  first.kill();
  ASSERT_TRUE(first.waitForFinished(60000));
  // With the first gone, the lock is free again.
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  SingleInstance after("Vantora_Search");
  EXPECT_TRUE(after.Acquired());
  qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, ARuntimeFolderThatCannotTakeTheLockGivesWayToTheTempFolder) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QByteArray oldTemp = qgetenv("TMPDIR");
  qputenv("TMPDIR", temp.path().toLocal8Bit());
  const std::string fallback =
      temp.filePath(QStringLiteral("Vantora_Search-%1.lock").arg(::getuid())).toStdString();
  // /proc takes no new files, not even from root; the other folder is gone.
  for (const QByteArray& runtime : {QByteArray("/proc"), temp.filePath("gone").toLocal8Bit()}) {
    qputenv("XDG_RUNTIME_DIR", runtime);
    SingleInstance first("Vantora_Search");
    EXPECT_TRUE(first.Acquired()) << runtime.constData();
    EXPECT_EQ(first.Path(), fallback);
    SingleInstance second("Vantora_Search");
    EXPECT_FALSE(second.Acquired());
    EXPECT_TRUE(second.HeldElsewhere());
  }
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", oldTemp);
}

// The program, copied into a folder of its own so that its settings file is
// there too, with a runtime folder that takes no lock: it starts, a second
// start still ends with 1, and SIGTERM saves the settings and ends it with 0.
TEST(SingleInstance, SigtermEndsTheProgramNormallyWithItsSettingsSaved) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const QString program = home.filePath(QStringLiteral("vantora"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VANTORA_BINARY_DIR "/app/vantora"), program));
  const std::string settings = home.filePath(QStringLiteral("fnc.ini")).toStdString();
  test::WriteBytes(settings, "[Config]\r\nCode=1\r\nCodeList= 1301 \r\n[Keep]\r\nA=1\r\n");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/proc"));
  env.insert(QStringLiteral("TMPDIR"), home.path());
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  const QString lockFile = home.filePath(QStringLiteral("Vantora_Search-%1.lock").arg(::getuid()));

  QProcess first;
  ASSERT_TRUE(StartHoldingLock(first, program, env, lockFile));
  ExpectSecondStartEndsWith1(program, env);

  first.terminate();  // SIGTERM
  ASSERT_TRUE(first.waitForFinished(60000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
  EXPECT_EQ(test::ReadBytes(settings),
            "[Config]\r\nCode=1\r\nCodeList=1301\r\nCategory=" + std::string(33, '0') +
                "\r\n[Keep]\r\nA=1\r\n");
}

}  // namespace
}  // namespace vantora
