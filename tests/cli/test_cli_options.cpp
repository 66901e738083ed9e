// The command line's meaning (sector lists, the .csv rule, option
// combinations) and the progress line's arithmetic, checked in-process.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ProgressView.h"

namespace vantora::cli {
namespace {

ParseOutcome Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "vantora-cli");
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CliOptionsTest, SectorListsTakePositionsCodesAndAll) {
  std::string error;
  EXPECT_EQ(ParseSectorList("0, 16,0050 ,3700,32", error), (std::vector<int>{0, 16, 32}));
  EXPECT_EQ(ParseSectorList("9050", error), (std::vector<int>{32}));
  EXPECT_EQ(ParseSectorList("all", error).size(), 33u);
  EXPECT_EQ(ParseSectorList("01", error), (std::vector<int>{1})) << "two digits are a position";
  for (const char* bad : {"33", "-1", "0051", "050", "00050", "abc", "1.5", "", " , ", "0,x"}) {
    EXPECT_TRUE(ParseSectorList(bad, error).empty()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(CliOptionsTest, CsvExtensionIsForcedAsInTheWindow) {
  EXPECT_EQ(ForceCsvExtension("list"), "list.csv");
  EXPECT_EQ(ForceCsvExtension("list.txt"), "list.txt.csv");
  EXPECT_EQ(ForceCsvExtension("list.Csv"), "list.Csv");
  EXPECT_EQ(ForceCsvExtension("OUT.CSV"), "OUT.CSV");
  EXPECT_EQ(ForceCsvExtension("dir.csv/list"), "dir.csv/list.csv") << "only the file-name part counts";
  EXPECT_EQ(ForceCsvExtension("情報.csv"), "情報.csv");
}

TEST(CliOptionsTest, OptionsCombineIntoOneRun) {
  ParseOutcome parsed = Parse({"--codes", " 1301,7203 ", "-o", "a.txt", "--encoding", "utf-8", "--force"});
  ASSERT_EQ(parsed.kind, ParseOutcome::Kind::kRun) << parsed.text;
  EXPECT_TRUE(parsed.options.codeMode);
  EXPECT_EQ(parsed.options.codes, " 1301,7203 ") << "the job splits and trims the text itself";
  EXPECT_EQ(parsed.options.outputFile, "a.txt.csv");
  EXPECT_EQ(parsed.options.encoding, OutputEncoding::kUtf8);
  EXPECT_TRUE(parsed.options.force);

  parsed = Parse({"--sectors", "all", "--output", "x.csv", "--base-url", " http://127.0.0.1:9 "});
  ASSERT_EQ(parsed.kind, ParseOutcome::Kind::kRun) << parsed.text;
  EXPECT_FALSE(parsed.options.codeMode);
  EXPECT_EQ(parsed.options.sectors.size(), 33u);
  EXPECT_EQ(parsed.options.baseUrl, "http://127.0.0.1:9");
  EXPECT_EQ(parsed.options.encoding, OutputEncoding::kShiftJis);

  parsed = Parse({"--demo", "--codes", "1301", "-o", "d"});
  ASSERT_EQ(parsed.kind, ParseOutcome::Kind::kRun) << parsed.text;
  EXPECT_TRUE(parsed.options.demo);

  EXPECT_EQ(Parse({"--help"}).kind, ParseOutcome::Kind::kPrinted);
  EXPECT_EQ(Parse({"--version"}).kind, ParseOutcome::Kind::kPrinted);
  EXPECT_EQ(Parse({"--codes", "1301", "-o", ""}).kind, ParseOutcome::Kind::kUsageError);
  EXPECT_EQ(Parse({"--codes", "1301", "-o", "x", "extra"}).kind, ParseOutcome::Kind::kUsageError);
}

// The installed manual page is written by hand: it must keep up with the
// options and exit codes that --help lists.
TEST(CliOptionsTest, TheManualPageNamesEveryOptionAndExitCodeOfTheHelp) {
  const ParseOutcome help = Parse({"--help"});
  ASSERT_EQ(help.kind, ParseOutcome::Kind::kPrinted);
  std::ifstream in(std::string(VANTORA_SOURCE_DIR) + "/packaging/vantora-cli.1");
  ASSERT_TRUE(in) << "the manual page";
  std::stringstream page;
  page << in.rdbuf();
  std::string manual = page.str();
  for (std::size_t at; (at = manual.find("\\-")) != std::string::npos;) manual.erase(at, 1);
  const std::string& text = help.text;
  for (std::size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
    std::size_t end = at + 2;
    while (end < text.size() && (std::islower(static_cast<unsigned char>(text[end])) || text[end] == '-')) ++end;
    const std::string option = text.substr(at, end - at);
    if (option.size() > 2) {
      EXPECT_NE(manual.find(option), std::string::npos) << option;
    }
    at = end;
  }
  const std::size_t codes = text.find("exit codes:"), codesEnd = text.find("environment:");
  ASSERT_NE(codes, std::string::npos);
  ASSERT_NE(codesEnd, std::string::npos);
  std::istringstream words(text.substr(codes, codesEnd - codes));
  int listed = 0;
  for (std::string word; words >> word;) {
    if (word.find_first_not_of("0123456789") != std::string::npos) continue;
    ++listed;
    EXPECT_NE(manual.find(".B " + word + "\n"), std::string::npos) << "exit code " << word;
  }
  EXPECT_GE(listed, 9);
}

TEST(ProgressViewTest, TimeLeftAndItsFormat) {
  using std::chrono::seconds;
  EXPECT_EQ(ProgressView::EstimateLeft(0.0, seconds(10)), seconds(-1));
  EXPECT_EQ(ProgressView::EstimateLeft(0.25, seconds(10)), seconds(30));
  EXPECT_EQ(ProgressView::EstimateLeft(1.0, seconds(10)), seconds(0));
  EXPECT_EQ(ProgressView::FormatDuration(seconds(-1)), "--:--");
  EXPECT_EQ(ProgressView::FormatDuration(seconds(65)), "1:05");
  EXPECT_EQ(ProgressView::FormatDuration(seconds(3723)), "1:02:03");
}

std::string Captured(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  return text;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

TEST(ProgressViewTest, PlainLinesOffTerminalBarOnTerminal) {
  std::unique_ptr<std::FILE, FileCloser> plainFile(std::tmpfile());
  ProgressView plain(plainFile.get(), false);
  plain.Reset(2);
  plain.Step();
  plain.Status("A 1/2", 0.5);
  plain.Step();
  EXPECT_EQ(plain.Position(), 2);
  plain.Step();
  EXPECT_EQ(plain.Position(), 2) << "a step past the end keeps the bar full";
  plain.Status("B 2/2", 1.0);
  plain.Finish();
  EXPECT_EQ(Captured(plainFile.get()), "A 1/2\nB 2/2\n");

  std::unique_ptr<std::FILE, FileCloser> barFile(std::tmpfile());
  ProgressView bar(barFile.get(), true);
  bar.Reset(4);
  bar.Step();
  bar.Step();
  bar.Status("S", 0.375);
  bar.Message("note");
  bar.Finish();
  bar.Message("done");
  const std::string text = Captured(barFile.get());
  EXPECT_NE(text.find("\r[#######-------------] 2/4 S  left "), std::string::npos) << text;
  EXPECT_NE(text.find("\nnote\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 6), "\ndone\n") << "no bar is drawn after the end";
}

}  // namespace
}  // namespace vantora::cli
