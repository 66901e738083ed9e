// Helpers of the command-line tests: running vantora-cli as a child process
// with its output in files, signalling it and waiting with a limit; a
// temporary folder; file helpers.
#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/quote_server/QuoteServer.h"

namespace vantora::testing {

// The program under test, in the build tree.
std::string CliProgram();

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A running child: vantora-cli, or `program` when given. Its standard output
// and error go to files; standard input is /dev/null. The environment is
// this process's, with VANTORA_PAUSE_SCALE=0, without VANTORA_BASE_URL, then
// `env` applied (an empty value removes).
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
               const std::string& workingDir, const std::string& program = {});
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Sends `signal`; on Windows the child is ended (exit code 128 + signal).
  void Signal(int signal);
  // The exit code (128 + signal number when killed by a signal), or nothing
  // when the child is still running after `limit`.
  std::optional<int> Wait(std::chrono::milliseconds limit);

  std::string Stdout() const;
  std::string Stderr() const;

 private:
  long long process_ = -1;  // the platform's process number or handle
  std::optional<int> exitCode_;
  TempDir outputs_;
};

// The environment of a child: this process's, with VANTORA_PAUSE_SCALE=0,
// without VANTORA_BASE_URL, then `env` applied; "NAME=value" entries.
std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& env);

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs vantora-cli to its end (60 s at most) in `workingDir`.
CliResult RunCli(const std::vector<std::string>& args, const std::string& workingDir,
                 const std::map<std::string, std::string>& env = {});

std::optional<std::string> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// The bundled sample site in the source tree (the same pages --demo serves).
std::string SampleSite();

// The bytes the window's job writes for the same inputs: TMyThread run in
// this process against `baseUrl` with the window's 33 sector items, pauses
// off; `dir` holds its output and scratch files. `resultCode`, when given,
// receives the job's ResultCode.
std::string WindowJobBytes(const std::string& baseUrl, bool codeMode, const std::string& codesUtf8,
                           const std::vector<int>& tickedSectors, const TempDir& dir,
                           int* resultCode = nullptr);

// Lines of a CSV file split at CR LF (the line ends removed); the text after
// the last CR LF, if any, as a last line.
std::vector<std::string> CrLfLines(const std::string& bytes);

// A test with its own quote server on the sample site and a temporary
// working folder for the program.
class CliProcessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  std::string Dir() const { return dir_.Path().string(); }
  static std::string Base(const QuoteServer& server) { return server.BaseUrl(); }

  QuoteServer server_{SampleSite()};
  TempDir dir_;
};

}  // namespace vantora::testing
