// Whole-file replacement through a temporary file and a rename (Windows):
// the new file is written, flushed and moved over the old name in one step
// (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "app/ReplaceFile.h"
#include "common/FileName.h"

namespace vantora {

namespace {

// Closes the handle and deletes the temporary file unless it was moved.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
      path_ = NativePath(target + ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" +
                         std::to_string(counter++))
                  .wstring();
      handle_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    present_ = handle_ != INVALID_HANDLE_VALUE;
  }
  ~TemporaryFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (present_) ::DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }

  bool WriteAll(std::string_view bytes) const {
    while (!bytes.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
      if (!::WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return ::FlushFileBuffers(handle_) != 0;
  }

  bool MoveTo(const std::string& target) {
    const bool closed = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    if (!closed || !::MoveFileExW(path_.c_str(), NativePath(target).wstring().c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return false;
    present_ = false;
    return true;
  }

 private:
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool present_ = false;  // the file exists under path_ and is ours to delete
};

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
  TemporaryFile temporary(path);
  return temporary.Open() && temporary.WriteAll(bytes) && temporary.MoveTo(path);
}

}  // namespace vantora
