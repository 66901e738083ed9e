// vantora-cli: the retrieval job without a window, for unattended runs and
// machines without a display; see --help.
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"

int main(int argc, char** argv) {
  using namespace vantora::cli;
  // Before any thread exists, so that every thread inherits the mask.
  BlockStopSignals();
  const ParseOutcome parsed = ParseCommandLine(argc, argv);
  switch (parsed.kind) {
    case ParseOutcome::Kind::kPrinted:
      std::fputs(parsed.text.c_str(), stdout);
      return 0;
    case ParseOutcome::Kind::kUsageError:
      std::fprintf(stderr, "vantora-cli: %s\nRun with --help for more information.\n", parsed.text.c_str());
      return kExitUsage;
    case ParseOutcome::Kind::kRun:
      break;
  }
  return RunCli(parsed.options);
}
