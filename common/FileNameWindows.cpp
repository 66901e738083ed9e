// The file calls of FileName.h on Windows: the UTF-16 ones (_wfopen,
// MoveFileExW, DeleteFileW), with the name converted from UTF-8 by the
// program's own conversion (a byte that is no UTF-8 becomes '?', where the
// standard library's would throw).
#include "common/FileName.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/Charset.h"

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

std::filesystem::path NativePath(std::string_view name) {
  const std::u16string wide = Utf8ToUtf16(name);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
}

std::string NameOf(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

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
