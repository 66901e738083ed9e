// The body of a vantora-cli run: prepares the output file, its report and the
// scratch folder, starts the demo server when asked, runs TMyThread with the
// console host, turns stop requests into a cancel and the job's outcome into the
// closing line and the exit code.
#include "cli/CliRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "cli/ConsoleHost.h"
#include "cli/DemoSite.h"
#include "cli/OutputTarget.h"
#include "cli/ProcessEnvironment.h"
#include "cli/RunFromFile.h"
#include "cli/ProgressView.h"
#include "common/Charset.h"
#include "common/FileName.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"
#include "worker/ContinueRun.h"
#include "worker/JobSummary.h"
#include "worker/MyThread.h"

namespace vantora::cli {
namespace {

namespace fs = std::filesystem;

constexpr char kScratchPrefix[] = "vantora-cli-";

// Removes the scratch folders ("vantora-cli-<pid>-XXXXXX") that runs killed
// earlier left behind: those whose process is gone.
void RemoveStaleScratchFolders(const fs::path& temp) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(temp, error)) {
    const std::string name = NameOf(entry.path().filename());
    if (name.rfind(kScratchPrefix, 0) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + sizeof kScratchPrefix - 1, &end, 10);
    if (pid <= 0 || end == nullptr || *end != '-' || pid == CurrentProcessId()) continue;
    if (!ProcessGone(pid)) continue;
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}

// A private folder for the scratch file, so that runs side by side (and the
// window) never share one; removed with its content at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    if (!error) RemoveStaleScratchFolders(temp);
    const std::string folder =
        error ? std::string() : MakePrivateFolder(NameOf(temp / (kScratchPrefix + std::to_string(CurrentProcessId()) + "-")));
    if (folder.empty()) throw std::runtime_error("cannot create a scratch folder");
    path_ = NativePath(folder);
    SetJobScratchFilePath(NameOf(path_ / "tmp.dat"));
  }
  ~ScratchFolder() {
    SetJobScratchFilePath({});
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  fs::path path_;
};

std::string Records(int count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

std::string Counted(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "15 ok, 2 not found, 1 network error": the outcomes that occurred, in the
// order of the keywords.
std::string OutcomeCounts(const JobSummary& summary) {
  struct Label {
    Outcome outcome;
    const char* one;
    const char* many;
  };
  static constexpr Label kLabels[] = {
      {Outcome::kOk, "ok", "ok"},
      {Outcome::kNotFound, "not found", "not found"},
      {Outcome::kBlocked, "blocked", "blocked"},
      {Outcome::kHttpError, "HTTP error", "HTTP errors"},
      {Outcome::kNetwork, "network error", "network errors"},
      {Outcome::kLayoutChanged, "of another layout", "of another layout"},
      {Outcome::kCancelled, "cancelled", "cancelled"},
      {Outcome::kLocalError, "local error", "local errors"},
      {Outcome::kTooLarge, "too large", "too large"},
  };
  std::string text;
  for (const Label& label : kLabels) {
    const int n = summary.Companies(label.outcome);
    if (n == 0) continue;
    if (!text.empty()) text += ", ";
    text += Counted(n, label.one, label.many);
  }
  if (summary.listingsNotOk > 0) {
    if (!text.empty()) text += ", ";
    text += Counted(summary.listingsNotOk, "sector listing not read", "sector listings not read");
  }
  return text;
}

// The closing line's tail: the records, their outcomes and the report file.
std::string RecordsAndReport(const JobSummary& summary, const std::string& target) {
  std::string text = Records(summary.records) + " in " + target;
  const std::string counts = OutcomeCounts(summary);
  if (!counts.empty()) text += " (" + counts + ")";
  return text + "; report: " + summary.reportPath;
}

JobInputs MakeInputs(const CliOptions& options, const std::string& jobFile) {
  JobInputs inputs;
  inputs.codeMode = options.codeMode;
  inputs.codeText = Utf8ToCp932(options.codes);
  for (int i = 0; i < kSectorCount; ++i) {
    inputs.sectors.push_back({false, Utf8ToCp932(SectorNameUtf8(i))});
  }
  for (int position : options.sectors) inputs.sectors[static_cast<std::size_t>(position)].ticked = true;
  inputs.outputFileName = jobFile;
  inputs.outputEncoding =
      options.encoding == OutputEncoding::kUtf8 ? FileEncoding::kUtf8WithBom : FileEncoding::kShiftJis;
  inputs.createOutputExclusively = true;
  inputs.allListingPages = options.allPages;
  return inputs;
}

// Runs the worker until its completion callback, taking a stop request
// (SIGINT, SIGTERM, Ctrl+C, ...) as Cancel. Returns whether a stop was asked for.
bool RunWorker(ConsoleHost& host, ProgressView& view) {
  auto worker = std::make_unique<TMyThread>(true, host);
  worker->Start();
  bool stopAsked = false;
  bool toldAgain = false;
  while (!host.WaitCompleted(std::chrono::milliseconds(0))) {
    if (!WaitForStopRequest(std::chrono::milliseconds(100))) continue;
    if (!stopAsked) {
      stopAsked = true;
      worker->Terminate();
      view.Message("vantora-cli: stopping after the current record ...");
    } else if (!toldAgain) {
      // The records written so far are on disk already; the job only needs
      // to finish the one in hand and close the file.
      toldAgain = true;
      view.Message("vantora-cli: already stopping; the records written so far are kept");
    }
  }
  worker->WaitFor();
  return stopAsked;
}

// The closing line and the exit code of a finished job.
int ExitFor(int result, bool interrupted, const JobSummary& summary, const std::string& target,
            ProgressView& view) {
  switch (result) {
    case kResultOutputFileError:
      view.Message("vantora-cli: cannot write " + target + " or its report (" + summary.reason + "); " +
                   RecordsAndReport(summary, target));
      return kExitOutputFileError;
    case kResultScratchFileError:
      view.Message("vantora-cli: stopped: the scratch file in " + summary.scratchFolder +
                   " cannot be written or read (" + summary.reason + "); " + RecordsAndReport(summary, target));
      return kExitOutputFileError;
    default:
      break;
  }
  if (interrupted) {
    view.Message("vantora-cli: interrupted; " + RecordsAndReport(summary, target));
    return kExitInterrupted;
  }
  switch (result) {
    case kResultLayoutChanged:
      view.Message("vantora-cli: stopped: the site's pages no longer have the expected layout (" +
                   std::to_string(kLayoutStopRun) + " companies in a row); " + RecordsAndReport(summary, target));
      return kExitLayoutChanged;
    case kResultSiteRefusing:
      view.Message("vantora-cli: stopped: the site keeps refusing requests (" + std::to_string(kBlockedStopRun) +
                   " companies in a row blocked after every wait); try again later; " +
                   RecordsAndReport(summary, target));
      return kExitSiteRefusing;
    case kResultSiteUnreachable:
      view.Message("vantora-cli: the quote site could not be reached (" + QuoteSiteBase() +
                   (summary.networkReason.empty() ? std::string() : ": " + summary.networkReason) + "); " +
                   RecordsAndReport(summary, target));
      return kExitSiteUnreachable;
    case kResultNothingFound: {
      std::string text = "vantora-cli: nothing found; " + target + " holds the header line only";
      if (summary.listingsNotOk > 0)
        text += " (" + OutcomeCounts(summary) + "; report: " + summary.reportPath + ")";
      view.Message(text);
      return kExitNothingFound;
    }
    default:
      break;
  }
  if (summary.AllOk()) {
    view.Message("vantora-cli: " + Records(summary.records) + " written to " + target + "; report: " +
                 summary.reportPath);
    return kExitRecordsWritten;
  }
  view.Message("vantora-cli: " + Records(summary.records) + ": " + OutcomeCounts(summary) +
               "; report: " + summary.reportPath);
  return kExitSomeNotOk;
}

}  // namespace

int RunCli(const CliOptions& options) {
  ProgressView view(stderr, IsTerminal(stderr));
  const std::string& target = options.outputFile;

  // Without a site of the user's the run could only fail: the built-in
  // address is a placeholder that never resolves. Nothing is written then.
  if (!options.demo && IsPlaceholderQuoteSiteBase(options.baseUrl.empty() ? QuoteSiteBase() : options.baseUrl)) {
    view.Message("vantora-cli: no quote site is set: give its address with --base-url URL (or VANTORA_BASE_URL), "
                 "or try the bundled sample site with --demo");
    return kExitUsage;
  }

  OutputTarget output;
  JobInputs inputs = MakeInputs(options, target);
  const std::string retryFile = RetryFileName(target, CurrentProcessId());
  if (options.retryFailed) {
    const int refused = PrepareRetry(options, retryFile, inputs, view);
    if (refused != 0) return refused < 0 ? kExitRecordsWritten : refused;
  } else if (options.resume) {
    if (const int refused = PrepareResume(options, inputs, view); refused != 0) return refused;
  } else {
    if (const int refused = output.Prepare(target, options.force, view); refused != 0) return refused;
    inputs.outputFileName = output.JobFile();
  }

  std::unique_ptr<QuoteServer> demoServer;
  if (options.demo) {
    const std::string site = FindDemoSite();
    if (site.empty()) {
      view.Message("vantora-cli: the bundled sample site is missing (demo-site beside the program)");
      return kExitSiteUnreachable;
    }
    try {
      demoServer = std::make_unique<QuoteServer>(site);
    } catch (const std::exception& error) {
      view.Message(std::string("vantora-cli: cannot start the sample site: ") + error.what());
      return kExitSiteUnreachable;
    }
    view.Message("vantora-cli: sample site at " + demoServer->BaseUrl());
  }
  // Set before the worker starts; nothing else reads the environment meanwhile.
  if (demoServer) {
    SetEnvironmentValue("VANTORA_BASE_URL", demoServer->BaseUrl());
  } else if (!options.baseUrl.empty()) {
    SetEnvironmentValue("VANTORA_BASE_URL", options.baseUrl);
  }

  std::optional<ScratchFolder> scratch;
  try {
    scratch.emplace();
  } catch (const std::exception& error) {
    view.Message(std::string("vantora-cli: ") + error.what());
    return kExitOutputFileError;
  }

  ConsoleHost host(std::move(inputs), view);
  const bool interrupted = RunWorker(host, view);
  view.Finish();
  int result = host.ResultCode().load();

  if (options.retryFailed) {
    // The new lines go in place of the old ones; the closing words then
    // tell of the whole file.
    const bool wentThrough =
        !interrupted && (result == kResultRecordsWritten || result == kResultNothingFound);
    if (result == kResultOutputFileError || !MergeRetry(options, retryFile, wentThrough, view))
      return kExitOutputFileError;
    JobSummary whole = WholeFileSummary(target);
    if (result == kResultRecordsWritten || result == kResultNothingFound) result = kResultRecordsWritten;
    return ExitFor(result, interrupted, whole, target, view);
  }

  // A replacement takes place only after a run that went through; a run
  // that was stopped, failed or reached no page leaves the old file.
  JobSummary summary = LastJobSummary();
  std::string written = target;
  if (output.Replacing()) {
    const bool wentThrough =
        !interrupted && (result == kResultRecordsWritten || result == kResultNothingFound);
    if (wentThrough && !output.Commit(view)) return kExitOutputFileError;
    if (wentThrough) {
      summary.reportPath = ReportPathFor(target);
    } else {
      output.KeepOld(view);
      written = output.JobFile();
    }
  }
  return ExitFor(result, interrupted, summary, written, view);
}

}  // namespace vantora::cli
