// Whole-file replacement through a temporary file and a rename (Linux, POSIX calls).
#include "app/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace vantora {

namespace {

// Closes the descriptor and removes the temporary file unless it was renamed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    // The name starts with the target's so that it lands in the same folder
    // (a rename never crosses file systems); O_EXCL makes it ours alone.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    present_ = fd_ >= 0;
    // The new file keeps the permissions of the file it replaces (a link's
    // own are not a file's).
    struct stat old {};
    if (present_ && ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
      (void)::fchmod(fd_, old.st_mode & 07777);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (present_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Open() const { return fd_ >= 0; }

  bool WriteAll(std::string_view bytes) const {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(fd_) == 0;
  }

  bool RenameTo(const std::string& target) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 || ::rename(path_.c_str(), target.c_str()) != 0) return false;
    present_ = false;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool present_ = false;  // the file exists under path_ and is ours to remove
};

// Makes the rename itself durable: the folder's entry is flushed too.
void SyncFolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
  TemporaryFile temporary(path);
  if (!temporary.Open() || !temporary.WriteAll(bytes) || !temporary.RenameTo(path)) return false;
  SyncFolderOf(path);
  return true;
}

}  // namespace vantora
