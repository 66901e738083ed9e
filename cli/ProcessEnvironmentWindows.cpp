// The CLI's process on Windows: console control events (Ctrl+C, Ctrl+Break,
// the console closing, log-off, shut-down) taken by a handler that hands
// them to the main thread, the UTF-16 command line, and the process calls.
#include "cli/ProcessEnvironment.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>

#include "common/Charset.h"
#include "common/FileName.h"

namespace vantora::cli {
namespace {

std::mutex gStopMutex;
std::condition_variable gStopSignal;
int gStopRequests = 0;  // not yet taken by WaitForStopRequest

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
      {
        std::lock_guard lock(gStopMutex);
        ++gStopRequests;
      }
      gStopSignal.notify_all();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

struct LocalFreer {
  void operator()(wchar_t** arguments) const noexcept { ::LocalFree(arguments); }
};

}  // namespace

void PrepareStopRequests() { ::SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

void PrepareStandardStreams() {
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool WaitForStopRequest(std::chrono::milliseconds wait) {
  std::unique_lock lock(gStopMutex);
  if (!gStopSignal.wait_for(lock, wait, [] { return gStopRequests > 0; })) return false;
  --gStopRequests;
  return true;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreer> wide(::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const std::wstring argument(wide.get()[i]);
    arguments.push_back(Utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
  }
  return arguments;
}

long CurrentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool ProcessGone(long pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  // A process that runs but may not be opened is no stale one.
  if (process == nullptr) return ::GetLastError() != ERROR_ACCESS_DENIED;
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

// The folder inherits the access rights of the temporary folder, which on
// Windows is the user's own.
std::string MakePrivateFolder(const std::string& prefix) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
    if (::CreateDirectoryW(NativePath(name).wstring().c_str(), nullptr)) return name;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

void SetEnvironmentValue(const std::string& name, const std::string& value) {
  const std::u16string wideName = Utf8ToUtf16(name);
  const std::u16string wideValue = Utf8ToUtf16(value);
  ::_wputenv_s(reinterpret_cast<const wchar_t*>(wideName.c_str()), reinterpret_cast<const wchar_t*>(wideValue.c_str()));
}

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

}  // namespace vantora::cli
