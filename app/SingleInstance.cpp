// Single-instance guard: exclusive flock on a lock file (Linux) or a named
// mutex (Windows).
#include "app/SingleInstance.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vantora {

std::string SingleInstance::LockFilePath(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code ec;
  if (runtime != nullptr && *runtime != '\0' && fs::is_directory(runtime, ec)) {
    folder = runtime;
  } else {
    folder = fs::temp_directory_path(ec);
    if (ec) folder = "/tmp";
  }
  return (folder / (name + ".lock")).string();
}

#ifdef _WIN32

SingleInstance::SingleInstance(const std::string& name) {
  SetLastError(ERROR_SUCCESS);
  mutex_ = CreateMutexA(nullptr, TRUE, name.c_str());
  acquired_ = mutex_ != nullptr && GetLastError() == ERROR_SUCCESS;
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) {
    if (acquired_) ReleaseMutex(static_cast<HANDLE>(mutex_));
    CloseHandle(static_cast<HANDLE>(mutex_));
  }
}

#else

SingleInstance::SingleInstance(const std::string& name) {
  fd_ = ::open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

SingleInstance::~SingleInstance() {
  // Closing the descriptor releases the lock; the file stays for the next run.
  if (fd_ >= 0) ::close(fd_);
}

#endif

}  // namespace vantora
