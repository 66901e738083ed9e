// Shared helpers of the job tests: the recording host, temporary job
// folders, environment variables, file and CSV helpers.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "JobTestSupport.h"
#include "tests/platform/TestPlatform.h"
#include "tools/fuzz/ExtractionCheck.h"
#include "worker/Job.h"

namespace vantora::testing {

std::vector<std::string> RecordingHost::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::vector<std::string> RecordingHost::Events(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : Events())
    if (e.rfind(prefix, 0) == 0) out.push_back(e);
  return out;
}

void RecordingHost::Record(const std::string& event) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back(event);
  }
  if (onEvent) onEvent(event);
}

JobInputs RecordingHost::Inputs() { return inputs; }

void RecordingHost::ResetProgress(int maximum) {
  position_ = 0;
  maximum_ = maximum;
  Record("reset " + std::to_string(maximum));
}

void RecordingHost::StepProgress() {
  if (position_ < maximum_) ++position_;
  Record("step " + std::to_string(position_));
}

void RecordingHost::SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) {
  Record("taskbar " + std::to_string(completed) + "/" + std::to_string(total));
}

void RecordingHost::ShowStatus(const std::string& caption) { Record("status " + Utf8(caption)); }

void RecordingHost::JobCompleted(TMyThread* sender) {
  isRunningAtCompletion = isRunning.load();
  resultAtCompletion = resultCode.load();
  completionSender = sender;
  ++completions;
  Record("completed");
}

JobInputs CodeInputs(const std::string& codeTextUtf8, const std::string& outputFile) {
  JobInputs in;
  in.codeMode = true;
  in.codeText = Sjis(codeTextUtf8);
  in.outputFileName = outputFile;
  for (int i = 0; i < kSectorCount; ++i) in.sectors.push_back({false, Sjis(SectorNameUtf8(i))});
  return in;
}

JobInputs SectorInputs(const std::vector<int>& ticked, const std::string& outputFile) {
  JobInputs in;
  in.codeMode = false;
  in.codeText = "1301";  // not read in sector mode
  in.outputFileName = outputFile;
  for (int i = 0; i < kSectorCount; ++i) in.sectors.push_back({false, Sjis(SectorNameUtf8(i))});
  for (int p : ticked) in.sectors[static_cast<std::size_t>(p)].ticked = true;
  return in;
}

void RunJobThread(RecordingHost& host, std::atomic<TMyThread*>* thread) {
  auto* worker = new TMyThread(true, host);
  if (thread != nullptr) thread->store(worker);
  worker->Start();
  worker->WaitFor();
  if (thread != nullptr) thread->store(nullptr);
  delete worker;
}

JobFolder::JobFolder() {
  path_ = NewTempFolder("vantora-job-");
  SetJobScratchFilePath(Scratch());
}

JobFolder::~JobFolder() {
  SetJobScratchFilePath("");
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  SetEnvironment(name, value);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    SetEnvironment(name_, old_);
  else
    UnsetEnvironment(name_);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string FixturePath(const std::string& relative) {
  return std::string(VANTORA_FIXTURES_DIR) + "/" + relative;
}

std::vector<std::string> CsvLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> CsvValues(const std::string& line) {
  if (line.empty()) return {};
  auto values = fuzz::QuotedValues(line);
  if (!values) throw std::runtime_error("not a line of quoted values: " + line);
  return std::move(*values);
}

int UnusedPort() { return RefusingPort(); }

}  // namespace vantora::testing
