// The child process of the command-line tests on Linux: posix_spawn with the
// output in files, signals by kill, the exit status by waitpid.
#include "CliTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

namespace vantora::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                           const std::string& workingDir, const std::string& program) {
  std::vector<std::string> envText = ChildEnvironment(env);
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

  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, argText[0].c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error(std::string("cannot start ") + argText[0] + ": " + std::strerror(error));
  process_ = pid;
}

ChildProcess::~ChildProcess() {
  if (!exitCode_ && process_ > 0) {
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    int status = 0;
    ::waitpid(static_cast<pid_t>(process_), &status, 0);
  }
}

void ChildProcess::Signal(int signal) {
  if (!exitCode_ && process_ > 0) ::kill(static_cast<pid_t>(process_), signal);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (exitCode_) return exitCode_;
  const auto end = std::chrono::steady_clock::now() + limit;
  const pid_t pid = static_cast<pid_t>(process_);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitCode_;
    }
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace vantora::testing
