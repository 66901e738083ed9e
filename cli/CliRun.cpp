// The body of a vantora-cli run: prepares the output file and the scratch
// folder, starts the demo server when asked, runs TMyThread with the console
// host, turns signals into a cancel and the job's ResultCode into an exit code.
#include "cli/CliRun.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>

#include "cli/ConsoleHost.h"
#include "cli/DemoSite.h"
#include "cli/OutputEncoding.h"
#include "cli/ProgressView.h"
#include "common/Charset.h"
#include "common/SiteConfig.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"
#include "worker/MyThread.h"

namespace vantora::cli {
namespace {

namespace fs = std::filesystem;

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// A private folder for the scratch file, so that runs side by side (and the
// window) never share one; removed with its content at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "vantora-cli-XXXXXX").string();
    if (error || ::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
    SetJobScratchFilePath((path_ / "tmp.dat").string());
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

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::string Records(int count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

int CountRecords(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int lines = 0;
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++lines;
  return lines > 0 ? lines - 1 : 0;
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
  return inputs;
}

// Runs the worker until its completion callback, taking SIGINT/SIGTERM as
// Cancel. Returns whether a stop was asked for.
bool RunWorker(ConsoleHost& host, ProgressView& view) {
  auto worker = std::make_unique<TMyThread>(true, host);
  worker->Start();
  const sigset_t signals = StopSignals();
  bool stopAsked = false;
  bool toldAgain = false;
  while (!host.WaitCompleted(std::chrono::milliseconds(0))) {
    const timespec wait{0, 100 * 1000 * 1000};
    const int signal = ::sigtimedwait(&signals, nullptr, &wait);
    if (signal != SIGINT && signal != SIGTERM) continue;
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

}  // namespace

void BlockStopSignals() {
  const sigset_t signals = StopSignals();
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int RunCli(const CliOptions& options) {
  ProgressView view(stderr, ::isatty(STDERR_FILENO) == 1);
  const std::string& target = options.outputFile;

  // The window deletes an existing file before a run; here that needs --force.
  if (Exists(target)) {
    std::error_code folderError;
    if (fs::is_directory(fs::symlink_status(target, folderError))) {
      view.Message("vantora-cli: " + target + " is a folder");
      return kExitOutputFileError;
    }
    if (!options.force) {
      view.Message("vantora-cli: " + target + " exists; use --force to replace it");
      return kExitOutputFileError;
    }
    std::error_code error;
    if (!fs::remove(target, error)) {
      view.Message("vantora-cli: cannot replace " + target + ": " + error.message());
      return kExitOutputFileError;
    }
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
    ::setenv("VANTORA_BASE_URL", demoServer->BaseUrl().c_str(), 1);
  } else if (!options.baseUrl.empty()) {
    ::setenv("VANTORA_BASE_URL", options.baseUrl.c_str(), 1);
  }

  // For UTF-8 the job writes its Shift-JIS bytes beside the target first.
  const bool utf8 = options.encoding == OutputEncoding::kUtf8;
  const std::string jobFile = utf8 ? target + ".sjis.part" : target;

  std::optional<ScratchFolder> scratch;
  try {
    scratch.emplace();
  } catch (const std::exception& error) {
    view.Message(std::string("vantora-cli: ") + error.what());
    return kExitOutputFileError;
  }

  ConsoleHost host(MakeInputs(options, jobFile), view);
  const bool interrupted = RunWorker(host, view);
  view.Finish();
  const int result = host.ResultCode().load();

  if (utf8) {
    const bool converted = result != kResultOutputFileError && WriteUtf8Copy(jobFile, target);
    std::error_code ignored;
    fs::remove(jobFile, ignored);
    if (!converted) {
      view.Message("vantora-cli: cannot write " + target);
      return kExitOutputFileError;
    }
  }

  const int records = CountRecords(utf8 ? target : jobFile);
  if (result == kResultOutputFileError) {
    view.Message("vantora-cli: cannot write " + target);
    return kExitOutputFileError;
  }
  if (interrupted) {
    view.Message("vantora-cli: interrupted; " + Records(records) + " kept in " + target);
    return kExitInterrupted;
  }
  if (result == kResultSiteUnreachable) {
    view.Message("vantora-cli: the quote site could not be reached (" + QuoteSiteBase() + ")");
    return kExitSiteUnreachable;
  }
  if (result == kResultNothingFound) {
    view.Message("vantora-cli: nothing found; " + target + " holds the header line only");
    return kExitNothingFound;
  }
  view.Message("vantora-cli: " + Records(records) + " written to " + target);
  return kExitRecordsWritten;
}

}  // namespace vantora::cli
