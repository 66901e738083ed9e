// The locked output file on Windows: CreateFileW, LockFileEx, SetEndOfFile
// and WriteFile. The lock covers one byte far past any real file's end:
// Windows locks bar reading, and only the writers, not the readers of the
// file, are to be kept out. The file is shared for deletion so that it can
// be replaced while it is held.
#include "worker/LockedFile.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "common/FileName.h"

namespace vantora {
namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;  // byte 2^63 - 2^32 of the file

HANDLE Handle(long long handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }
long long Stored(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1 : static_cast<long long>(reinterpret_cast<intptr_t>(handle));
}

// The system's reason for `error` in English words.
std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return "No such file or directory";
    case ERROR_PATH_NOT_FOUND: return "No such file or directory";
    case ERROR_ACCESS_DENIED: return "Permission denied";
    case ERROR_SHARING_VIOLATION: return "The file is in use by another program";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "File exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "No space left on device";
    case ERROR_WRITE_PROTECT: return "Read-only file system";
    case ERROR_INVALID_NAME: return "Invalid argument";
    default: return "system error " + std::to_string(error);
  }
}

bool TakeLock(HANDLE file) {
  OVERLAPPED where{};
  where.OffsetHigh = kLockOffsetHigh;
  return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) != 0;
}

HANDLE OpenShared(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  return ::CreateFileW(NativePath(path).wstring().c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition, flags, nullptr);
}

}  // namespace

LockedFile::~LockedFile() {
  if (handle_ >= 0) ::CloseHandle(Handle(handle_));
}

bool LockedFile::IsOpen() const { return handle_ >= 0; }

LockedFile::OpenResult LockedFile::Lock() {
  if (TakeLock(Handle(handle_))) return OpenResult::kOpened;
  const DWORD error = ::GetLastError();
  ::CloseHandle(Handle(handle_));
  handle_ = -1;
  error_ = Reason(error);
  return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? OpenResult::kLockedByAnother
                                                                      : OpenResult::kFailed;
}

LockedFile::OpenResult LockedFile::OpenForWriting(const std::string& path, bool exclusive) {
  if (handle_ >= 0) ::CloseHandle(Handle(handle_));
  error_.clear();
  handle_ = Stored(OpenShared(path, GENERIC_WRITE, exclusive ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (handle_ < 0) {
    error_ = Reason(::GetLastError());
    return OpenResult::kFailed;
  }
  return Lock();
}

LockedFile::OpenResult LockedFile::OpenToHold(const std::string& path) {
  if (handle_ >= 0) ::CloseHandle(Handle(handle_));
  error_.clear();
  handle_ = Stored(OpenShared(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (handle_ < 0) {
    error_ = Reason(::GetLastError());
    return OpenResult::kFailed;
  }
  return Lock();
}

bool LockedFile::Truncate(long long size) {
  LARGE_INTEGER position;
  position.QuadPart = size;
  if (!::SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN) || !::SetEndOfFile(Handle(handle_))) {
    error_ = Reason(::GetLastError());
    return false;
  }
  return true;
}

bool LockedFile::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(Handle(handle_), bytes.data() + done, piece, &written, nullptr)) {
      error_ = Reason(::GetLastError());
      return false;
    }
    if (written == 0) {
      error_ = Reason(ERROR_DISK_FULL);
      return false;
    }
    done += written;
  }
  return true;
}

void LockedFile::LetReplace() { Close(); }

bool LockedFile::Close() {
  if (handle_ < 0) return false;
  const HANDLE file = Handle(handle_);
  handle_ = -1;
  if (!::CloseHandle(file)) {
    error_ = Reason(::GetLastError());
    return false;
  }
  return true;
}

bool LockedByAnotherWriter(const std::string& path) {
  const HANDLE file = OpenShared(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool locked = !TakeLock(file) && ::GetLastError() == ERROR_LOCK_VIOLATION;
  ::CloseHandle(file);
  return locked;
}

}  // namespace vantora
