// An output file held under an exclusive lock for as long as it is open, so
// that no second run writes (or replaces) the same file, with the few calls
// the CSV writer needs: write all, cut back to a size, close.
#pragma once

#include <string>
#include <string_view>

namespace vantora {

class LockedFile {
 public:
  enum class OpenResult {
    kOpened,
    kFailed,           // cannot be created or opened (Error() tells why)
    kLockedByAnother,  // another writer holds the lock; nothing was changed
  };

  LockedFile() = default;
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  // Opens `path` for writing, created when missing (when `exclusive`, it
  // must not exist yet), at its start and unchanged, and takes the lock
  // without waiting.
  OpenResult OpenForWriting(const std::string& path, bool exclusive);
  // Opens the existing file `path` for reading only and takes the lock
  // without waiting: a hold on a file that is to be replaced.
  OpenResult OpenToHold(const std::string& path);

  // Cuts the file to (or extends it to) `size` bytes and goes on writing there.
  bool Truncate(long long size);
  // Writes all of `bytes` at the current position; false when not all went.
  bool Write(std::string_view bytes);
  // Lets a held file be replaced by a rename: a no-op where an open file can
  // be replaced (Linux); on Windows, where it cannot, the file is closed.
  void LetReplace();
  // Releases the lock and closes; false when closing reported a failure.
  bool Close();

  bool IsOpen() const;
  // The system's reason for the last failure ("No space left on device").
  const std::string& Error() const { return error_; }

 private:
  OpenResult Lock();

  // The platform's handle: a descriptor on Linux, a HANDLE on Windows.
  long long handle_ = -1;
  std::string error_;
};

// Whether another writer holds the lock of the file at `path` (false when
// the file does not exist, is a link, or cannot be opened).
bool LockedByAnotherWriter(const std::string& path);

}  // namespace vantora
