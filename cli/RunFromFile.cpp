// Resuming an interrupted run and asking again for the companies that
// failed, from the output file and its report.
#include "cli/RunFromFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/Charset.h"
#include "common/FileName.h"
#include "common/TextUtil.h"
#include "worker/CsvFile.h"
#include "worker/Job.h"
#include "worker/OutputPair.h"

namespace vantora::cli {
namespace {

constexpr int kRefused = 4;

// The record codes a code-mode run writes for `codes`, in order.
std::vector<std::string> RecordCodes(const std::string& codesSjis) {
  StringList work;
  SplitText(Trim(codesSjis), ",", work);
  std::vector<std::string> codes;
  for (const std::string& entry : work) codes.push_back(StockCodeOf(QuotePagePrefix() + Trim(entry)));
  return codes;
}

// Writes `header` and `lines` (in the file's encoding already) to `path`
// through a temporary file and a rename.
bool Rewrite(const std::string& path, const std::string& header, const std::vector<std::string>& lines,
             FileEncoding encoding) {
  const std::string temporary = path + ".new";
  {
    std::ofstream out(NativePath(temporary), std::ios::binary | std::ios::trunc);
    if (encoding == FileEncoding::kUtf8WithBom) out << "\xEF\xBB\xBF";
    out << header << "\r\n";
    for (const std::string& line : lines) out << line << "\r\n";
    out.close();
    if (!out) {
      RemoveFile(temporary);
      return false;
    }
  }
  return RenameReplacing(temporary, path);
}

// Reads the output file and its report for `what` ("resume", "retry");
// false after saying why when another run writes them or they are no pair.
bool ReadIdleOutput(const std::string& target, const char* what, OutputPair& pair, ProgressView& view) {
  if (FileInUseByAnotherWriter(target)) {
    view.Message("vantora-cli: " + target + " is being written by another run");
    return false;
  }
  std::string error;
  if (!ReadOutputPair(target, pair, error)) {
    view.Message(std::string("vantora-cli: cannot ") + what + ": " + error);
    return false;
  }
  return true;
}

}  // namespace

int PrepareResume(const CliOptions& options, JobInputs& inputs, ProgressView& view) {
  const std::string& target = options.outputFile;
  OutputPair pair;
  if (!ReadIdleOutput(target, "resume", pair, view)) return kRefused;
  // The company in hand when the run was stopped is read again, and so is a
  // record whose report line never came.
  std::size_t kept = pair.companies.size();
  while (kept > 0 && pair.companies[kept - 1].outcome == Outcome::kCancelled) --kept;
  if (options.codeMode) {
    const auto codes = RecordCodes(inputs.codeText);
    bool same = kept <= codes.size();
    for (std::size_t i = 0; same && i < kept; ++i) same = pair.companies[i].code == codes[i];
    if (!same) {
      view.Message("vantora-cli: cannot resume: " + target + " was written for other codes");
      return kRefused;
    }
  }
  ResumeFrom& r = inputs.resume;
  r.active = true;
  r.companiesDone = static_cast<int>(kept);
  r.recordBytes = pair.RecordBytes(kept);
  const std::size_t reportKept = kept > 0 ? pair.companies[kept - 1].report + 1 : 0;
  r.reportBytes = pair.ReportBytes(reportKept);
  for (std::size_t i = 0; i < kept; ++i) {
    r.doneCodes.push_back(pair.companies[i].code);
    ++r.outcomes[static_cast<std::size_t>(pair.companies[i].outcome)];
  }
  for (const auto& [line, sector] : pair.sectors) {
    if (line >= reportKept) continue;
    r.doneSectors.push_back(sector);
    ++r.listingsNotOk;
  }
  inputs.outputEncoding = pair.encoding;
  inputs.createOutputExclusively = false;
  view.Message("vantora-cli: resuming " + target + ": " + std::to_string(kept) +
               (kept == 1 ? " record" : " records") + " kept");
  return 0;
}

int PrepareRetry(const CliOptions& options, const std::string& jobFile, JobInputs& inputs, ProgressView& view) {
  const std::string& target = options.outputFile;
  OutputPair pair;
  if (!ReadIdleOutput(target, "retry", pair, view)) return kRefused;
  static const std::string kProfile = "/profile";
  for (const OutputPair::Company& company : pair.companies) {
    if (company.outcome == Outcome::kOk) continue;
    std::string quote = company.url;
    if (quote.size() >= kProfile.size() && quote.compare(quote.size() - kProfile.size(), kProfile.size(), kProfile) == 0)
      quote.resize(quote.size() - kProfile.size());
    inputs.retryItems.push_back({company.code, quote});
  }
  if (inputs.retryItems.empty()) {
    view.Message("vantora-cli: every company of " + target + " is ok; nothing to read again");
    return -1;
  }
  inputs.codeMode = true;
  inputs.outputFileName = jobFile;
  inputs.outputEncoding = pair.encoding;
  inputs.createOutputExclusively = true;
  return 0;
}

bool MergeRetry(const CliOptions& options, const std::string& jobFile, ProgressView& view) {
  const std::string& target = options.outputFile;
  OutputPair old, fresh;
  std::string error;
  const bool read = ReadOutputPair(target, old, error) && ReadOutputPair(jobFile, fresh, error);
  RemoveFile(jobFile);
  RemoveFile(ReportPathFor(jobFile));
  if (!read) {
    view.Message("vantora-cli: cannot put the new records in place: " + error);
    return false;
  }
  // The retried companies in the order they were asked for: the old lines
  // that were not ok, one by one.
  std::size_t next = 0;
  for (const OutputPair::Company& company : old.companies) {
    if (company.outcome == Outcome::kOk) continue;
    if (next >= fresh.companies.size()) break;  // the retry was stopped before this one
    const OutputPair::Company& now = fresh.companies[next++];
    old.records[company.record] = fresh.records[now.record];
    old.report[company.report] = fresh.report[now.report];
  }
  const bool utf8 = old.encoding == FileEncoding::kUtf8WithBom;
  const std::string header = utf8 ? Cp932ToUtf8(HeaderLine()) : HeaderLine();
  if (!Rewrite(target, header, old.records, old.encoding) ||
      !Rewrite(ReportPathFor(target), ReportHeaderLine(), old.report, old.encoding)) {
    view.Message("vantora-cli: cannot rewrite " + target + " or its report");
    return false;
  }
  return true;
}

}  // namespace vantora::cli
