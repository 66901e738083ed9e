// Line-by-line CSV output with a cut-back to the last complete line on a
// failed write, and the CSV value quoting.
#include "worker/CsvFile.h"

#include "common/Charset.h"

namespace vantora {

bool LooksLikeFormula(std::string_view value) {
  if (value.empty()) return false;
  const char c = value[0];
  if (c == '=' || c == '@' || c == '\t' || c == '\r') return true;
  if (c == '+' || c == '-') return value.size() > 1 && (value[1] < '0' || value[1] > '9');
  return false;
}

void AppendCsvValue(std::string& line, std::string_view value) {
  if (!line.empty()) line += ',';
  line += '"';
  if (LooksLikeFormula(value)) line += '\'';
  for (char c : value) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

CsvFile::~CsvFile() = default;

bool FileInUseByAnotherWriter(const std::string& path) { return LockedByAnotherWriter(path); }

bool CsvFile::OpenLocked(const std::string& path, FileEncoding encoding, bool exclusive) {
  failed_ = false;
  error_.clear();
  goodEnd_ = 0;
  encoding_ = encoding;
  // The file is cut only once the lock is held, so that a file another run
  // is writing loses nothing.
  const LockedFile::OpenResult opened = file_.OpenForWriting(path, exclusive);
  if (opened == LockedFile::OpenResult::kOpened) return true;
  failed_ = true;
  error_ = opened == LockedFile::OpenResult::kLockedByAnother ? kFileLockedReason : file_.Error();
  return false;
}

bool CsvFile::Open(const std::string& path, FileEncoding encoding, bool exclusive) {
  if (!OpenLocked(path, encoding, exclusive)) return false;
  if (!file_.Truncate(0)) {
    Fail();
    return false;
  }
  return encoding_ != FileEncoding::kUtf8WithBom || WriteAll("\xEF\xBB\xBF");
}

bool CsvFile::OpenToContinue(const std::string& path, FileEncoding encoding, long long keepBytes) {
  if (!OpenLocked(path, encoding, false)) return false;
  if (!file_.Truncate(keepBytes)) {
    Fail();
    return false;
  }
  goodEnd_ = keepBytes;
  return true;
}

bool CsvFile::WriteLine(std::string_view lineSjis) {
  if (!file_.IsOpen() || failed_) return false;
  std::string bytes = encoding_ == FileEncoding::kUtf8WithBom ? Cp932ToUtf8(lineSjis) : std::string(lineSjis);
  bytes += "\r\n";
  return WriteAll(bytes);
}

bool CsvFile::WriteAll(std::string_view bytes) {
  if (!file_.Write(bytes)) {
    Fail();
    return false;
  }
  goodEnd_ += static_cast<long long>(bytes.size());
  return true;
}

void CsvFile::Fail() {
  failed_ = true;
  if (error_.empty()) error_ = file_.Error();
  // Part of the line may have reached the file: cut it off again.
  file_.Truncate(goodEnd_);
}

bool CsvFile::Close() {
  if (!file_.IsOpen()) return false;
  if (!file_.Close() && !failed_) {
    failed_ = true;
    error_ = file_.Error();
  }
  return !failed_;
}

}  // namespace vantora
