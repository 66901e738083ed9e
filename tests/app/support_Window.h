// Fixture of the window tests: a TFrmMain with the scripted dialogs, its
// settings file and the worker's scratch file in a temporary folder, and a
// local quote site on 127.0.0.1 with profile pages for a few codes.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/qt/FrmMain.h"
#include "support_App.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Shows the window and waits until its settings are loaded.
  void ShowAndLoad();
  // A path in the temporary folder.
  QString Path(const QString& name) const;
  std::string SettingsFile() const;
  // Code mode with `codes`, the save dialog answering `file`, start pressed.
  void StartCodeRun(const QString& codes, const QString& file);
  // Another window on the same settings file, shown and with its settings
  // loaded, as at the program's next start.
  std::unique_ptr<TFrmMain> NextStart();
  // Waits until the window has no worker and every worker thread has ended.
  bool WaitForEnd();
  bool Idle() const;

  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  std::unique_ptr<QuoteServer> server;
  std::unique_ptr<TFrmMain> form;
  int terminated = 0;  // how often the window asked the program to end
};

}  // namespace vantora::test
