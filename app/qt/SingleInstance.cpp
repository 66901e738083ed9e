// Single-instance guard on Linux: an exclusive flock on a lock file (the
// Windows file, app/win32/SingleInstance.cpp, takes a named mutex).
#include "app/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantora {

std::vector<std::string> SingleInstance::LockFilePaths(const std::string& name) {
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code ec;
  if (runtime != nullptr && *runtime != '\0' && fs::is_directory(runtime, ec))
    paths.push_back((fs::path(runtime) / (name + ".lock")).string());
  fs::path temp = fs::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  const std::string user = "-" + std::to_string(::getuid());
  paths.push_back((temp / (name + user + ".lock")).string());
  return paths;
}

SingleInstance::SingleInstance(const std::string& name) {
  // A folder where the file cannot be opened (not writable, gone) or locked
  // passes the turn to the next; a lock another process holds ends the search.
  for (const std::string& path : LockFilePaths(name)) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      path_ = path;
      acquired_ = true;
      return;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    if (held) {
      path_ = path;
      heldElsewhere_ = true;
      return;
    }
  }
}

SingleInstance::~SingleInstance() {
  // Closing the descriptor releases the lock; the file stays for the next run.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace vantora
