// Where a vantora-cli run writes: straight into a new output file (created
// exclusively, so that a second run on the same name is refused), or, when
// --force replaces an existing file, into a temporary file beside it that
// replaces the old file and its report only when the run has ended well. The
// old file is locked for the run, so that no second run replaces it too.
#pragma once

#include <string>

#include "cli/ProgressView.h"
#include "worker/LockedFile.h"

namespace vantora::cli {

class OutputTarget {
 public:
  OutputTarget() = default;
  ~OutputTarget();
  OutputTarget(const OutputTarget&) = delete;
  OutputTarget& operator=(const OutputTarget&) = delete;

  // Checks `target` and its report and prepares the file the job writes.
  // Returns 0, or the exit code of a refusal after saying why on `view`.
  int Prepare(const std::string& target, bool force, ProgressView& view);

  // The file the job writes (the target, or the temporary file).
  const std::string& JobFile() const { return jobFile_; }
  bool Replacing() const { return replacing_; }

  // At the end of a run that replaces a file: moves the new file and its
  // report over the old ones. False (after saying why) when that failed.
  bool Commit(ProgressView& view);
  // At the end of a run that must not replace the old file: says where the
  // new records are.
  void KeepOld(ProgressView& view);

 private:
  std::string target_;
  std::string jobFile_;
  bool replacing_ = false;
  LockedFile oldFile_;  // the old file, locked for the run
};

}  // namespace vantora::cli
