// Helpers of the worker tests: a window stand-in implementing JobHost that
// records every callback, a run of the real worker thread, a temporary
// folder with the job's scratch file, and file and text helpers.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/Charset.h"
#include "worker/JobHost.h"
#include "worker/MyThread.h"

namespace vantora::testing {

// Shift-JIS bytes of a UTF-8 literal, and back (for readable failures).
inline std::string Sjis(const std::string& utf8) { return Utf8ToCp932(utf8); }
inline std::string Utf8(const std::string& sjis) { return Cp932ToUtf8(sjis); }

// The window stand-in. Callbacks append to `events` (UTF-8 texts):
//   "reset <max>", "step <position>", "taskbar <completed>/<total>",
//   "status <caption>", "completed".
class RecordingHost : public JobHost {
 public:
  JobInputs inputs;
  bool taskbarReady = true;
  // Called at the end of a callback, on the thread that runs callbacks; the
  // tests cancel from here as the window's Cancel handler would.
  std::function<void(const std::string& event)> onEvent;

  std::atomic<bool> isRunning{false};
  std::atomic<int> resultCode{-1};
  std::atomic<int> completions{0};
  bool isRunningAtCompletion = true;
  int resultAtCompletion = -1;
  TMyThread* completionSender = nullptr;

  std::vector<std::string> Events() const;
  // Only the events that begin with `prefix`.
  std::vector<std::string> Events(const std::string& prefix) const;

  JobInputs Inputs() override;
  void ResetProgress(int maximum) override;
  void StepProgress() override;
  int ProgressPosition() override { return position_; }
  int ProgressMaximum() override { return maximum_; }
  bool TaskbarReady() override { return taskbarReady; }
  void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) override;
  void ShowStatus(const std::string& caption) override;
  void JobCompleted(TMyThread* sender) override;
  std::atomic<bool>& IsRunning() override { return isRunning; }
  std::atomic<int>& ResultCode() override { return resultCode; }

 private:
  void Record(const std::string& event);
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  int position_ = 0;
  int maximum_ = 100;
};

// Inputs of a code-mode job.
JobInputs CodeInputs(const std::string& codeTextUtf8, const std::string& outputFile);
// Inputs of a sector-mode job with the 33 sectors of the window, `ticked`
// positions ticked.
JobInputs SectorInputs(const std::vector<int>& ticked, const std::string& outputFile);

// Runs one job on a real TMyThread (created suspended, started, waited for,
// deleted) and returns the thread pointer value it reported (for comparison
// only). `thread` receives the object while it runs, for cancelling.
void RunJobThread(RecordingHost& host, std::atomic<TMyThread*>* thread = nullptr);

// A temporary folder removed at the end; sets the job's scratch file to
// "tmp.dat" inside it for its lifetime.
class JobFolder {
 public:
  JobFolder();
  ~JobFolder();
  JobFolder(const JobFolder&) = delete;
  JobFolder& operator=(const JobFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Scratch() const { return File("tmp.dat"); }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
std::string FixturePath(const std::string& relative);

// The file split into lines at CR LF (the CR LF removed); a last line without
// CR LF is kept as it is.
std::vector<std::string> CsvLines(const std::string& bytes);

// The 22 values of a record line written by the job (quotes removed, "" -> ").
std::vector<std::string> CsvValues(const std::string& line);

// A port of 127.0.0.1 on which nothing listens.
int UnusedPort();

}  // namespace vantora::testing
