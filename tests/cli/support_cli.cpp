// The child-process runner and file helpers of the command-line tests.
#include "CliTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "common/Charset.h"
#include "common/FileName.h"
#include "tests/platform/TestPlatform.h"
#include "worker/Job.h"
#include "worker/JobHost.h"
#include "worker/MyThread.h"

namespace vantora::testing {

namespace {

// The window's side of a job, reduced to what decides the file's bytes:
// the same inputs the window hands over, the job run on TMyThread.
class WindowLikeHost final : public JobHost {
 public:
  explicit WindowLikeHost(JobInputs inputs) : inputs_(std::move(inputs)) {}
  JobInputs Inputs() override { return inputs_; }
  void ResetProgress(int) override {}
  void StepProgress() override {}
  int ProgressPosition() override { return 0; }
  int ProgressMaximum() override { return 0; }
  bool TaskbarReady() override { return false; }
  void SetTaskbarProgressValue(std::uint64_t, std::uint64_t) override {}
  void ShowStatus(const std::string&) override {}
  void JobCompleted(TMyThread*) override {}
  std::atomic<bool>& IsRunning() override { return running_; }
  std::atomic<int>& ResultCode() override { return result_; }

 private:
  JobInputs inputs_;
  std::atomic<bool> running_{false};
  std::atomic<int> result_{0};
};

}  // namespace

std::string WindowJobBytes(const std::string& baseUrl, bool codeMode, const std::string& codesUtf8,
                           const std::vector<int>& ticked, const TempDir& dir, int* resultCode) {
  JobInputs inputs;
  inputs.codeMode = codeMode;
  inputs.codeText = Utf8ToCp932(codesUtf8);
  for (int i = 0; i < kSectorCount; ++i) inputs.sectors.push_back({false, Utf8ToCp932(SectorNameUtf8(i))});
  for (int position : ticked) inputs.sectors[static_cast<std::size_t>(position)].ticked = true;
  inputs.outputFileName = dir.File("window.csv");
  SetEnvironment("VANTORA_BASE_URL", baseUrl);
  SetEnvironment("VANTORA_PAUSE_SCALE", "0");
  SetJobScratchFilePath(dir.File("tmp.dat"));
  WindowLikeHost host(inputs);
  {
    TMyThread thread(true, host);
    thread.Start();
    thread.WaitFor();
  }
  if (resultCode != nullptr) *resultCode = host.ResultCode().load();
  SetJobScratchFilePath({});
  UnsetEnvironment("VANTORA_BASE_URL");
  return ReadBytes(dir.File("window.csv")).value_or("<missing>");
}


std::string SampleSite() { return std::string(VANTORA_SOURCE_DIR) + "/demo/site"; }

void CliProcessTest::SetUp() {
  ASSERT_TRUE(std::filesystem::exists(CliProgram())) << "build vantora-cli first";
}

std::string CliProgram() { return std::string(VANTORA_BINARY_DIR) + "/cli/vantora-cli" VANTORA_EXE_SUFFIX; }

TempDir::TempDir() : path_(NewTempFolder("vantora-cli-test-")) {}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> variables = CurrentEnvironment();
  variables.insert_or_assign("VANTORA_PAUSE_SCALE", std::string(1, '0'));
  variables.erase("VANTORA_BASE_URL");
  for (const auto& [name, value] : env) {
    if (value.empty()) {
      variables.erase(name);
    } else {
      variables[name] = value;
    }
  }
  std::vector<std::string> text;
  for (const auto& [name, value] : variables) text.push_back(name + "=" + value);
  return text;
}

std::string ChildProcess::Stdout() const { return ReadBytes(outputs_.File("stdout")).value_or(""); }
std::string ChildProcess::Stderr() const { return ReadBytes(outputs_.File("stderr")).value_or(""); }

CliResult RunCli(const std::vector<std::string>& args, const std::string& workingDir,
                 const std::map<std::string, std::string>& env) {
  ChildProcess child(args, env, workingDir);
  CliResult result;
  const auto code = child.Wait(std::chrono::seconds(60));
  result.exitCode = code.value_or(-1);
  result.out = child.Stdout();
  result.err = child.Stderr();
  return result;
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(NativePath(path), std::ios::binary) << bytes;
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", start)) {
    lines.push_back(bytes.substr(start, at - start));
    start = at + 2;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

}  // namespace vantora::testing
