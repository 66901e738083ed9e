// The single-instance guard: an exclusive lock held for the life of the
// program. On Linux an exclusive flock on "<name>.lock" in the user's runtime
// folder ($XDG_RUNTIME_DIR, else the temporary folder); on Windows a named
// mutex. A second program asking for the same name does not get it.
#pragma once

#include <string>

namespace vantora {

class SingleInstance {
 public:
  // Tries to take the lock at once (never waits).
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();  // releases the lock
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another process holds the name, or on any error on the way.
  bool Acquired() const { return acquired_; }

  // The lock file for `name` (Linux).
  static std::string LockFilePath(const std::string& name);

 private:
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
  bool acquired_ = false;
};

}  // namespace vantora
