// Finding the bundled sample site beside the program or in its share folder.
#include "cli/DemoSite.h"

#include <filesystem>

#include "common/FileName.h"
#include "common/SiteConfig.h"

namespace vantora::cli {

std::string FindDemoSite() {
  const std::string folder = ProgramFolder();
  for (const std::string& candidate : {folder + "demo-site", folder + "../share/vantora/demo-site"}) {
    std::error_code error;
    if (std::filesystem::is_directory(NativePath(candidate + "/profile"), error)) return candidate;
  }
  return {};
}

}  // namespace vantora::cli
