// The output file and its report replaced as a pair, through a marker file
// that names the new files.
#include "worker/PairReplacement.h"

#include <fstream>

#include "common/FileName.h"

#include "worker/Outcome.h"

namespace vantora {
namespace {

std::string MarkerPath(const std::string& target) { return target + ".replacing"; }

}  // namespace

bool ReplacePair(const std::string& target, const std::string& newRecords, const std::string& newReport,
                 std::string& error) {
  {
    std::ofstream marker(NativePath(MarkerPath(target)), std::ios::binary | std::ios::trunc);
    marker << newRecords << '\n' << newReport << '\n';
    marker.close();
    if (!marker) {
      RemoveFile(MarkerPath(target));
      error = "cannot write " + MarkerPath(target);
      return false;
    }
  }
  if (!CompletePairReplacement(target)) {
    error = "cannot rename the new files over " + target + " and its report";
    return false;
  }
  return true;
}

bool CompletePairReplacement(const std::string& target) {
  std::ifstream marker(NativePath(MarkerPath(target)), std::ios::binary);
  if (!marker) return true;
  std::string newRecords, newReport;
  std::getline(marker, newRecords);
  std::getline(marker, newReport);
  marker.close();
  // Either rename may have happened already; the other follows. A marker
  // cut short names nothing and is only removed.
  const std::pair<const std::string&, std::string> renames[] = {{newRecords, target},
                                                                {newReport, ReportPathFor(target)}};
  for (const auto& [from, to] : renames) {
    if (from.empty() || !NameExists(from)) continue;
    if (!RenameReplacing(from, to)) return false;
  }
  RemoveFile(MarkerPath(target));
  return true;
}

void DiscardPairReplacement(const std::string& target) { RemoveFile(MarkerPath(target)); }

}  // namespace vantora
