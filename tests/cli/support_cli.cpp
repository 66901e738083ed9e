// The child-process runner and file helpers of the command-line tests.
#include "CliTestSupport.h"

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "common/Charset.h"
#include "worker/Job.h"
#include "worker/JobHost.h"
#include "worker/MyThread.h"

extern char** environ;

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
  ::setenv("VANTORA_BASE_URL", baseUrl.c_str(), 1);
  ::setenv("VANTORA_PAUSE_SCALE", "0", 1);
  SetJobScratchFilePath(dir.File("tmp.dat"));
  WindowLikeHost host(inputs);
  {
    TMyThread thread(true, host);
    thread.Start();
    thread.WaitFor();
  }
  if (resultCode != nullptr) *resultCode = host.ResultCode().load();
  SetJobScratchFilePath({});
  ::unsetenv("VANTORA_BASE_URL");
  return ReadBytes(dir.File("window.csv")).value_or("<missing>");
}


std::string SampleSite() { return std::string(VANTORA_SOURCE_DIR) + "/demo/site"; }

void CliProcessTest::SetUp() {
  ASSERT_TRUE(std::filesystem::exists(CliProgram())) << "build vantora-cli first";
}

std::string CliProgram() { return std::string(VANTORA_BINARY_DIR) + "/cli/vantora-cli"; }

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantora-cli-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ChildProcess::ChildProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                           const std::string& workingDir, const std::string& program) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const auto eq = text.find('=');
    if (eq != std::string::npos) variables[text.substr(0, eq)] = text.substr(eq + 1);
  }
  variables.insert_or_assign("VANTORA_PAUSE_SCALE", std::string(1, '0'));
  variables.erase("VANTORA_BASE_URL");
  for (const auto& [name, value] : env) {
    if (value.empty()) {
      variables.erase(name);
    } else {
      variables[name] = value;
    }
  }
  std::vector<std::string> envText;
  for (const auto& [name, value] : variables) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::vector<std::string> argText = args;
  argText.insert(argText.begin(), program.empty() ? CliProgram() : program);
  std::vector<char*> argv;
  for (auto& text : argText) argv.push_back(text.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const std::string outPath = outputs_.File("stdout");
  const std::string errPath = outputs_.File("stderr");
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

  // The child starts with default dispositions and nothing blocked, whatever
  // the test runner set for itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  const int error = ::posix_spawn(&pid_, argText[0].c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error(std::string("cannot start ") + argText[0] + ": " + std::strerror(error));
}

ChildProcess::~ChildProcess() {
  if (!exitCode_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

void ChildProcess::Signal(int signal) {
  if (!exitCode_ && pid_ > 0) ::kill(pid_, signal);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (exitCode_) return exitCode_;
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitCode_;
    }
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
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
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
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
