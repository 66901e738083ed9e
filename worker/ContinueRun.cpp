// Taking up an interrupted run and asking again for the companies that
// failed, from the output file and its report.
#include "worker/ContinueRun.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "common/Charset.h"
#include "common/FileName.h"
#include "common/TextUtil.h"
#include "worker/CsvFile.h"
#include "worker/Job.h"
#include "worker/OutputPair.h"
#include "worker/PairReplacement.h"

namespace vantora {
namespace {

// The record codes a code-mode run writes for `codes`, in order.
std::vector<std::string> RecordCodes(const std::string& codesSjis) {
  StringList work;
  SplitText(Trim(codesSjis), ",", work);
  std::vector<std::string> codes;
  for (const std::string& entry : work) codes.push_back(StockCodeOf(QuotePagePrefix() + Trim(entry)));
  return codes;
}

// Writes `header` and `lines` (in the file's encoding already) to `path`.
bool WriteLines(const std::string& path, const std::string& header, const std::vector<std::string>& lines,
                FileEncoding encoding) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  if (encoding == FileEncoding::kUtf8WithBom) out << "\xEF\xBB\xBF";
  out << header << "\r\n";
  for (const std::string& line : lines) out << line << "\r\n";
  out.close();
  return static_cast<bool>(out);
}

// Writes the new output file and report beside the old ones, then puts
// them in place as a pair.
bool ReplaceBoth(const std::string& target, const std::string& recordHeader, const std::vector<std::string>& records,
                 const std::vector<std::string>& report, FileEncoding encoding, std::string& error) {
  const std::string newRecords = target + ".new";
  const std::string newReport = ReportPathFor(target) + ".new";
  if (!WriteLines(newRecords, recordHeader, records, encoding) ||
      !WriteLines(newReport, ReportHeaderLine(), report, encoding)) {
    RemoveFile(newRecords);
    RemoveFile(newReport);
    error = "cannot write the new " + target + " or its report";
    return false;
  }
  return ReplacePair(target, newRecords, newReport, error);
}

// Reads the output file and its report when no other run writes them.
ContinueRefusal ReadIdleOutput(const std::string& target, OutputPair& pair, std::string& error) {
  if (FileInUseByAnotherWriter(target)) return ContinueRefusal::kInUse;
  CompletePairReplacement(target);
  if (!ReadOutputPair(target, pair, error)) return ContinueRefusal::kUnreadable;
  return ContinueRefusal::kNone;
}

}  // namespace

ContinuePlan PlanResume(const std::string& target, JobInputs& inputs) {
  ContinuePlan plan;
  OutputPair pair;
  plan.refusal = ReadIdleOutput(target, pair, plan.error);
  if (plan.refusal != ContinueRefusal::kNone) return plan;
  std::size_t kept = pair.companies.size();
  while (kept > 0 && pair.companies[kept - 1].outcome == Outcome::kCancelled) --kept;
  if (inputs.codeMode) {
    const auto codes = RecordCodes(inputs.codeText);
    bool same = kept <= codes.size();
    for (std::size_t i = 0; same && i < kept; ++i) same = pair.companies[i].code == codes[i];
    if (!same) {
      plan.refusal = ContinueRefusal::kOtherCodes;
      return plan;
    }
  }
  ResumeFrom& r = inputs.resume;
  r = ResumeFrom{};
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
  inputs.outputFileName = target;
  inputs.outputEncoding = pair.encoding;
  inputs.createOutputExclusively = false;
  plan.kept = kept;
  return plan;
}

ContinuePlan PlanRetry(const std::string& target, const std::string& jobFile, JobInputs& inputs) {
  ContinuePlan plan;
  OutputPair pair;
  plan.refusal = ReadIdleOutput(target, pair, plan.error);
  if (plan.refusal != ContinueRefusal::kNone) return plan;
  static const std::string kProfile = "/profile";
  inputs.retryItems.clear();
  for (const OutputPair::Company& company : pair.companies) {
    if (company.outcome == Outcome::kOk) continue;
    std::string quote = company.url;
    if (quote.size() >= kProfile.size() && quote.compare(quote.size() - kProfile.size(), kProfile.size(), kProfile) == 0)
      quote.resize(quote.size() - kProfile.size());
    inputs.retryItems.push_back({company.code, quote});
  }
  // A sector whose listing failed is crawled again; the companies the file
  // holds are not read a second time.
  inputs.retrySectors.clear();
  for (const auto& [line, sector] : pair.sectors) {
    (void)line;
    if (std::find(inputs.retrySectors.begin(), inputs.retrySectors.end(), sector) == inputs.retrySectors.end())
      inputs.retrySectors.push_back(sector);
  }
  plan.kept = inputs.retryItems.size();
  plan.sectors = inputs.retrySectors.size();
  if (inputs.retryItems.empty() && inputs.retrySectors.empty()) {
    plan.refusal = ContinueRefusal::kNothingToRetry;
    return plan;
  }
  inputs.codeMode = true;
  inputs.resume = ResumeFrom{};
  if (!inputs.retrySectors.empty())
    for (const OutputPair::Company& company : pair.companies) inputs.resume.doneCodes.push_back(company.code);
  inputs.outputFileName = jobFile;
  inputs.outputEncoding = pair.encoding;
  inputs.createOutputExclusively = true;
  return plan;
}

bool MergeRetry(const std::string& target, const std::string& jobFile, bool wentThrough, std::string& error) {
  OutputPair old, fresh;
  const bool read = ReadOutputPair(target, old, error) && ReadOutputPair(jobFile, fresh, error);
  RemoveFile(jobFile);
  RemoveFile(ReportPathFor(jobFile));
  if (!read) return false;
  // The retried companies in the order they were asked for: the old lines
  // that were not ok, one by one.
  std::size_t asked = 0;
  for (const OutputPair::Company& company : old.companies) {
    if (company.outcome == Outcome::kOk) continue;
    if (asked < fresh.companies.size()) {
      const OutputPair::Company& now = fresh.companies[asked];
      old.records[company.record] = fresh.records[now.record];
      old.report[company.report] = fresh.report[now.report];
    }
    ++asked;
  }
  std::vector<std::string> report;
  if (fresh.companies.size() < asked) {
    report = std::move(old.report);  // stopped before the listings were read again
  } else {
    // The listings read again: the companies found there follow the
    // others. After a run that went through, the old failure lines of the
    // listings go (one that failed again has its new line); otherwise they
    // stay, so that the next retry reads those listings once more.
    for (std::size_t i = asked; i < fresh.companies.size(); ++i)
      old.records.push_back(fresh.records[fresh.companies[i].record]);
    std::vector<bool> drop(old.report.size(), false);
    if (wentThrough)
      for (const auto& [line, sector] : old.sectors) drop[line] = true;
    for (std::size_t i = 0; i < old.report.size(); ++i)
      if (!drop[i]) report.push_back(std::move(old.report[i]));
    std::vector<bool> freshSector(fresh.report.size(), false);
    for (const auto& [line, sector] : fresh.sectors) freshSector[line] = true;
    const std::size_t first = asked == 0 ? 0 : fresh.companies[asked - 1].report + 1;
    for (std::size_t i = first; i < fresh.report.size(); ++i)
      if (wentThrough || !freshSector[i]) report.push_back(fresh.report[i]);
  }
  const bool utf8 = old.encoding == FileEncoding::kUtf8WithBom;
  const std::string header = utf8 ? Cp932ToUtf8(HeaderLine()) : HeaderLine();
  return ReplaceBoth(target, header, old.records, report, old.encoding, error);
}

std::string RetryFileName(const std::string& target, long long id) {
  const std::string stem = target.size() >= 4 ? target.substr(0, target.size() - 4) : target;
  return stem + ".retry-" + std::to_string(id) + ".csv";
}

JobSummary WholeFileSummary(const std::string& target) {
  JobSummary summary;
  OutputPair pair;
  std::string ignored;
  if (!ReadOutputPair(target, pair, ignored)) return summary;
  summary.records = static_cast<int>(pair.companies.size());
  for (const OutputPair::Company& company : pair.companies)
    ++summary.companies[static_cast<std::size_t>(company.outcome)];
  summary.listingsNotOk = static_cast<int>(pair.sectors.size());
  summary.reportPath = ReportPathFor(target);
  return summary;
}

}  // namespace vantora
