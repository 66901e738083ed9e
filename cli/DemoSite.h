// The sample quote site installed with the program for offline demos: a few
// companies of two sectors, served by the local quote server.
#pragma once

#include <string>

namespace vantora::cli {

// The folder of the bundled site: "demo-site" beside the executable (the
// build tree), else "../share/vantora/demo-site" from it (an installed
// program). Empty when neither exists.
std::string FindDemoSite();

}  // namespace vantora::cli
