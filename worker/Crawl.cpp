// The sector listing crawl.
#include "worker/Job.h"
#include "worker/JobInternal.h"

namespace vantora {

void CrawlSector(const std::string& /*sectorCode*/) {
  JobState& job = Job();
  job.itemTotal = 0;
  job.itemCountDone = 0;
  SyncShowStatus();
}

}  // namespace vantora
