// vantora-cli run as a process against a quote server on 127.0.0.1: exit
// codes, what lands on disk and on the two output streams, the same bytes as
// the window's job, and Ctrl-C / SIGTERM in the middle of a run.
#include <gtest/gtest.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "CliTestSupport.h"
#include "common/Charset.h"

namespace vantora {
namespace {

using namespace vantora::testing;
namespace fs = std::filesystem;

TEST_F(CliProcessTest, CodeModeWritesTheWindowsBytes) {
  const std::string codes = " 1301, 7203,,1301 ,7267";
  const CliResult run = RunCli({"--codes", codes, "-o", "out", "--base-url", Base(server_)}, Dir());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "") << "nothing but --help/--version goes to standard output";
  ASSERT_TRUE(fs::exists(dir_.File("out.csv"))) << ".csv is added to the name";
  const std::string cli = ReadBytes(dir_.File("out.csv")).value_or("");
  EXPECT_EQ(CrLfLines(cli).size(), 5u);
  EXPECT_EQ(cli, WindowJobBytes(Base(server_), true, codes, {}, dir_));

  // Standard error is not a terminal here: one plain line per record.
  EXPECT_NE(run.err.find("銘柄コード : [1301] 取得中 - 1/4件\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("銘柄コード : [7267] 取得中 - 4/4件\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("4 records written"), std::string::npos) << run.err;

  // UTF-8: the same records behind a byte-order mark.
  const CliResult utf8 = RunCli({"--codes", codes, "-o", "utf8.CSV", "--encoding", "utf-8"}, Dir(),
                                {{"VANTORA_BASE_URL", Base(server_) + "/"}});
  ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
  EXPECT_EQ(ReadBytes(dir_.File("utf8.CSV")), "\xEF\xBB\xBF" + Cp932ToUtf8(cli));
  EXPECT_FALSE(fs::exists(dir_.File("utf8.CSV.sjis.part")));
}

TEST_F(CliProcessTest, ExitCodesForNothingFoundUnreachableAndFileErrors) {
  // Nothing found: codes that split into no entry; a sector whose listing is missing.
  CliResult run = RunCli({"--codes", ",,,", "-o", "none.csv", "--base-url", Base(server_)}, Dir());
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("none.csv")).value_or("")).size(), 1u);
  run = RunCli({"--sectors", "1", "-o", "none2.csv", "--base-url", Base(server_)}, Dir());
  EXPECT_EQ(run.exitCode, 1) << run.err;

  // Unreachable: nothing answers, the (empty) records stay in the file.
  const std::string dead = "http://127.0.0.1:" + std::to_string(server_.Port());
  server_.Stop();
  run = RunCli({"--codes", "1301,7203", "-o", "dead.csv", "--base-url", dead}, Dir());
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("dead.csv")).value_or("")).size(), 3u);

  // Output file errors: a folder that does not exist; an existing file
  // without --force is left as it was; with --force it is replaced.
  run = RunCli({"--codes", "1301", "-o", "no/such/folder/x.csv", "--base-url", dead}, Dir());
  EXPECT_EQ(run.exitCode, 4) << run.err;
  WriteBytes(dir_.File("keep.csv"), "precious");
  run = RunCli({"--codes", "1301", "-o", "keep.csv", "--base-url", dead}, Dir());
  EXPECT_EQ(run.exitCode, 4) << run.err;
  EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(dir_.File("keep.csv")), "precious");
  // With --force and the site down, the old file stays, and the name of the
  // file with the new (empty) records is told.
  run = RunCli({"--codes", "1301", "-o", "keep.csv", "--base-url", dead, "--force"}, Dir());
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_EQ(ReadBytes(dir_.File("keep.csv")), "precious");
  const std::string partial = "keep.partial-";
  EXPECT_NE(run.err.find("keep.csv is kept as it was; the new records are in " + partial),
            std::string::npos)
      << run.err;
}

TEST_F(CliProcessTest, OutcomesDecideTheClosingLineTheExitCodeAndTheReport) {
  const std::string base = Base(server_);
  CliResult run = RunCli({"--codes", "1301,9999", "-o", "mixed.csv", "--base-url", base}, Dir());
  EXPECT_EQ(run.exitCode, 5) << run.err;
  EXPECT_NE(run.err.find("2 records: 1 ok, 1 not found; report: mixed.report.csv\n"),
            std::string::npos)
      << run.err;
  const std::string report = ReadBytes(dir_.File("mixed.report.csv")).value_or("");
  const auto lines = CrLfLines(report);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "\"9999\",\"not-found\",\"404\",\"" + Utf8ToCp932("ページが見つかりません (404)") + "\",\"" +
                          base + "/quote/9999/profile\"");

  // UTF-8 output: the report in UTF-8 too, written as the job goes.
  run = RunCli({"--codes", "1301,9999", "-o", "mixed8.csv", "--base-url", base, "--encoding", "utf-8"}, Dir());
  EXPECT_EQ(run.exitCode, 5) << run.err;
  EXPECT_EQ(ReadBytes(dir_.File("mixed8.report.csv")), "\xEF\xBB\xBF" + Cp932ToUtf8(report));

  // An existing report is replaced only with --force, like the file.
  run = RunCli({"--codes", "1301", "-o", "mixed.csv", "--base-url", base}, Dir());
  EXPECT_EQ(run.exitCode, 4);
  std::filesystem::remove(dir_.File("mixed.csv"));
  run = RunCli({"--codes", "1301", "-o", "mixed.csv", "--base-url", base}, Dir());
  EXPECT_EQ(run.exitCode, 4) << "the report is still there";
  EXPECT_EQ(ReadBytes(dir_.File("mixed.report.csv")), report);
  run = RunCli({"--codes", "1301", "-o", "mixed.csv", "--base-url", base, "--force"}, Dir());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("mixed.report.csv")).value_or("")).size(), 2u);

  // Pages that no longer fit: the third in a row stops the run with exit 6.
  std::string codes;
  for (int i = 0; i < 10; ++i) {
    const std::string code = std::to_string(4000 + i);
    server_.SetPage("/quote/" + code + "/profile", "<html><body><p>new site</p></body></html>");
    codes += (codes.empty() ? "" : ",") + code;
  }
  run = RunCli({"--codes", codes, "-o", "layout.csv", "--base-url", base}, Dir());
  EXPECT_EQ(run.exitCode, 6) << run.err;
  EXPECT_NE(run.err.find("no longer have the expected layout"), std::string::npos) << run.err;
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("layout.csv")).value_or("")).size(), 4u);
}

TEST_F(CliProcessTest, BadArgumentsChangeNothingAndFetchNothing) {
  WriteBytes(dir_.File("existing.csv"), "precious");
  const std::string base = Base(server_);
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--codes", "1301"},                                         // no output file
      {"-o", "existing.csv"},                                      // neither codes nor sectors
      {"--codes", "1301", "--sectors", "0", "-o", "existing.csv"},
      {"--codes", "   ", "-o", "existing.csv"},
      {"--sectors", "33", "-o", "existing.csv"},
      {"--sectors", "0051", "-o", "existing.csv"},
      {"--sectors", "x", "-o", "new.csv"},
      {"--codes", "1301", "-o", "existing.csv", "--encoding", "latin1", "--force"},
      {"--codes", "1301", "-o", "existing.csv", "--base-url", "ftp://127.0.0.1", "--force"},
      {"--codes", "1301", "-o", "existing.csv", "--demo", "--base-url", base, "--force"},
      {"--codes", "1301", "-o", "new.csv", "--frobnicate"},
  };
  for (const auto& args : bad) {
    std::string line;
    for (const auto& arg : args) line += arg + " ";
    const CliResult run = RunCli(args, Dir(), {{"VANTORA_BASE_URL", base}});
    EXPECT_EQ(run.exitCode, 2) << line << "\n" << run.err;
    EXPECT_FALSE(run.err.empty()) << line;
    EXPECT_EQ(run.out, "") << line;
  }
  // No site given: the built-in address names none, so nothing is tried.
  const CliResult noSite = RunCli({"--codes", "1301", "-o", "new.csv"}, Dir());
  EXPECT_EQ(noSite.exitCode, 2) << noSite.err;
  EXPECT_NE(noSite.err.find("--base-url"), std::string::npos) << noSite.err;
  EXPECT_NE(noSite.err.find("--demo"), std::string::npos) << noSite.err;
  EXPECT_EQ(ReadBytes(dir_.File("existing.csv")), "precious");
  EXPECT_FALSE(fs::exists(dir_.File("new.csv")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
  EXPECT_TRUE(server_.Requests().empty());

  const CliResult version = RunCli({"--version"}, Dir());
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("vantora-cli ", 0), 0u) << version.out;
  const CliResult help = RunCli({"--help"}, Dir());
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--codes"), std::string::npos);
  EXPECT_NE(help.out.find("3700"), std::string::npos) << "the sector table is listed";
}

// Waits until the server has seen a request for `target`.
[[maybe_unused]] bool WaitForRequest(const QuoteServer& server, const std::string& target) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    for (const auto& request : server.Requests()) {
      if (request.target == target) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(CliProcessTest, InterruptKeepsWrittenRecordsAndTheRecordInHand) {
#ifdef _WIN32
  GTEST_SKIP() << "sends SIGINT and SIGTERM";
#else
  // The third company's page arrives slowly, so the signals land while it
  // is being fetched.
  server_.SetFault("/quote/1333/profile", QuoteFault::StallMidBody(200, std::chrono::milliseconds(3000)));
  ChildProcess child({"--codes", "1301,1332,1333,7203,7267", "-o", "part.csv", "--base-url", Base(server_)}, {},
                     Dir());
  ASSERT_TRUE(WaitForRequest(server_, "/quote/1333/profile"));
  child.Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  child.Signal(SIGINT);  // a second Ctrl-C loses nothing either
  const auto code = child.Wait(std::chrono::seconds(20));
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 130) << child.Stderr();

  const std::string bytes = ReadBytes(dir_.File("part.csv")).value_or("");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "the file ends with a whole line";
  const auto lines = CrLfLines(bytes);
  ASSERT_EQ(lines.size(), 4u) << "header, 1301, 1332 and the record in hand, 1333";
  EXPECT_EQ(lines[3].rfind("\"1333\",", 0), 0u);
  for (const auto& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '"'), 44) << Cp932ToUtf8(line);
  }
  for (const auto& request : server_.Requests()) {
    EXPECT_NE(request.target, "/quote/7203/profile") << "no company is started after the stop";
  }

  // SIGTERM is a stop too.
  server_.ClearRequests();
  server_.SetFault("/quote/1301/profile", QuoteFault::StallMidBody(200, std::chrono::milliseconds(2000)));
  ChildProcess term({"--codes", "1301,1332", "-o", "term.csv", "--base-url", Base(server_)}, {}, Dir());
  ASSERT_TRUE(WaitForRequest(server_, "/quote/1301/profile"));
  term.Signal(SIGTERM);
  EXPECT_EQ(term.Wait(std::chrono::seconds(20)), 130) << term.Stderr();
  EXPECT_EQ(CrLfLines(ReadBytes(dir_.File("term.csv")).value_or("")).size(), 2u);
#endif
}

}  // namespace
}  // namespace vantora
