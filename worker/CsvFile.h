// A CSV text file written line by line: each line goes out with CR LF and
// reaches the file at once, in Shift-JIS or in UTF-8 with a byte-order mark,
// so that a kill or a full disk loses at most the line in hand. A line that
// could not be written whole is cut off again, so the file always ends with
// a complete line. Also the quoting of values shared by every CSV line.
#pragma once

#include <string>
#include <string_view>

#include "worker/LockedFile.h"

namespace vantora {

enum class FileEncoding {
  kShiftJis,    // the bytes as the worker holds them (code page 932)
  kUtf8WithBom, // converted to UTF-8, the file starting with EF BB BF
};

// Appends `value` between double quotes to `line`, a '"' inside doubled,
// after a ',' when `line` is not empty. '"' (0x22) is never the second byte
// of a double-byte character, so Shift-JIS values are safe. A value that a
// spreadsheet would run as a formula gets a leading "'" (FormulaSafe).
void AppendCsvValue(std::string& line, std::string_view value);

// Whether a spreadsheet would take `value` as a formula: it starts with '=',
// '@', a tab or a CR, or with '+' or '-' followed by anything but a digit
// ("+35(+1.09%)" and "-12.5" are numbers, "-" alone is text).
bool LooksLikeFormula(std::string_view value);

// Whether another writer holds the lock of the file at `path` (false when
// the file does not exist or cannot be opened).
bool FileInUseByAnotherWriter(const std::string& path);

// The reason CsvFile gives when another writer holds the file.
inline constexpr char kFileLockedReason[] = "the file is being written by another run";

class CsvFile {
 public:
  CsvFile() = default;
  ~CsvFile();
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

  // Creates (or, unless `exclusive`, empties) the file at `path` and holds
  // an exclusive lock on it until Close, so that no second run writes the
  // same file: a file locked by another writer is left untouched. False when
  // it cannot be created, opened or locked, or its byte-order mark cannot be
  // written; Error() says why.
  bool Open(const std::string& path, FileEncoding encoding, bool exclusive = false);
  // Opens an existing file to go on writing it: locked as by Open, cut back
  // to its first `keepBytes` bytes (a byte-order mark included), then
  // written after them.
  bool OpenToContinue(const std::string& path, FileEncoding encoding, long long keepBytes);
  // Writes `lineSjis` (Shift-JIS, without a line end) and CR LF. On a failure
  // the file is cut back to its last complete line, Failed() becomes true and
  // every later write is refused.
  bool WriteLine(std::string_view lineSjis);
  // Closes the file; false when it was never open, failed, or closing failed.
  bool Close();

  bool IsOpen() const { return file_.IsOpen(); }
  bool Failed() const { return failed_; }
  // The system's reason for the first failure ("No space left on device").
  const std::string& Error() const { return error_; }

 private:
  bool OpenLocked(const std::string& path, FileEncoding encoding, bool exclusive);
  bool WriteAll(std::string_view bytes);
  // Notes the file's failure and cuts the file back to its last complete line.
  void Fail();

  LockedFile file_;
  FileEncoding encoding_ = FileEncoding::kShiftJis;
  long long goodEnd_ = 0;  // the file's size after its last complete line
  bool failed_ = false;
  std::string error_;
};

}  // namespace vantora
