// `vantora --demo`: serves the sample quote site bundled with the program on
// 127.0.0.1 for the life of the window and points the retrieval job at it, so
// the tool can be tried without the internet. No other argument is read.
#pragma once

#include <memory>
#include <string>

namespace vantora {

class QuoteServer;

// Whether the command line asks for the demo.
bool DemoRequested(int argc, char** argv);

// The bundled site: "demo-site" beside the executable, the command-line
// program's copy in the build tree ("../cli/demo-site"), or the installed
// "../share/vantora/demo-site". Empty when none exists.
std::string FindDemoSiteFolder();

// Starts the server on the bundled site and sets VANTORA_BASE_URL to it;
// null (with a line on stderr) when the site is missing or cannot be served.
std::unique_ptr<QuoteServer> StartDemoSite();

}  // namespace vantora
