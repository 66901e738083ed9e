// The single-instance guard: an exclusive lock held for the life of the
// program. On Linux an exclusive flock on "<name>.lock" in the user's runtime
// folder ($XDG_RUNTIME_DIR), or, when that is unset, missing or not writable,
// on "<name>-<uid>.lock" in the temporary folder (shared by all users, hence
// the user id) (app/qt/SingleInstance.cpp); on Windows a named mutex
// (app/win32/SingleInstance.cpp). A second program asking for the
// same name does not get it.
#pragma once

#include <string>
#include <vector>

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
  // True when the lock was not acquired because another process holds it
  // (false when no lock file could be opened at all).
  bool HeldElsewhere() const { return heldElsewhere_; }

  // The lock files for `name` in the order they are tried (Linux).
  static std::vector<std::string> LockFilePaths(const std::string& name);
  // The first of them: the preferred place.
  static std::string LockFilePath(const std::string& name) { return LockFilePaths(name).front(); }
  // The lock file held, or the one another process holds; empty when none
  // could be opened.
  const std::string& Path() const { return path_; }

 private:
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
  std::string path_;
  bool acquired_ = false;
  bool heldElsewhere_ = false;
};

}  // namespace vantora
