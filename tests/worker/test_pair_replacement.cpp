// The output file and its report replaced as a pair: a kill between the two
// renames leaves a new file beside the old report, which the next run from
// the file completes before it reads them; a run that writes the file
// afresh forgets a replacement left unfinished.
#include <gtest/gtest.h>

#include <fstream>

#include "JobTestSupport.h"
#include "common/FileName.h"
#include "worker/ContinueRun.h"
#include "worker/Job.h"
#include "worker/Outcome.h"
#include "worker/PairReplacement.h"
#include "worker/RecordColumns.h"
#include "tools/quote_server/QuoteServer.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(NativePath(path), std::ios::binary | std::ios::trunc) << bytes;
}

// A record of `code` with its other values empty.
std::string Record(const std::string& code) {
  std::string line = "\"" + code + "\"";
  for (int i = 1; i < kRecordColumnCount; ++i) line += ",\"\"";
  return line + "\r\n";
}

std::string ReportLine(const std::string& code, const std::string& outcome) {
  return "\"" + code + "\",\"" + outcome + "\",\"200\",\"\",\"http://127.0.0.1/quote/" + code + "/profile\"\r\n";
}

void WritePair(const std::string& csv, const std::string& report, const std::string& outcome7203) {
  WriteFileBytes(csv, HeaderLine() + "\r\n" + Record("1301") + Record("7203"));
  WriteFileBytes(report, ReportHeaderLine() + "\r\n" + ReportLine("1301", "ok") + ReportLine("7203", outcome7203));
}

}  // namespace

TEST(PairReplacement, AReplacementCutBetweenItsRenamesIsCompletedBeforeTheFileIsRead) {
  JobFolder folder;
  const std::string target = folder.File("out.csv");
  WritePair(target, ReportPathFor(target), "network");
  WritePair(folder.File("new.csv"), folder.File("new.report.csv"), "ok");
  // As if killed right after the marker and the first rename.
  WriteFileBytes(target + ".replacing", folder.File("new.csv") + "\n" + folder.File("new.report.csv") + "\n");
  ASSERT_TRUE(RenameReplacing(folder.File("new.csv"), target));
  JobInputs inputs;
  const ContinuePlan plan = PlanRetry(target, folder.File("retry.csv"), inputs);
  EXPECT_EQ(plan.refusal, ContinueRefusal::kNothingToRetry) << "the new report, not the old one, is read";
  EXPECT_NE(ReadFileBytes(ReportPathFor(target)).find("\"7203\",\"ok\""), std::string::npos);

  // A marker left by a replacement that a fresh run of the file made stale
  // is forgotten: the fresh file is not replaced by the old new files.
  WritePair(folder.File("stale.csv"), folder.File("stale.report.csv"), "network");
  WriteFileBytes(target + ".replacing", folder.File("stale.csv") + "\n" + folder.File("stale.report.csv") + "\n");
  RecordingHost host;
  host.inputs = CodeInputs("1301", target);
  RemoveFile(target);
  RemoveFile(ReportPathFor(target));
  QuoteServer server(FixturePath("site"));
  ScopedEnv site("VANTORA_BASE_URL", server.BaseUrl());
  ScopedEnv pace("VANTORA_PAUSE_SCALE", "0");
  RunJobThread(host);
  EXPECT_TRUE(CompletePairReplacement(target));
  EXPECT_EQ(ReadFileBytes(target).find("7203"), std::string::npos) << "the fresh run's file stays";
}
