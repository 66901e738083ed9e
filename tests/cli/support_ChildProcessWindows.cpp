// The child process of the command-line tests on Windows: CreateProcessW
// with standard input from NUL and the output in files, a stop by
// TerminateProcess, the exit code by WaitForSingleObject.
#include "CliTestSupport.h"

#include <windows.h>

#include <stdexcept>

#include "common/Charset.h"
#include "common/FileName.h"

namespace vantora::testing {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

// One argument quoted as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE Inheritable(const std::wstring& name, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE Process(long long process) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(process)); }

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                           const std::string& workingDir, const std::string& program) {
  const std::string executable = program.empty() ? CliProgram() : program;
  std::wstring commandLine = Quoted(Wide(executable));
  for (const std::string& argument : args) commandLine += L" " + Quoted(Wide(argument));
  std::wstring block;
  for (const std::string& entry : ChildEnvironment(env)) block += Wide(entry) + L'\0';
  block += L'\0';

  const HANDLE input = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE output = Inheritable(NativePath(outputs_.File("stdout")).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE error = Inheritable(NativePath(outputs_.File("stderr")).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION info{};
  const BOOL started = ::CreateProcessW(Wide(executable).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT, block.data(),
                                        NativePath(workingDir).wstring().c_str(), &startup, &info);
  for (HANDLE handle : {input, output, error}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  if (!started) throw std::runtime_error("cannot start " + executable + ": error " + std::to_string(::GetLastError()));
  ::CloseHandle(info.hThread);
  process_ = static_cast<long long>(reinterpret_cast<intptr_t>(info.hProcess));
}

ChildProcess::~ChildProcess() {
  if (process_ < 0) return;
  if (!exitCode_) {
    ::TerminateProcess(Process(process_), 137);
    ::WaitForSingleObject(Process(process_), INFINITE);
  }
  ::CloseHandle(Process(process_));
}

void ChildProcess::Signal(int signal) {
  if (!exitCode_ && process_ >= 0) ::TerminateProcess(Process(process_), static_cast<UINT>(128 + signal));
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (exitCode_) return exitCode_;
  if (::WaitForSingleObject(Process(process_), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  ::GetExitCodeProcess(Process(process_), &code);
  exitCode_ = static_cast<int>(code);
  return exitCode_;
}

}  // namespace vantora::testing
