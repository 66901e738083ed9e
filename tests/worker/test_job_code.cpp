// The retrieval job in code mode, run on the real worker thread against a
// local quote-site server: the code list, the header and record lines, the
// progress and status sequence, cancelling, the output-file failures, the
// site-unreachable outcome and an exception inside the run.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "JobTestSupport.h"
#include "common/Download.h"
#include "common/Thread.h"
#include "tools/quote_server/QuoteServer.h"
#include "worker/Job.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// A page without any of the markup the extraction looks for.
const char* const kPlainPage = "<!DOCTYPE html>\n<html><body><p>no data</p></body></html>\n";

class CodeJob : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<QuoteServer>(folder_.File(""));
    base_ = std::make_unique<ScopedEnv>("VANTORA_BASE_URL", server_->BaseUrl());
    for (const char* code : {"1301", "7203", "6758"})
      server_->SetPage(std::string("/quote/") + code + "/profile", kPlainPage);
  }

  std::string Output() const { return folder_.File("out.csv"); }
  std::string Profile(const std::string& code) const {
    return server_->BaseUrl() + "/quote/" + code + "/profile";
  }
  std::vector<std::string> RequestedTargets() const {
    std::vector<std::string> targets;
    for (const auto& r : server_->Requests()) targets.push_back(r.target);
    return targets;
  }
  // The record line the job writes for a page that yields nothing.
  std::string EmptyRecord(const std::string& codeSjis, const std::string& profile) const {
    std::string line = "\"" + codeSjis + "\"";
    for (int i = 1; i < 21; ++i) line += ",\"\"";
    return line + ",\"" + profile + "\"";
  }

  JobFolder folder_;
  std::unique_ptr<QuoteServer> server_;
  std::unique_ptr<ScopedEnv> base_;
  ScopedEnv noPause_{"VANTORA_PAUSE_SCALE", "0"};
};

}  // namespace

TEST_F(CodeJob, EmptyCodeListWritesTheHeaderAloneInShiftJisWithCrLf) {
  for (const char* text : {"", "  ", ",,,", " ,,, "}) {
    RecordingHost host;
    host.inputs = CodeInputs(text, Output());
    RunJobThread(host);
    // The expected bytes were written by hand (iconv of the column names).
    EXPECT_EQ(ReadFileBytes(Output()), ReadFileBytes(FixturePath("expected/header.csv")))
        << "code text [" << text << "]";
    EXPECT_EQ(host.resultCode.load(), kResultNothingFound);
    EXPECT_EQ(host.Events(), std::vector<std::string>{"completed"});  // no reset, no status
    EXPECT_EQ(host.completions.load(), 1);
  }
  EXPECT_TRUE(server_->Requests().empty());
}

TEST_F(CodeJob, BlanksAndEmptyPiecesAreSkippedAndCodesKeepTheirOrder) {
  RecordingHost host;
  host.inputs = CodeInputs(" 1301 ,, 7203, ", Output());
  RunJobThread(host);
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], EmptyRecord("1301", Profile("1301")));
  EXPECT_EQ(lines[2], EmptyRecord("7203", Profile("7203")));
  EXPECT_EQ(RequestedTargets(), (std::vector<std::string>{"/quote/1301/profile", "/quote/7203/profile"}));
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);
}

TEST_F(CodeJob, ABlankEntryBetweenCommasStillYieldsARecord) {
  RecordingHost host;
  host.inputs = CodeInputs("1301, ,7203", Output());
  RunJobThread(host);
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], EmptyRecord("", server_->BaseUrl() + "/quote//profile"));
  EXPECT_EQ(RequestedTargets(),
            (std::vector<std::string>{"/quote/1301/profile", "/quote//profile", "/quote/7203/profile"}));
  EXPECT_EQ(host.Events("reset"), std::vector<std::string>{"reset 3"});
}

TEST_F(CodeJob, ACodeTypedTwiceIsProcessedTwice) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,1301", Output());
  RunJobThread(host);
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], lines[2]);
  EXPECT_EQ(server_->Requests().size(), 2u);
}

TEST_F(CodeJob, FullWidthCommaAndIdeographicSpaceArePartOfTheCode) {
  RecordingHost host;
  host.inputs = CodeInputs("1301，7203,　6758　", Output());
  RunJobThread(host);
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Utf8(CsvValues(lines[1])[0]), "1301，7203");
  EXPECT_EQ(Utf8(CsvValues(lines[2])[0]), "　6758　");
  EXPECT_EQ(host.Events("status").back(), "status 銘柄コード : [　6758　] 取得中 - 2/2件");
}

TEST_F(CodeJob, ProgressStepsAsEachCodeBeginsAndStatusFollowsEachRecord) {
  // One page with a value, so that three pages in a row without one do not
  // stop the job.
  server_->SetPage("/quote/7203/profile",
                   "<html><body><div><h2 class=\"_BasePriceBoard__name_a\">X</h2></div></body></html>\n");
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,6758", Output());
  RunJobThread(host);
  EXPECT_EQ(host.Events(), (std::vector<std::string>{
                               "reset 3",
                               "step 1", "taskbar 1/3", "status 銘柄コード : [1301] 取得中 - 1/3件",
                               "step 2", "taskbar 2/3", "status 銘柄コード : [7203] 取得中 - 2/3件",
                               "step 3", "taskbar 3/3", "status 銘柄コード : [6758] 取得中 - 3/3件",
                               "completed"}));
  EXPECT_FALSE(host.isRunningAtCompletion);
  EXPECT_EQ(host.resultAtCompletion, kResultRecordsWritten);
}

TEST_F(CodeJob, NoTaskbarProgressWhenTheWindowHasNone) {
  RecordingHost host;
  host.taskbarReady = false;
  host.inputs = CodeInputs("1301,7203", Output());
  RunJobThread(host);
  EXPECT_TRUE(host.Events("taskbar").empty());
  EXPECT_EQ(host.Events("step"), (std::vector<std::string>{"step 1", "step 2"}));
}

TEST_F(CodeJob, CancelDuringACodeWritesItsRecordAndStartsNoOther) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,6758", Output());
  std::atomic<TMyThread*> worker{nullptr};
  bool scratchExistedDuringTheJob = false;
  host.onEvent = [&](const std::string& event) {
    if (event == "step 2") worker.load()->Terminate();  // the window's confirmed Cancel
    if (event.rfind("status", 0) == 0 && event.find("1/3") != std::string::npos)
      scratchExistedDuringTheJob = FileExists(folder_.Scratch());
  };
  RunJobThread(host, &worker);
  // The code in hand gets its record, but once stopped the site is asked
  // nothing more.
  const auto lines = CsvLines(ReadFileBytes(Output()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], EmptyRecord("7203", Profile("7203")));
  EXPECT_EQ(RequestedTargets(), (std::vector<std::string>{"/quote/1301/profile"}));
  EXPECT_TRUE(scratchExistedDuringTheJob);
  EXPECT_FALSE(FileExists(folder_.Scratch()));
  EXPECT_EQ(host.completions.load(), 1);
  EXPECT_EQ(host.Events().back(), "completed");
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);
}

TEST_F(CodeJob, OutputFileThatCannotBeOpenedProcessesNothing) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203", folder_.File("no-such-folder/out.csv"));
  RunJobThread(host);
  EXPECT_EQ(host.resultCode.load(), kResultOutputFileError);
  EXPECT_EQ(host.Events(), std::vector<std::string>{"completed"});
  EXPECT_FALSE(host.isRunningAtCompletion);
  EXPECT_TRUE(server_->Requests().empty());
}

TEST_F(CodeJob, AFailingWriteOfTheHeaderEndsTheJobAsAFileError) {
#ifdef _WIN32
  GTEST_SKIP() << "needs /dev/full, a device whose every write fails";
#else
  RecordingHost host;
  host.inputs = CodeInputs("1301", "/dev/full");  // every write fails: no space
  RunJobThread(host);
  EXPECT_EQ(host.resultCode.load(), kResultOutputFileError);
  EXPECT_TRUE(server_->Requests().empty());
  EXPECT_EQ(host.completions.load(), 1);
#endif
}

TEST_F(CodeJob, AFailingRecordWriteStopsTheJobAndKeepsWhatWasWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a file size limit (setrlimit RLIMIT_FSIZE)";
#else
  // The file may grow to the header and the first record, not further.
  const std::string header = ReadFileBytes(FixturePath("expected/header.csv"));
  const std::string first = EmptyRecord("1301", Profile("1301")) + "\r\n";
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = header.size() + first.size();
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);

  RecordingHost host;
  host.inputs = CodeInputs("1301,7203,6758", Output());
  RunJobThread(host);
  ::setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_EQ(ReadFileBytes(Output()), header + first);
  EXPECT_EQ(host.resultCode.load(), kResultOutputFileError);
  EXPECT_EQ(RequestedTargets(), (std::vector<std::string>{"/quote/1301/profile", "/quote/7203/profile"}));
  EXPECT_EQ(host.Events("status").size(), 1u);  // no status for the record that failed
  EXPECT_EQ(host.completions.load(), 1);
#endif
}

TEST(CodeJobOffline, SiteUnreachableWhenNoDownloadGotAResponse) {
  JobFolder folder;
  ScopedEnv noPause("VANTORA_PAUSE_SCALE", "0");
  const std::string base = "http://127.0.0.1:" + std::to_string(UnusedPort());
  ScopedEnv site("VANTORA_BASE_URL", base);
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203", folder.File("out.csv"));
  RunJobThread(host);
  EXPECT_EQ(host.resultCode.load(), kResultSiteUnreachable);
  // The (empty) records stay in the file.
  const auto lines = CsvLines(ReadFileBytes(folder.File("out.csv")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(CsvValues(lines[2])[0], "7203");
  EXPECT_EQ(CsvValues(lines[2])[21], base + "/quote/7203/profile");
  EXPECT_FALSE(FileExists(folder.Scratch()));
}

TEST_F(CodeJob, OneAnsweredDownloadIsEnoughToReportRecords) {
  // 7203 gets no response within the (shortened) limits; 1301 does.
  const DownloadTimeouts old = GetDownloadTimeouts();
  SetDownloadTimeouts({1, 1});
  QuoteFault stall;
  stall.kind = QuoteFault::Kind::kStallBeforeResponse;
  stall.delay = std::chrono::milliseconds(4000);
  server_->SetFault("/quote/7203/profile", stall);
  RecordingHost host;
  host.inputs = CodeInputs("7203,1301", Output());
  RunJobThread(host);
  SetDownloadTimeouts(old);
  EXPECT_EQ(host.resultCode.load(), kResultRecordsWritten);
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 3u);
}

TEST_F(CodeJob, AnExceptionInsideTheRunStillCleansUpAndCompletesOnce) {
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203", Output());
  host.onEvent = [](const std::string& event) {
    if (event.rfind("status", 0) == 0) throw std::runtime_error("window gone");
  };
  RunJobThread(host);
  EXPECT_EQ(host.completions.load(), 1);
  EXPECT_FALSE(host.isRunning.load());
  EXPECT_FALSE(FileExists(folder_.Scratch()));
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 2u);  // header and the first record
}

TEST_F(CodeJob, FreeOnTerminateWorkerReportsOnTheGuiThreadAndFreesItself) {
  // A stand-in GUI thread that runs the synchronous calls.
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<std::function<void()>> queue;
  bool stop = false;
  std::thread gui([&] {
    std::unique_lock lock(mutex);
    while (true) {
      cv.wait(lock, [&] { return stop || !queue.empty(); });
      if (queue.empty()) return;
      auto f = std::move(queue.front());
      queue.erase(queue.begin());
      lock.unlock();
      f();
      lock.lock();
    }
  });
  SetSynchronizeHook([&](const std::function<void()>& method) {
    std::promise<void> done;
    {
      std::lock_guard lock(mutex);
      queue.push_back([&] {
        method();
        done.set_value();
      });
    }
    cv.notify_all();
    done.get_future().wait();
  });

  const std::thread::id guiId = gui.get_id();
  RecordingHost host;
  host.inputs = CodeInputs("1301,7203", Output());
  std::thread::id completedOn;
  host.onEvent = [&](const std::string& event) {
    if (event == "completed") completedOn = std::this_thread::get_id();
  };
  const std::size_t before = TThread::RunningCount();
  auto* worker = new TMyThread(true, host);
  worker->SetFreeOnTerminate(true);
  worker->Start();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((host.completions.load() == 0 || TThread::RunningCount() != before) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  SetSynchronizeHook(nullptr);
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  cv.notify_all();
  gui.join();

  EXPECT_EQ(host.completions.load(), 1);
  EXPECT_EQ(completedOn, guiId);
  EXPECT_EQ(host.completionSender, worker);  // compared, not used: it is freed
  EXPECT_EQ(TThread::RunningCount(), before);
  EXPECT_EQ(CsvLines(ReadFileBytes(Output())).size(), 3u);
}
