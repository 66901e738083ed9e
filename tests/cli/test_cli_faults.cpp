// vantora-cli under faults: SIGKILL at many moments of a run, two runs on
// one file, a stop in the middle of a download, SIGHUP and a closed pipe on
// standard error, a disk that fills (in a private mount namespace), a folder
// named as the output, and scratch folders left by killed runs.
#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "CliTestSupport.h"
#include "common/Charset.h"
#include "tests/platform/TestPlatform.h"
#include "worker/Outcome.h"

namespace vantora {
namespace {

using namespace vantora::testing;
namespace fs = std::filesystem;
using std::chrono::milliseconds;

const std::string kCodes = "1301,1332,1333,7203,7267,1301,1332,1333";

// Every line of a file the program wrote is complete: the file ends with
// CR LF (or is empty) and every record line holds its values.
[[maybe_unused]] void ExpectCompleteLines(const std::string& bytes, std::size_t values, const std::string& what) {
  if (bytes.empty()) return;
  ASSERT_GE(bytes.size(), 2u) << what;
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << what << " ends inside a line";
  for (const std::string& line : CrLfLines(bytes)) {
    std::size_t quotes = 0;
    for (char c : line) quotes += c == '"';
    EXPECT_EQ(quotes % 2, 0u) << what << ": " << line;
    EXPECT_GE(quotes, values * 2) << what << ": " << line;
  }
}

[[maybe_unused]] bool IsPrefix(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

std::size_t ProfileRequests(const QuoteServer& server) {
  std::size_t n = 0;
  for (const auto& r : server.Requests()) n += r.path.find("/profile") != std::string::npos;
  return n;
}

using CliFaultTest = CliProcessTest;

TEST_F(CliFaultTest, AKillAtAnyMomentLeavesCompleteLinesAndLosesNothingButTheRecordInHand) {
#ifdef _WIN32
  GTEST_SKIP() << "sends SIGKILL";
#else
  const std::string base = Base(server_);
  ASSERT_EQ(RunCli({"--codes", kCodes, "-o", "full.csv", "--base-url", base}, Dir()).exitCode, 0);
  const auto full = CrLfLines(ReadBytes(dir_.File("full.csv")).value_or(""));
  const auto fullReport = CrLfLines(ReadBytes(dir_.File("full.report.csv")).value_or(""));
  ASSERT_EQ(full.size(), 9u);

  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> moment(0, 400);
  for (int i = 0; i < 20; ++i) {
    const std::string name = "k" + std::to_string(i) + ".csv";
    server_.ClearRequests();
    // Half the runs replace an existing file: a kill leaves it as it was.
    const bool replace = i % 2 == 1;
    if (replace) WriteBytes(dir_.File(name), "old\r\n");
    std::vector<std::string> args = {"--codes", kCodes, "-o", name, "--base-url", base};
    if (replace) args.push_back("--force");
    const int at = moment(random);
    {
      ChildProcess child(args, {{"VANTORA_PAUSE_SCALE", "0.04"}}, Dir());
      std::this_thread::sleep_for(milliseconds(at));
      child.Signal(SIGKILL);
      ASSERT_TRUE(child.Wait(milliseconds(10000)).has_value());
    }
    std::string written = name;
    if (replace) {
      EXPECT_EQ(ReadBytes(dir_.File(name)), "old\r\n") << "kill at " << at << " ms";
      written.clear();
      for (const auto& entry : fs::directory_iterator(dir_.Path())) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("k" + std::to_string(i) + ".partial-", 0) == 0 && file.find(".report.") == std::string::npos)
          written = file;
      }
      if (written.empty()) continue;  // killed before the run began
    }
    const std::string bytes = ReadBytes(dir_.File(written)).value_or("");
    const std::string report = ReadBytes(ReportPathFor(dir_.File(written))).value_or("");
    ExpectCompleteLines(bytes, 22, written);
    ExpectCompleteLines(report, 5, "report of " + written);
    const auto lines = CrLfLines(bytes), reportLines = CrLfLines(report);
    EXPECT_TRUE(IsPrefix(lines, full)) << "kill at " << at << " ms: the records are those of a whole run";
    EXPECT_TRUE(IsPrefix(reportLines, fullReport)) << "kill at " << at << " ms";
    const std::size_t records = lines.empty() ? 0 : lines.size() - 1;
    const std::size_t outcomes = reportLines.empty() ? 0 : reportLines.size() - 1;
    EXPECT_LE(outcomes, records);
    EXPECT_LE(records, outcomes + 1) << "at most the record in hand lacks its report line";
    EXPECT_LE(ProfileRequests(server_), records + 1) << "kill at " << at << " ms: a fetched record was lost";
  }
#endif
}

TEST_F(CliFaultTest, AKilledRunResumedGivesTheFileOfAnUninterruptedRun) {
#ifdef _WIN32
  GTEST_SKIP() << "sends SIGKILL and SIGINT";
#else
  const std::string base = Base(server_);
  ASSERT_EQ(RunCli({"--codes", kCodes, "-o", "whole.csv", "--base-url", base}, Dir()).exitCode, 0);
  const auto whole = ReadBytes(dir_.File("whole.csv"));
  const auto wholeReport = ReadBytes(dir_.File("whole.report.csv"));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> moment(20, 380);
  for (int i = 0; i < 10; ++i) {
    const std::string name = "r" + std::to_string(i) + ".csv";
    const int at = moment(random);
    {
      ChildProcess child({"--codes", kCodes, "-o", name, "--base-url", base}, {{"VANTORA_PAUSE_SCALE", "0.04"}}, Dir());
      std::this_thread::sleep_for(milliseconds(at));
      // Half the kills are a Ctrl-C, whose record in hand is read again.
      child.Signal(i % 2 == 0 ? SIGKILL : SIGINT);
      ASSERT_TRUE(child.Wait(milliseconds(10000)).has_value());
    }
    if (!fs::exists(dir_.File(name))) continue;  // killed before the file was made: nothing to take up
    const CliResult resumed = RunCli({"--codes", kCodes, "-o", name, "--base-url", base, "--resume"}, Dir());
    EXPECT_EQ(resumed.exitCode, 0) << "stop at " << at << " ms\n" << resumed.err;
    EXPECT_EQ(ReadBytes(dir_.File(name)), whole) << "stop at " << at << " ms";
    EXPECT_EQ(ReadBytes(ReportPathFor(dir_.File(name))), wholeReport) << "stop at " << at << " ms";
  }
  // Other codes than the file was written for are refused.
  const CliResult other = RunCli({"--codes", "7203,1301", "-o", "whole.csv", "--base-url", base, "--resume"}, Dir());
  EXPECT_EQ(other.exitCode, 4) << other.err;
  EXPECT_EQ(ReadBytes(dir_.File("whole.csv")), whole);
#endif
}

TEST_F(CliFaultTest, ASectorRunResumedSkipsTheCompaniesItHas) {
  const std::string base = Base(server_);
  ASSERT_EQ(RunCli({"--sectors", "0050,3700", "-o", "s.csv", "--base-url", base}, Dir()).exitCode, 0);
  // As if killed after the third company: its last two records are gone.
  auto lines = CrLfLines(ReadBytes(dir_.File("s.csv")).value_or(""));
  auto report = CrLfLines(ReadBytes(dir_.File("s.report.csv")).value_or(""));
  ASSERT_EQ(lines.size(), 6u);
  std::string cut, cutReport;
  for (std::size_t i = 0; i < 4; ++i) cut += lines[i] + "\r\n";
  for (std::size_t i = 0; i < 3; ++i) cutReport += report[i] + "\r\n";  // the fourth record lacks its line
  WriteBytes(dir_.File("s.csv"), cut);
  WriteBytes(dir_.File("s.report.csv"), cutReport);
  server_.ClearRequests();
  const CliResult resumed = RunCli({"--sectors", "0050,3700", "-o", "s.csv", "--base-url", base, "--resume"}, Dir());
  EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("s.csv")).value_or("")), lines) << "no company twice, none missing";
  EXPECT_EQ(ProfileRequests(server_), 3u) << "the listings again, then only the three not kept";
}

TEST_F(CliFaultTest, FailedCompaniesAreReadAgainAndReplacedInPlace) {
  const std::string base = Base(server_);
  server_.SetFault("/quote/1332/profile", QuoteFault::Refuse(500));
  server_.SetFault("/quote/7203/profile", QuoteFault::DropMidBody(100));
  ASSERT_EQ(RunCli({"--codes", "1301,1332,7203,1333", "-o", "f.csv", "--base-url", base}, Dir()).exitCode, 5);
  ASSERT_EQ(RunCli({"--codes", "1301,1332,7203,1333", "-o", "ok.csv", "--base-url", base}, Dir()).exitCode, 5);
  server_.ClearFaults();
  ASSERT_EQ(RunCli({"--codes", "1301,1332,7203,1333", "-o", "ok.csv", "--base-url", base, "--force"}, Dir()).exitCode,
            0);
  server_.ClearRequests();
  const CliResult retry = RunCli({"--retry-failed", "-o", "f.csv", "--base-url", base}, Dir());
  EXPECT_EQ(retry.exitCode, 0) << retry.err;
  EXPECT_EQ(ProfileRequests(server_), 2u) << "only the two that failed";
  EXPECT_EQ(ReadBytes(dir_.File("f.csv")), ReadBytes(dir_.File("ok.csv")));
  EXPECT_EQ(ReadBytes(dir_.File("f.report.csv")), ReadBytes(dir_.File("ok.report.csv")));
  const CliResult again = RunCli({"--retry-failed", "-o", "f.csv", "--base-url", base}, Dir());
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.err.find("nothing to read again"), std::string::npos) << again.err;
}

TEST_F(CliFaultTest, ARetryReadsFromThisRunsSiteWhateverHostTheReportNames) {
  const std::string base = Base(server_);
  server_.SetFault("/quote/1332/profile", QuoteFault::Refuse(500));
  server_.SetFault("/quote/7203/profile", QuoteFault::Refuse(500));
  ASSERT_EQ(RunCli({"--codes", "1301,1332,7203", "-o", "f.csv", "--base-url", base}, Dir()).exitCode, 5);
  server_.ClearFaults();
  // The report edited (or written by a run against another site): its
  // addresses name a host nobody chose for this run, one with a path that
  // climbs out of the quote pages.
  std::string report = ReadBytes(dir_.File("f.report.csv")).value_or("");
  const std::string own = base + "/quote/1332", other = "http://127.0.0.1:9/quote/../../etc";
  ASSERT_NE(report.find(own), std::string::npos) << report;
  report.replace(report.find(own), own.size(), other);
  for (std::size_t at; (at = report.find(base)) != std::string::npos;) report.replace(at, base.size(), "http://127.0.0.1:9");
  WriteBytes(dir_.File("f.report.csv"), report);
  server_.ClearRequests();
  const CliResult retry = RunCli({"--retry-failed", "-o", "f.csv", "--base-url", base}, Dir());
  EXPECT_EQ(retry.exitCode, 0) << retry.err;
  std::vector<std::string> targets;
  for (const auto& r : server_.Requests()) targets.push_back(r.target);
  EXPECT_EQ(targets, (std::vector<std::string>{"/quote/1332/profile", "/quote/7203/profile"}));
}

TEST_F(CliFaultTest, ASectorWhoseListingFailedIsReadAgainByARetry) {
  const std::string base = Base(server_);
  ASSERT_EQ(RunCli({"--sectors", "0050,3700", "-o", "whole.csv", "--base-url", base}, Dir()).exitCode, 0);
  server_.SetFault("/search/qi/?ids=0050", QuoteFault::Refuse(404));
  ASSERT_EQ(RunCli({"--sectors", "0050,3700", "-o", "s.csv", "--base-url", base}, Dir()).exitCode, 5);
  // Failing again, the listing keeps one failure line and nothing else changes.
  const auto sorted = [](std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  const auto before = ReadBytes(dir_.File("s.csv"));
  const auto beforeReport = sorted(CrLfLines(ReadBytes(dir_.File("s.report.csv")).value_or("")));
  EXPECT_EQ(RunCli({"--retry-failed", "-o", "s.csv", "--base-url", base}, Dir()).exitCode, 5);
  EXPECT_EQ(ReadBytes(dir_.File("s.csv")), before);
  EXPECT_EQ(sorted(CrLfLines(ReadBytes(dir_.File("s.report.csv")).value_or(""))), beforeReport);
  server_.ClearFaults();
  const CliResult retry = RunCli({"--retry-failed", "-o", "s.csv", "--base-url", base}, Dir());
  EXPECT_EQ(retry.exitCode, 0) << retry.err;
  const auto whole = sorted(CrLfLines(ReadBytes(dir_.File("whole.csv")).value_or("")));
  EXPECT_EQ(sorted(CrLfLines(ReadBytes(dir_.File("s.csv")).value_or(""))), whole)
      << "the listing's companies added, none twice";
  const auto report = CrLfLines(ReadBytes(dir_.File("s.report.csv")).value_or(""));
  EXPECT_EQ(report.size(), whole.size()) << "one line a record, the listing's failure line gone";
  for (std::size_t i = 1; i < report.size(); ++i) EXPECT_NE(report[i].find("\"ok\""), std::string::npos) << report[i];
}

TEST_F(CliFaultTest, ASecondRunOnTheSameFileIsRefusedAndTheFirstLosesNothing) {
  const std::string base = Base(server_);
  ASSERT_EQ(RunCli({"--codes", kCodes, "-o", "ref.csv", "--base-url", base}, Dir()).exitCode, 0);
  // The first run must outlast the starts of the two others (about a second
  // each under Wine, and as long on a loaded machine with the sanitizers).
  const std::string pause = "0.5";
  ChildProcess first({"--codes", kCodes, "-o", "same.csv", "--base-url", base}, {{"VANTORA_PAUSE_SCALE", pause}},
                     Dir());
  for (int i = 0; i < 200 && !fs::exists(dir_.File("same.csv")); ++i) std::this_thread::sleep_for(milliseconds(5));
  const CliResult plain = RunCli({"--codes", "1301", "-o", "same.csv", "--base-url", base}, Dir());
  const CliResult forced = RunCli({"--codes", "1301", "-o", "same.csv", "--base-url", base, "--force"}, Dir());
  EXPECT_EQ(first.Wait(milliseconds(30000)), 0) << first.Stderr();
  EXPECT_EQ(plain.exitCode, 4) << plain.err;
  EXPECT_EQ(forced.exitCode, 4) << forced.err;
  EXPECT_NE(forced.err.find("is being written by another run"), std::string::npos) << forced.err;
  EXPECT_EQ(ReadBytes(dir_.File("same.csv")), ReadBytes(dir_.File("ref.csv")));
}

TEST_F(CliFaultTest, AStopEndsAStalledOrTricklingDownloadAtOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "sends SIGINT and SIGHUP";
#else
  const std::string base = Base(server_);
  server_.SetFault("/quote/1332/profile", QuoteFault::StallBeforeResponse(std::chrono::seconds(60)));
  server_.SetPage("/quote/7203/profile", std::string(600, 'x'));
  server_.SetFault("/quote/7203/profile", QuoteFault::SlowTrickle(1, std::chrono::seconds(1)));
  struct Case {
    std::string codes;
    int signal;
  };
  for (const Case& c : {Case{"1301,1332,1333", SIGINT}, Case{"1301,7203,1333", SIGHUP}}) {
    ChildProcess child({"--codes", c.codes, "-o", "stop" + std::to_string(c.signal) + ".csv", "--base-url", base},
                       {}, Dir());
    for (int i = 0; i < 400 && ProfileRequests(server_) < 2; ++i) std::this_thread::sleep_for(milliseconds(5));
    std::this_thread::sleep_for(milliseconds(300));
    child.Signal(c.signal);
    // Far less than the stall or the trickle would take.
    EXPECT_EQ(child.Wait(milliseconds(10000)), 130) << child.Stderr();
    const auto report =
        CrLfLines(ReadBytes(dir_.File("stop" + std::to_string(c.signal) + ".report.csv")).value_or(""));
    ASSERT_EQ(report.size(), 3u) << c.codes;
    EXPECT_NE(report[2].find("\"cancelled\""), std::string::npos) << report[2];
    server_.ClearRequests();
  }
#endif
}

TEST_F(CliFaultTest, AReaderOfStandardErrorThatGoesAwayEndsNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a POSIX shell pipe (SIGPIPE)";
#else
  const std::string command = "set -o pipefail; '" + CliProgram() + "' --codes " + kCodes +
                              " -o piped.csv --base-url " + Base(server_) + " 2>&1 | head -c 1 >/dev/null";
  ChildProcess child({"-c", command}, {{"VANTORA_PAUSE_SCALE", "0.01"}}, Dir(), "/bin/bash");
  EXPECT_EQ(child.Wait(milliseconds(30000)), 0) << child.Stderr();
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("piped.csv")).value_or("")).size(), 9u);
#endif
}

TEST_F(CliFaultTest, ADiskThatFillsKeepsTheFileAtItsLastCompleteRecord) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a mount namespace (unshare)";
#else
  if (std::system("unshare -m true >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no private mount namespace here (unshare -m needs the privilege to mount)";
  fs::create_directories(dir_.File("small"));
  fs::create_directories(dir_.File("copy"));
  std::string codes = "1301";
  for (int i = 0; i < 40; ++i) codes += ",1301";
  // A 16 KB file system of its own; the files are copied out before it goes.
  const std::string script = "mount -t tmpfs -o size=16k tmpfs small || exit 99; '" + CliProgram() +
                             "' --codes " + codes + " -o small/full.csv --encoding utf-8 --base-url " +
                             Base(server_) + "; rc=$?; cp small/* copy/; exit $rc";
  ChildProcess child({"-m", "/bin/sh", "-c", script}, {}, Dir(), "/usr/bin/unshare");
  const auto code = child.Wait(milliseconds(60000));
  if (code == 99) GTEST_SKIP() << "cannot mount a tmpfs in the namespace";
  EXPECT_EQ(code, 4) << child.Stderr();
  EXPECT_NE(child.Stderr().find("No space left on device"), std::string::npos) << child.Stderr();
  const std::string bytes = ReadBytes(dir_.File("copy/full.csv")).value_or("");
  ASSERT_GT(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  ExpectCompleteLines(bytes.substr(3), 22, "full.csv");
  EXPECT_GT(CrLfLines(bytes).size(), 2u) << "the records before the disk filled are kept";
#endif
}

TEST_F(CliFaultTest, FoldersAreRefusedAndStaleScratchFoldersCleared) {
  fs::create_directories(dir_.File("sub"));
  for (const char* output : {"sub/", "sub"}) {
    const CliResult run = RunCli({"--codes", "1301", "-o", output, "--base-url", Base(server_)}, Dir());
    EXPECT_EQ(run.exitCode, 4) << output;
    EXPECT_NE(run.err.find("is a folder"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(dir_.File("sub/.csv")));
  EXPECT_FALSE(fs::exists(dir_.File("sub.csv")));

  // A scratch folder whose run is gone is removed; one of a live process stays.
  fs::create_directories(dir_.File("tmp/vantora-cli-999999999-abcdef"));
  const std::string live = "tmp/vantora-cli-" + std::to_string(TestProcessId()) + "-abcdef";
  fs::create_directories(dir_.File(live));
  const CliResult run = RunCli({"--codes", "1301", "-o", "t.csv", "--base-url", Base(server_)}, Dir(),
                               {{"TMPDIR", dir_.File("tmp")}, {"TMP", dir_.File("tmp")}, {"TEMP", dir_.File("tmp")}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(fs::exists(dir_.File("tmp/vantora-cli-999999999-abcdef")));
  EXPECT_TRUE(fs::exists(dir_.File(live)));
}

}  // namespace
}  // namespace vantora
