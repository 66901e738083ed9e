// Shared helpers of the window tests: the scripted dialog service, a wait
// that keeps the GUI event loop running, and a temporary folder.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogService.h"

namespace vantora::test {

// Records every box, dialog and platform call, and answers from a script.
// A message box with no scripted answer gets its default button (Yes, or No
// with MB_DEFBUTTON2; OK for an OK box); a save dialog with no scripted
// answer is cancelled.
class ScriptedDialogs final : public DialogService {
 public:
  struct Box {
    QString text;
    QString caption;
    unsigned flags = 0;
  };

  // Answers for the next message boxes, in order. An answer may be a
  // function, run while the box is "on screen" (it may keep the event loop
  // running), returning IDYES, IDNO or IDOK.
  void Answer(int result) { answers.push_back([result] { return result; }); }
  void AnswerWith(std::function<int()> answer) { answers.push_back(std::move(answer)); }
  void ChooseFile(const QString& path) { saveAnswers.push_back({true, path}); }
  void CancelSaveDialog() { saveAnswers.push_back({false, QString()}); }

  // The save dialog's request as the test reads it.
  struct SaveRequest {
    QString title;
    QString filter;
    QString fileName;
    QString folder;
    unsigned options = 0;
  };

  int MessageBox(void* owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  void DismissMessageBox(void*) override { ++dismissals; }
  std::optional<std::string> ExecuteSaveDialog(void* owner,
                                               const SaveDialogRequest& request) override;
  void MessageBeep(unsigned type) override { beeps.push_back(type); }
  void FlashWindow(void* window, int count, int intervalMs) override;
  bool OpenDocument(const std::string& path) override {
    opened.push_back(QString::fromStdString(path));
    return openSucceeds;
  }
  void ShowException(const std::string& message) override {
    exceptions.push_back(QString::fromStdString(message));
  }

  std::vector<Box> boxes;
  std::vector<SaveRequest> saveRequests;
  std::vector<unsigned> beeps;
  struct Flash {
    QWidget* window;
    int count;
    int intervalMs;
  };
  std::vector<Flash> flashes;
  std::vector<QString> opened;
  bool openSucceeds = true;  // what OpenDocument answers
  int dismissals = 0;        // message boxes closed by the program
  std::vector<QString> exceptions;
  std::deque<std::function<int()>> answers;
  struct SaveAnswer {
    bool chosen;
    QString path;
  };
  std::deque<SaveAnswer> saveAnswers;
};

// Runs the GUI event loop until `condition` holds; false if it still does
// not after a long while (a hang guard, not a speed check).
bool WaitUntil(const std::function<bool()>& condition);

// Waits until every worker thread has ended and freed itself.
bool WaitForWorkers();

QString Utf8(const char* text);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace vantora::test
