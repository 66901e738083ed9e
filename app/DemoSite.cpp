// The --demo switch: finds the bundled sample site and serves it locally.
#include "app/DemoSite.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "common/FileName.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"

namespace vantora {

bool DemoRequested(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--demo") == 0) return true;
  }
  return false;
}

std::string FindDemoSiteFolder() {
  const std::filesystem::path folder = NativePath(ProgramFolder());
  for (const char* relative : {"demo-site", "../cli/demo-site", "../share/vantora/demo-site"}) {
    std::error_code ec;
    const std::filesystem::path candidate = folder / relative;
    if (std::filesystem::is_directory(candidate, ec))
      return NameOf(std::filesystem::weakly_canonical(candidate, ec));
  }
  return {};
}

std::unique_ptr<QuoteServer> StartDemoSite() {
  const std::string site = FindDemoSiteFolder();
  if (site.empty()) {
    std::fprintf(stderr, "vantora: the bundled demo site was not found\n");
    return nullptr;
  }
  try {
    auto server = std::make_unique<QuoteServer>(site);
#ifdef _WIN32
    ::_putenv_s("VANTORA_BASE_URL", server->BaseUrl().c_str());
#else
    ::setenv("VANTORA_BASE_URL", server->BaseUrl().c_str(), 1);
#endif
    return server;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vantora: cannot serve the demo site: %s\n", error.what());
    return nullptr;
  }
}

}  // namespace vantora
