// The window tests' QApplication (offscreen platform) and the helpers of
// support_App.h.
#include "support_App.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "common/Thread.h"

namespace vantora::test {

namespace {

class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "app_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// Registered before main runs; GoogleTest owns the environment.
[[maybe_unused]] ::testing::Environment* const gQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

int ScriptedDialogs::MessageBox(void*, const std::string& text, const std::string& caption,
                                unsigned flags) {
  boxes.push_back({QString::fromStdString(text), QString::fromStdString(caption), flags});
  if (!answers.empty()) {
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer();
  }
  return DefaultButtonResult(flags);
}

std::optional<std::string> ScriptedDialogs::ExecuteSaveDialog(void*,
                                                              const SaveDialogRequest& request) {
  saveRequests.push_back({QString::fromStdString(request.title), QString::fromStdString(request.filter),
                          QString::fromStdString(request.fileName), QString::fromStdString(request.folder),
                          request.options});
  if (saveAnswers.empty()) return std::nullopt;
  const SaveAnswer answer = saveAnswers.front();
  saveAnswers.pop_front();
  if (!answer.chosen) return std::nullopt;
  return answer.path.toStdString();
}

void ScriptedDialogs::FlashWindow(void* window, int count, int intervalMs) {
  flashes.push_back({static_cast<QWidget*>(window), count, intervalMs});
}

bool WaitUntil(const std::function<bool()>& condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > 60000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool WaitForWorkers() { return WaitUntil([] { return TThread::RunningCount() == 0; }); }

QString Utf8(const char* text) { return QString::fromUtf8(text); }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vantora::test
