// Single-instance guard on Windows: the named mutex (CreateMutexA); the
// Linux file, app/qt/SingleInstance.cpp, locks a file.
#include "app/SingleInstance.h"

#include <windows.h>

namespace vantora {

std::vector<std::string> SingleInstance::LockFilePaths(const std::string& name) { return {name}; }

SingleInstance::SingleInstance(const std::string& name) {
  ::SetLastError(ERROR_SUCCESS);
  mutex_ = ::CreateMutexA(nullptr, TRUE, name.c_str());
  const DWORD error = ::GetLastError();
  acquired_ = mutex_ != nullptr && error == ERROR_SUCCESS;
  heldElsewhere_ = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  path_ = name;
}

SingleInstance::~SingleInstance() {
  if (mutex_ == nullptr) return;
  if (acquired_) ::ReleaseMutex(static_cast<HANDLE>(mutex_));
  ::CloseHandle(static_cast<HANDLE>(mutex_));
}

}  // namespace vantora
