// An output file and its outcome report as a finished or interrupted run
// left them, read back: the record lines, the report lines, and which report
// line belongs to which record. Resuming a run and asking again for the
// companies that failed start from here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "worker/CsvFile.h"
#include "worker/Outcome.h"

namespace vantora {

struct OutputPair {
  FileEncoding encoding = FileEncoding::kShiftJis;  // a UTF-8 byte-order mark decides
  std::vector<std::string> records;  // record lines, as in the file (no line end), after the header
  std::vector<std::string> report;   // report lines, as in the file, after the header
  // A record line and its report line.
  struct Company {
    std::size_t record = 0;  // index into records
    std::size_t report = 0;  // index into report
    std::string code;        // the record's code value, Shift-JIS
    Outcome outcome = Outcome::kOk;
    std::string url;         // the address the report names
  };
  std::vector<Company> companies;  // in file order; records without a report line are not here
  // The report's sector lines: index into report and the sector code.
  std::vector<std::pair<std::size_t, std::string>> sectors;

  // The bytes of the output file up to the end of record line `count` - 1
  // (the header and the byte-order mark included), and the same for the
  // report up to line `count` - 1.
  long long RecordBytes(std::size_t count) const;
  long long ReportBytes(std::size_t count) const;

  // The header lines' sizes with their line ends (output, report); set by
  // ReadOutputPair.
  std::array<std::size_t, 2> headerBytes_{};
};

// The values of one CSV line (quotes removed, "" -> "); empty when the line
// is not a well-formed line of quoted values.
std::vector<std::string> ParseCsvLine(const std::string& line);

// Reads `outputPath` and its report. False, with `error` set (English), when
// either is missing or is not a file this program wrote.
bool ReadOutputPair(const std::string& outputPath, OutputPair& pair, std::string& error);

// The outcome of a keyword ("ok", "not-found" ...); false when it is none.
bool OutcomeFromKeyword(const std::string& keyword, Outcome& outcome);

}  // namespace vantora
