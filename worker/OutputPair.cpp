// Reading an output file and its report back into record lines, report
// lines and their pairing.
#include "worker/OutputPair.h"

#include <fstream>
#include <iterator>

#include "common/Charset.h"
#include "common/FileName.h"
#include "worker/Job.h"

namespace vantora {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool ReadAll(const std::string& path, std::string& bytes) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The lines of a file split at CR LF; a last line without one (cut off by a
// kill or a full disk) is dropped.
std::vector<std::string> CrLfLines(const std::string& bytes, std::size_t from) {
  std::vector<std::string> lines;
  for (std::size_t at = bytes.find("\r\n", from); at != std::string::npos; at = bytes.find("\r\n", from)) {
    lines.push_back(bytes.substr(from, at - from));
    from = at + 2;
  }
  return lines;
}

long long Bytes(const std::vector<std::string>& lines, std::size_t count, FileEncoding encoding,
                std::size_t headerBytes) {
  long long total = static_cast<long long>(headerBytes) + (encoding == FileEncoding::kUtf8WithBom ? 3 : 0);
  for (std::size_t i = 0; i < count && i < lines.size(); ++i) total += static_cast<long long>(lines[i].size()) + 2;
  return total;
}

}  // namespace

std::vector<std::string> ParseCsvLine(const std::string& line) {
  std::vector<std::string> values;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] != '"') return {};
    std::string value;
    for (++i;; ++i) {
      if (i >= line.size()) return {};
      if (line[i] == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          value += '"';
          ++i;
          continue;
        }
        ++i;
        break;
      }
      value += line[i];
    }
    values.push_back(std::move(value));
    if (i < line.size() && line[i++] != ',') return {};
  }
  return values;
}

bool OutcomeFromKeyword(const std::string& keyword, Outcome& outcome) {
  for (int i = 0; i < kOutcomeCount; ++i) {
    if (keyword == OutcomeKeyword(static_cast<Outcome>(i))) {
      outcome = static_cast<Outcome>(i);
      return true;
    }
  }
  return false;
}

long long OutputPair::RecordBytes(std::size_t count) const {
  return Bytes(records, count, encoding, headerBytes_[0]);
}

long long OutputPair::ReportBytes(std::size_t count) const {
  return Bytes(report, count, encoding, headerBytes_[1]);
}

bool ReadOutputPair(const std::string& outputPath, OutputPair& pair, std::string& error) {
  pair = OutputPair{};
  std::string csv, rep;
  const std::string reportPath = ReportPathFor(outputPath);
  if (!ReadAll(outputPath, csv)) {
    error = "cannot read " + outputPath;
    return false;
  }
  if (!ReadAll(reportPath, rep)) {
    error = "cannot read " + reportPath;
    return false;
  }
  const bool utf8 = csv.compare(0, 3, kBom) == 0;
  pair.encoding = utf8 ? FileEncoding::kUtf8WithBom : FileEncoding::kShiftJis;
  const auto toSjis = [&](const std::string& line) { return utf8 ? Utf8ToCp932(line) : line; };
  auto records = CrLfLines(csv, utf8 ? 3 : 0);
  auto report = CrLfLines(rep, rep.compare(0, 3, kBom) == 0 ? 3 : 0);
  if (records.empty() || toSjis(records[0]) != HeaderLine()) {
    error = outputPath + " does not begin with the header line of this program";
    return false;
  }
  if (report.empty() || report[0] != ReportHeaderLine() || (rep.compare(0, 3, kBom) == 0) != utf8) {
    error = reportPath + " is not the report of " + outputPath;
    return false;
  }
  pair.headerBytes_[0] = records[0].size() + 2;
  pair.headerBytes_[1] = report[0].size() + 2;
  records.erase(records.begin());
  report.erase(report.begin());
  pair.records = std::move(records);
  pair.report = std::move(report);

  std::size_t record = 0;
  for (std::size_t i = 0; i < pair.report.size(); ++i) {
    const auto values = ParseCsvLine(toSjis(pair.report[i]));
    Outcome outcome{};
    if (values.size() != 5 || !OutcomeFromKeyword(values[1], outcome)) {
      error = reportPath + ": line " + std::to_string(i + 2) + " is not a report line";
      return false;
    }
    if (values[0].rfind("sector:", 0) == 0) {
      pair.sectors.emplace_back(i, values[0].substr(7));
      continue;
    }
    if (record >= pair.records.size()) {
      error = reportPath + " has more company lines than " + outputPath + " has records";
      return false;
    }
    const auto recordValues = ParseCsvLine(toSjis(pair.records[record]));
    if (recordValues.size() != static_cast<std::size_t>(kRecordColumnCount)) {
      error = outputPath + ": record " + std::to_string(record + 1) + " is not a record line";
      return false;
    }
    pair.companies.push_back({record, i, recordValues[kColCode], outcome, values[4]});
    ++record;
  }
  return true;
}

}  // namespace vantora
