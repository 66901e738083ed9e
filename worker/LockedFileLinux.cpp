// The locked output file on Linux: open(2) and an exclusive flock(2), which
// other runs see, ftruncate(2) and write(2).
#include "worker/LockedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantora {

LockedFile::~LockedFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool LockedFile::IsOpen() const { return handle_ >= 0; }

LockedFile::OpenResult LockedFile::Lock() {
  const int fd = static_cast<int>(handle_);
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return OpenResult::kOpened;
  const int error = errno;
  ::close(fd);
  handle_ = -1;
  error_ = std::strerror(error);
  return error == EWOULDBLOCK ? OpenResult::kLockedByAnother : OpenResult::kFailed;
}

LockedFile::OpenResult LockedFile::OpenForWriting(const std::string& path, bool exclusive) {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  error_.clear();
  handle_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : 0), 0666);
  if (handle_ < 0) {
    error_ = std::strerror(errno);
    return OpenResult::kFailed;
  }
  return Lock();
}

LockedFile::OpenResult LockedFile::OpenToHold(const std::string& path) {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  error_.clear();
  handle_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle_ < 0) {
    error_ = std::strerror(errno);
    return OpenResult::kFailed;
  }
  return Lock();
}

bool LockedFile::Truncate(long long size) {
  const int fd = static_cast<int>(handle_);
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0 || ::lseek(fd, static_cast<off_t>(size), SEEK_SET) != size) {
    error_ = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

bool LockedFile::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = std::strerror(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void LockedFile::LetReplace() {}

bool LockedFile::Close() {
  if (handle_ < 0) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  if (::close(fd) != 0) {
    error_ = std::strerror(errno);
    return false;
  }
  return true;
}

bool LockedByAnotherWriter(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return locked;
}

}  // namespace vantora
