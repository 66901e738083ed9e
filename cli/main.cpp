// vantora-cli: the retrieval job without a window, for unattended runs and
// machines without a display; see --help.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/ProcessEnvironment.h"

int main(int argc, char** argv) {
  using namespace vantora::cli;
  // Before any thread exists, so that every thread takes them the same way.
  PrepareStopRequests();
  PrepareStandardStreams();
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  const ParseOutcome parsed = ParseCommandLine(static_cast<int>(pointers.size()), pointers.data());
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
