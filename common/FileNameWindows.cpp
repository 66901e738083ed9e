// The file calls of FileName.h on Windows: the UTF-16 ones (_wfopen,
// MoveFileExW, DeleteFileW), with the name converted from UTF-8.
#include "common/FileName.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace vantora {
namespace {

std::wstring Wide(const std::string& name) { return NativePath(name).wstring(); }

// errno for the system's reason of the last failed call.
void SetErrnoFromSystem() {
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: errno = EACCES; break;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: errno = EEXIST; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    default: errno = EIO; break;
  }
}

}  // namespace

std::FILE* OpenFile(const std::string& name, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(Wide(name).c_str(), wideMode.c_str());
}

bool RenameReplacing(const std::string& from, const std::string& to) {
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  SetErrnoFromSystem();
  return false;
}

bool RemoveFile(const std::string& name) { return ::DeleteFileW(Wide(name).c_str()) != 0; }

}  // namespace vantora
