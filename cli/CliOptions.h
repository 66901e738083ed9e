// The command line of vantora-cli: what it takes, checked before anything is
// fetched, and turned into the inputs the retrieval job reads.
#pragma once

#include <string>
#include <vector>

namespace vantora::cli {

enum class OutputEncoding { kShiftJis, kUtf8 };

struct CliOptions {
  bool codeMode = false;
  std::string codes;           // --codes, UTF-8 as typed
  std::vector<int> sectors;    // --sectors as list positions 0..32, ascending, no repeats
  std::string outputFile;      // -o with ".csv" forced as the window does
  bool force = false;
  std::string baseUrl;         // --base-url, empty when not given
  OutputEncoding encoding = OutputEncoding::kShiftJis;
  bool demo = false;
  bool allPages = false;       // --all-pages: every result page of a sector's listing
  bool resume = false;         // --resume: go on with an interrupted run in the output file
  bool retryFailed = false;    // --retry-failed: read again the companies that were not ok
};

struct ParseOutcome {
  enum class Kind { kRun, kPrinted, kUsageError };
  Kind kind = Kind::kUsageError;
  CliOptions options;    // kRun
  std::string text;      // kPrinted: for standard output; kUsageError: the message
};

// Parses the arguments (argv[0] is the program name). --help and --version
// give kPrinted; any mistake gives kUsageError with a message that names it.
ParseOutcome ParseCommandLine(int argc, const char* const* argv);

// Positions 0..32 from "all" or a comma list of positions and four-digit
// sector codes ("0,16", "0050,3700"). Empty on a bad entry, with `error` set.
std::vector<int> ParseSectorList(const std::string& text, std::string& error);

// The window's rule: unless the file-name part ends in ".csv" (any case),
// ".csv" is appended to the whole name. A name that ends in '/' or names an
// existing folder is returned unchanged.
std::string ForceCsvExtension(const std::string& path);

}  // namespace vantora::cli
