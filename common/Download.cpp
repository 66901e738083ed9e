// Page download with libcurl: one HTTP(S) GET streamed into a file in
// 1000-byte chunks, each chunk cut at its first NUL byte, with the User-Agent
// of every call drawn from a fixed table by a process-wide generator; the
// transfer's end is classified into the status and failure class it reports.
#include "common/Download.h"

#include "common/Thread.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unistd.h>

namespace vantora {
namespace {

const std::array<std::string, 5> kUserAgents = {
    "Mozilla/5.0 (Windows NT 5.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/58.0.3029.110 Safari/537.36 Edge/16.16299",
    "Mozilla/5.0 (Windows NT 6.2; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/52.0.2743.116 Safari/537.36 Edge/15.15063",
    "Mozilla/5.0 (Windows NT 6.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/52.0.2743.116 Safari/537.36 Edge/15.15063",
    "Mozilla/5.0 (Windows NT 6.3; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/51.0.2704.79 Safari/537.36 Edge/14.14393",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/64.0.3282.140 Safari/537.36 Edge/17.17134",
};

constexpr std::size_t kChunkSize = 1000;
constexpr long kMaxRedirects = 10;

std::atomic<std::uint32_t> gRandomState{0};

std::mutex gTimeoutsMutex;  // guards the settings below
DownloadTimeouts gTimeouts;
std::size_t gPageSizeLimit = kDefaultPageSizeLimit;
std::string gCaFile;

// libcurl's global set-up runs once per process, whichever thread asks first.
void EnsureCurlGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlEasyDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// State of one transfer, shared by the header and body callbacks.
class Transfer {
 public:
  Transfer(const std::string& path, std::chrono::seconds stallLimit, std::size_t sizeLimit, const TThread* thread)
      : path_(path), stallLimit_(stallLimit), sizeLimit_(sizeLimit), thread_(thread), lastByte_(Clock::now()) {}

  // True once no byte has arrived for the stall limit; checked by libcurl's
  // progress callback, which runs at least once a second while idle.
  bool Stalled() const { return Clock::now() - lastByte_ >= stallLimit_; }
  // True once the thread that runs the download was asked to terminate.
  bool Cancelled() const { return thread_ != nullptr && thread_->Terminated(); }
  // True once the body passed the size limit (the rest is not read).
  bool TooLarge() const { return tooLarge_; }

  // One header line of some response. A block ends with an empty line; the
  // block of a redirect that libcurl follows is skipped, any other block is
  // the page's response, and the file is created (or truncated) right then,
  // so an empty body still leaves an empty file.
  void OnHeaderLine(std::string_view line) {
    lastByte_ = Clock::now();
    // Trailer fields after a chunked body end with an empty line too; the
    // page has begun already and must not be truncated again.
    if (began_) return;
    if (line.rfind("HTTP/", 0) == 0) {
      status_ = ParseStatus(line);
      hasLocation_ = false;
      retryAfter_.clear();
      return;
    }
    if (StartsWithNoCase(line, "retry-after:")) {
      std::string_view value = line.substr(12);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
      retryAfter_ = std::string(value);
      return;
    }
    if (StartsWithNoCase(line, "location:")) {
      hasLocation_ = true;
      return;
    }
    if (line == "\r\n" || line == "\n") {
      const bool interim = status_ >= 100 && status_ < 200;
      const bool followed = status_ >= 300 && status_ < 400 && hasLocation_;
      if (!interim && !followed) BeginBody();
    }
  }

  // Body bytes, in whatever pieces the network delivers them; chunks are
  // formed by body offset so the stored bytes do not depend on that.
  // Returns false once the size limit is passed, which ends the transfer.
  bool OnBody(const char* data, std::size_t size) {
    lastByte_ = Clock::now();
    if (!began_) BeginBody();  // a response without a header block (HTTP/0.9)
    if (size > sizeLimit_ - received_) {
      size = sizeLimit_ - received_;
      tooLarge_ = true;
    }
    received_ += size;
    while (size > 0) {
      const std::size_t take = std::min(size, kChunkSize - chunkLength_);
      std::memcpy(chunk_.data() + chunkLength_, data, take);
      chunkLength_ += take;
      data += take;
      size -= take;
      if (chunkLength_ == kChunkSize) FlushChunk();
    }
    return !tooLarge_;
  }

  // Stores the last, partial chunk; called at the end of the transfer, also
  // when the connection broke in the middle of the body.
  void Finish() {
    FlushChunk();
    if (file_ && std::fclose(file_.release()) != 0) NoteFileError();
  }

  bool Began() const { return began_; }
  int Status() const { return status_; }
  const std::string& RetryAfter() const { return retryAfter_; }
  // Why the body could not be stored; empty when it could.
  const std::string& FileError() const { return fileError_; }

 private:
  using Clock = std::chrono::steady_clock;

  static int ParseStatus(std::string_view line) {
    const auto space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    int code = 0;
    for (std::size_t i = space + 1; i < line.size() && i < space + 4; ++i) {
      const char c = line[i];
      if (c < '0' || c > '9') return 0;
      code = code * 10 + (c - '0');
    }
    return code;
  }

  static bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      char c = text[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != prefix[i]) return false;
    }
    return true;
  }

  void BeginBody() {
    began_ = true;
    chunkLength_ = 0;
    received_ = 0;
    // A file that cannot be created makes the writes fail; the body is still
    // read to its end, and the failure is reported.
    file_.reset(std::fopen(path_.c_str(), "wb"));
    if (!file_) NoteFileError();
  }

  void NoteFileError() {
    if (fileError_.empty()) fileError_ = std::strerror(errno != 0 ? errno : EIO);
  }

  // A chunk is text: only the bytes before its first NUL are written.
  void FlushChunk() {
    if (chunkLength_ == 0) return;
    const void* nul = std::memchr(chunk_.data(), '\0', chunkLength_);
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - chunk_.data())
                       : chunkLength_;
    if (file_ && length > 0) {
      if (std::fwrite(chunk_.data(), 1, length, file_.get()) != length ||
          std::fflush(file_.get()) != 0) {
        NoteFileError();
        file_.reset();
      }
    }
    chunkLength_ = 0;
  }

  const std::string& path_;
  const std::chrono::seconds stallLimit_;
  const std::size_t sizeLimit_;
  const TThread* const thread_;
  Clock::time_point lastByte_;
  std::size_t received_ = 0;
  bool tooLarge_ = false;
  int status_ = 0;
  std::string retryAfter_;
  bool hasLocation_ = false;
  bool began_ = false;
  FileHandle file_;
  std::string fileError_;
  std::array<char, kChunkSize> chunk_{};
  std::size_t chunkLength_ = 0;
};

extern "C" size_t HeaderCallback(char* data, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->OnHeaderLine(std::string_view(data, size * count));
  return size * count;
}

extern "C" size_t BodyCallback(char* data, size_t size, size_t count, void* user) {
  // A short count ends the transfer (CURLE_WRITE_ERROR).
  return static_cast<Transfer*>(user)->OnBody(data, size * count) ? size * count : 0;
}

extern "C" int ProgressCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* transfer = static_cast<const Transfer*>(user);
  return transfer->Stalled() || transfer->Cancelled() ? 1 : 0;  // non-zero aborts
}

void RemoveScratchFile(const std::string& path) { ::unlink(path.c_str()); }

// OpenSSL's verification results that name a cause of their own.
constexpr long kX509CertNotYetValid = 9;
constexpr long kX509CertHasExpired = 10;
constexpr long kX509HostnameMismatch = 62;

DownloadFailure ClassifyTls(CURL* h, const std::string& message) {
  // libcurl checks the host name itself and reports it only in its message.
  if (message.find("subject name") != std::string::npos || message.find("host name") != std::string::npos)
    return DownloadFailure::kTlsHostMismatch;
  long verify = 0;
  curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &verify);
  if (verify == kX509CertHasExpired || verify == kX509CertNotYetValid) return DownloadFailure::kTlsExpired;
  if (verify == kX509HostnameMismatch) return DownloadFailure::kTlsHostMismatch;
  if (verify != 0) return DownloadFailure::kTlsUntrusted;
  if (message.find("expired") != std::string::npos) return DownloadFailure::kTlsExpired;
  return DownloadFailure::kTlsUntrusted;
}

// The failure class of a finished transfer from libcurl's result code.
DownloadFailure Classify(CURLcode code, bool responded, CURL* h, const std::string& message) {
  switch (code) {
    case CURLE_OK:
      return DownloadFailure::kNone;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return DownloadFailure::kNotResolved;
    case CURLE_COULDNT_CONNECT:
      return DownloadFailure::kRefused;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:  // the stall limit passed
      return DownloadFailure::kTimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
      return ClassifyTls(h, message);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
      return DownloadFailure::kTlsOther;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return DownloadFailure::kDropped;
    default:
      // Whatever else ends a response that had begun cut it short.
      return responded ? DownloadFailure::kDropped : DownloadFailure::kOther;
  }
}

}  // namespace

double RetryAfterSeconds(const std::string& value, std::time_t now) {
  if (value.empty()) return -1;
  if (value.find_first_not_of("0123456789") == std::string::npos) {
    return value.size() > 9 ? 1e9 : static_cast<double>(std::stol(value));
  }
  // An HTTP date: "Wed, 21 Oct 2026 07:28:00 GMT" (the other two forms of
  // old servers are read as well).
  for (const char* format : {"%a, %d %b %Y %H:%M:%S GMT", "%A, %d-%b-%y %H:%M:%S GMT", "%a %b %d %H:%M:%S %Y"}) {
    std::tm tm{};
    const char* end = ::strptime(value.c_str(), format, &tm);
    if (end == nullptr || *end != '\0') continue;
    const std::time_t at = ::timegm(&tm);
    return at > now ? static_cast<double>(at - now) : 0.0;
  }
  return -1;
}

std::uint32_t NextRandom(std::uint32_t range) {
  // Lock-free update of the shared state: concurrent callers each get their
  // own step of the sequence, none is lost or repeated.
  std::uint32_t state = gRandomState.load(std::memory_order_relaxed);
  std::uint32_t next = 0;
  do {
    next = state * 134775813u + 1u;
  } while (!gRandomState.compare_exchange_weak(state, next, std::memory_order_relaxed));
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next) * range) >> 32);
}

const std::string& UserAgentText(std::uint32_t index) {
  return kUserAgents.at(index);
}

void SetDownloadTimeouts(const DownloadTimeouts& timeouts) {
  std::lock_guard lock(gTimeoutsMutex);
  gTimeouts = timeouts;
}

DownloadTimeouts GetDownloadTimeouts() {
  std::lock_guard lock(gTimeoutsMutex);
  return gTimeouts;
}

void SetPageSizeLimit(std::size_t bytes) {
  std::lock_guard lock(gTimeoutsMutex);
  gPageSizeLimit = bytes;
}

std::size_t PageSizeLimit() {
  std::lock_guard lock(gTimeoutsMutex);
  return gPageSizeLimit;
}

void SetDownloadCaFile(const std::string& path) {
  std::lock_guard lock(gTimeoutsMutex);
  gCaFile = path;
}

bool DownloadToFile(const std::string& address, const std::string& path, DownloadResult* result) {
  DownloadResult ignored;
  DownloadResult& report = result != nullptr ? *result : ignored;
  report = DownloadResult{};
  const std::string& agent = UserAgentText(NextRandom(static_cast<std::uint32_t>(kUserAgents.size())));
  const DownloadTimeouts timeouts = GetDownloadTimeouts();
  std::string caFile;
  {
    std::lock_guard lock(gTimeoutsMutex);
    caFile = gCaFile;
  }

  EnsureCurlGlobalInit();
  CurlEasy curl(curl_easy_init());
  if (!curl) {
    RemoveScratchFile(path);
    report.failure = DownloadFailure::kOther;
    report.reason = "cannot start a transfer";
    return false;
  }

  Transfer transfer(path, std::chrono::seconds(timeouts.stallSeconds), PageSizeLimit(), TThread::CurrentThread());
  CURL* h = curl.get();
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
  // Direct connection: an empty proxy name overrides http_proxy/https_proxy
  // and friends from the environment.
  curl_easy_setopt(h, CURLOPT_PROXY, "");
  curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, caFile.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeouts.connectSeconds);
  // Stall limit: no byte for that long ends the transfer, before or during
  // the response. (libcurl's own low-speed check averages over several
  // seconds and would let a stall run well past the limit.)
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &ProgressCallback);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &HeaderCallback);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &BodyCallback);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  std::array<char, CURL_ERROR_SIZE> message{};
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message.data());

  // A response that began counts as fetched, even when it broke off later
  // (what was stored stays); the result code tells how it ended.
  const CURLcode code = curl_easy_perform(h);
  transfer.Finish();

  report.responded = transfer.Began();
  report.httpStatus = transfer.Began() ? transfer.Status() : 0;
  if (transfer.Began()) report.retryAfter = transfer.RetryAfter();
  const std::string text = message[0] != '\0' ? std::string(message.data()) : std::string(curl_easy_strerror(code));
  if (!transfer.FileError().empty()) {
    report.failure = DownloadFailure::kScratchFile;
    report.reason = transfer.FileError();
  } else if (transfer.TooLarge()) {
    report.failure = DownloadFailure::kTooLarge;
    report.reason = "the page is larger than " + std::to_string(PageSizeLimit()) + " bytes";
  } else if (code == CURLE_ABORTED_BY_CALLBACK && transfer.Cancelled()) {
    report.failure = DownloadFailure::kCancelled;
    report.reason = "stopped";
  } else {
    report.failure = Classify(code, transfer.Began(), h, text);
    if (code == CURLE_ABORTED_BY_CALLBACK) {
      report.reason = "no data for " + std::to_string(timeouts.stallSeconds) + " s";
    } else if (report.failure != DownloadFailure::kNone) {
      report.reason = text;
    }
  }

  if (!transfer.Began()) {
    RemoveScratchFile(path);
    return false;
  }
  return true;
}

}  // namespace vantora
