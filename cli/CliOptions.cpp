// Parsing of vantora-cli's command line with CLI11, and the checks that make
// a bad invocation fail before any page is fetched.
#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <cctype>
#include <set>

#include "common/FileName.h"
#include "common/TextUtil.h"
#include "worker/Job.h"

#ifndef VANTORA_VERSION
#define VANTORA_VERSION "0.0.0"
#endif

namespace vantora::cli {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string SectorHelp() {
  std::string help = "sectors: 'all', or a comma list of positions 0-32 or sector codes:\n";
  for (int i = 0; i < kSectorCount; ++i) {
    help += "  " + std::to_string(i) + (i < 10 ? "  " : " ") + SectorCode(i) + " " + SectorNameUtf8(i) + "\n";
  }
  return help;
}

}  // namespace

std::vector<int> ParseSectorList(const std::string& text, std::string& error) {
  error.clear();
  const std::string trimmed = Trim(text);
  std::vector<int> positions;
  if (trimmed == "all" || trimmed == "ALL") {
    for (int i = 0; i < kSectorCount; ++i) positions.push_back(i);
    return positions;
  }
  std::set<int> chosen;
  StringList entries;
  SplitText(trimmed, ",", entries);
  for (const std::string& raw : entries) {
    const std::string entry = Trim(raw);
    if (entry.empty()) continue;
    int position = -1;
    if (AllDigits(entry) && entry.size() == 4) {
      for (int i = 0; i < kSectorCount; ++i) {
        if (SectorCode(i) == entry) position = i;
      }
    } else if (AllDigits(entry) && entry.size() <= 2) {
      const int number = std::stoi(entry);
      if (number < kSectorCount) position = number;
    }
    if (position < 0) {
      error = "unknown sector '" + entry + "' (use a position 0-32, a sector code such as 0050, or all)";
      return {};
    }
    chosen.insert(position);
  }
  if (chosen.empty()) {
    error = "no sector given";
    return {};
  }
  return {chosen.begin(), chosen.end()};
}

std::string ForceCsvExtension(const std::string& path) {
  // A folder stays as it was named, for the run to refuse it by name.
  std::error_code error;
  if (path.empty() || path.back() == '/' || std::filesystem::is_directory(NativePath(path), error)) return path;
  const auto slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const auto dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".csv" ? path : path + ".csv";
}

ParseOutcome ParseCommandLine(int argc, const char* const* argv) {
  ParseOutcome outcome;
  CliOptions& options = outcome.options;

  CLI::App app{"Fetches the profile pages of Japanese listed companies and writes one CSV file.",
               "vantora-cli"};
  app.set_version_flag("--version", std::string("vantora-cli ") + VANTORA_VERSION);
  app.footer(SectorHelp() +
             "\nexit codes: 0 records written (every page read), 1 nothing found, 2 usage,\n"
             "            3 site unreachable, 4 output or scratch file error, 5 records written but\n"
             "            not every page read (see the report), 6 the site's pages changed their\n"
             "            layout, 7 the site keeps refusing requests, 130 interrupted\n"
             "environment: VANTORA_BASE_URL (as --base-url), VANTORA_PAUSE_SCALE (factor on the pauses)");

  std::string codes;
  std::string sectors;
  std::string output;
  std::string encoding = "sjis";
  auto* codesOption = app.add_option("--codes", codes, "stock codes separated by ',' (as in the code field)");
  auto* sectorsOption = app.add_option("--sectors", sectors, "sectors: all, positions 0-32 or codes such as 0050");
  codesOption->excludes(sectorsOption);
  app.add_option("-o,--output", output, "output file; .csv is added when missing")->required();
  auto* forceOption = app.add_flag("--force", options.force, "replace an existing output file");
  auto* resumeOption = app.add_flag("--resume", options.resume,
                                    "take up an interrupted run of the same inputs in the output file");
  auto* retryOption = app.add_flag("--retry-failed", options.retryFailed,
                                   "read again the companies of the output file's report that were not ok");
  resumeOption->excludes(forceOption);
  retryOption->excludes(forceOption);
  retryOption->excludes(resumeOption);
  retryOption->excludes(codesOption);
  retryOption->excludes(sectorsOption);
  auto* baseOption = app.add_option("--base-url", options.baseUrl, "quote site base address (as VANTORA_BASE_URL)");
  auto* demoOption = app.add_flag("--demo", options.demo, "use the bundled sample site on 127.0.0.1");
  demoOption->excludes(baseOption);
  app.add_flag("--all-pages", options.allPages,
               "sector mode: read every result page of a sector's listing, not only the first");
  app.add_option("--encoding", encoding, "sjis (default, the window's bytes) or utf-8 (with a byte-order mark)")
      ->check(CLI::IsMember({"sjis", "utf-8"}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    outcome.kind = ParseOutcome::Kind::kPrinted;
    outcome.text = app.help();
    return outcome;
  } catch (const CLI::CallForVersion&) {
    outcome.kind = ParseOutcome::Kind::kPrinted;
    outcome.text = app.version() + "\n";
    return outcome;
  } catch (const CLI::ParseError& error) {
    outcome.text = error.what();
    return outcome;
  }

  if (codesOption->count() == 0 && sectorsOption->count() == 0 && !options.retryFailed) {
    outcome.text = "give either --codes or --sectors";
    return outcome;
  }
  if (codesOption->count() > 0) {
    // The window refuses a code field that is blank once trimmed.
    if (Trim(codes).empty()) {
      outcome.text = "--codes: no stock code given";
      return outcome;
    }
    options.codeMode = true;
    options.codes = codes;
  } else if (sectorsOption->count() > 0) {
    std::string error;
    options.sectors = ParseSectorList(sectors, error);
    if (options.sectors.empty()) {
      outcome.text = "--sectors: " + error;
      return outcome;
    }
  }
  if (output.empty()) {
    outcome.text = "--output: empty file name";
    return outcome;
  }
  options.outputFile = ForceCsvExtension(output);
  if (baseOption->count() > 0) {
    std::string base = Trim(options.baseUrl);
    if (base.rfind("http://", 0) != 0 && base.rfind("https://", 0) != 0) {
      outcome.text = "--base-url: must begin with http:// or https://";
      return outcome;
    }
    options.baseUrl = base;
  }
  options.encoding = encoding == "utf-8" ? OutputEncoding::kUtf8 : OutputEncoding::kShiftJis;
  outcome.kind = ParseOutcome::Kind::kRun;
  return outcome;
}

}  // namespace vantora::cli
