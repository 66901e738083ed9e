// Line-by-line CSV output with a cut-back to the last complete line on a
// failed write, and the CSV value quoting.
#include "worker/CsvFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

CsvFile::~CsvFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileInUseByAnotherWriter(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return locked;
}

bool CsvFile::OpenLocked(const std::string& path, FileEncoding encoding, bool exclusive) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  failed_ = false;
  error_.clear();
  goodEnd_ = 0;
  encoding_ = encoding;
  // The file is cut only once the lock is held, so that a file another run
  // is writing loses nothing.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : 0), 0666);
  if (fd_ < 0) {
    failed_ = true;
    error_ = std::strerror(errno);
    return false;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    failed_ = true;
    error_ = error == EWOULDBLOCK ? kFileLockedReason : std::strerror(error);
    return false;
  }
  return true;
}

bool CsvFile::Open(const std::string& path, FileEncoding encoding, bool exclusive) {
  if (!OpenLocked(path, encoding, exclusive)) return false;
  if (::ftruncate(fd_, 0) != 0) {
    Fail(errno);
    return false;
  }
  return encoding_ != FileEncoding::kUtf8WithBom || WriteAll("\xEF\xBB\xBF");
}

bool CsvFile::OpenToContinue(const std::string& path, FileEncoding encoding, long long keepBytes) {
  if (!OpenLocked(path, encoding, false)) return false;
  if (::ftruncate(fd_, static_cast<off_t>(keepBytes)) != 0 ||
      ::lseek(fd_, 0, SEEK_END) != static_cast<off_t>(keepBytes)) {
    Fail(errno != 0 ? errno : EIO);
    return false;
  }
  goodEnd_ = keepBytes;
  return true;
}

bool CsvFile::WriteLine(std::string_view lineSjis) {
  if (fd_ < 0 || failed_) return false;
  std::string bytes = encoding_ == FileEncoding::kUtf8WithBom ? Cp932ToUtf8(lineSjis) : std::string(lineSjis);
  bytes += "\r\n";
  return WriteAll(bytes);
}

bool CsvFile::WriteAll(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  goodEnd_ += static_cast<long long>(bytes.size());
  return true;
}

void CsvFile::Fail(int error) {
  failed_ = true;
  if (error_.empty()) error_ = std::strerror(error);
  // Part of the line may have reached the file: cut it off again.
  if (::ftruncate(fd_, static_cast<off_t>(goodEnd_)) == 0) ::lseek(fd_, static_cast<off_t>(goodEnd_), SEEK_SET);
}

bool CsvFile::Close() {
  if (fd_ < 0) return false;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && !failed_) {
    failed_ = true;
    error_ = std::strerror(errno);
  }
  return !failed_;
}

}  // namespace vantora
