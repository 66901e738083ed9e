// The output file of a vantora-cli run: refusals (a folder, an existing
// file without --force, a file another run writes), the temporary file of a
// replacement and its move over the old file at the end.
#include "cli/OutputTarget.h"

#include <filesystem>
#include <system_error>

#include "cli/ProcessEnvironment.h"
#include "common/FileName.h"
#include "worker/CsvFile.h"
#include "worker/PairReplacement.h"
#include "worker/Outcome.h"

namespace vantora::cli {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) { return NameExists(path); }

bool IsFolder(const std::string& path) {
  std::error_code error;
  return (!path.empty() && path.back() == '/') || fs::is_directory(fs::symlink_status(NativePath(path), error));
}

// "out.csv" -> "out.partial-<pid>.csv" (a number added while that is taken).
std::string TemporaryName(const std::string& target) {
  const std::string stem = target.size() >= 4 ? target.substr(0, target.size() - 4) : target;
  const std::string base = stem + ".partial-" + std::to_string(CurrentProcessId());
  for (int n = 0;; ++n) {
    const std::string name = base + (n == 0 ? std::string() : "-" + std::to_string(n)) + ".csv";
    if (!Exists(name) && !Exists(ReportPathFor(name))) return name;
  }
}

}  // namespace

OutputTarget::~OutputTarget() = default;

int OutputTarget::Prepare(const std::string& target, bool force, ProgressView& view) {
  constexpr int kRefused = 4;
  target_ = target;
  jobFile_ = target;
  const std::string report = ReportPathFor(target);
  bool exists = false;
  for (const std::string& file : {target, report}) {
    if (IsFolder(file)) {
      view.Message("vantora-cli: " + file + " is a folder; name a file with -o");
      return kRefused;
    }
    if (!Exists(file)) continue;
    exists = true;
    if (!force) {
      view.Message("vantora-cli: " + file + " exists; use --force to replace it");
      return kRefused;
    }
    if (FileInUseByAnotherWriter(file)) {
      view.Message("vantora-cli: " + file + " is being written by another run");
      return kRefused;
    }
  }
  if (!exists) return 0;

  // The old file stays as it is until the run has ended well; meanwhile its
  // lock keeps a second run from replacing it as well.
  if (Exists(target)) {
    if (oldFile_.OpenToHold(target) == LockedFile::OpenResult::kLockedByAnother) {
      view.Message("vantora-cli: " + target + " is being written by another run");
      return kRefused;
    }
  }
  replacing_ = true;
  jobFile_ = TemporaryName(target);
  view.Message("vantora-cli: writing " + jobFile_ + "; it replaces " + target + " when the run has ended");
  return 0;
}

bool OutputTarget::Commit(ProgressView& view) {
  if (!replacing_) return true;
  std::string error;
  oldFile_.LetReplace();
  if (!ReplacePair(target_, jobFile_, ReportPathFor(jobFile_), error)) {
    view.Message("vantora-cli: cannot replace " + target_ + " (" + error + "); the new records are in " + jobFile_);
    return false;
  }
  return true;
}

void OutputTarget::KeepOld(ProgressView& view) {
  if (!replacing_) return;
  view.Message("vantora-cli: " + target_ + " is kept as it was; the new records are in " + jobFile_);
}

}  // namespace vantora::cli
