// Page download on Linux, with libcurl: one HTTP(S) GET streamed into the
// page file; the transfer's end is classified into the status and failure
// class it reports.
#include "common/Download.h"

#include "common/DownloadInternal.h"
#include "common/FileName.h"
#include "common/PageFile.h"
#include "common/Thread.h"

#include <curl/curl.h>

#include <array>
#include <chrono>
#include <memory>
#include <string_view>

namespace vantora {
namespace {

// libcurl's global set-up runs once per process, whichever thread asks first.
void EnsureCurlGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlEasyDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// State of one transfer, shared by the header and body callbacks.
class Transfer {
 public:
  Transfer(const std::string& path, std::chrono::seconds stallLimit, std::size_t sizeLimit, const TThread* thread)
      : page_(path, sizeLimit), stallLimit_(stallLimit), thread_(thread), lastByte_(Clock::now()) {}

  // True once no byte has arrived for the stall limit; checked by libcurl's
  // progress callback, which runs at least once a second while idle.
  bool Stalled() const { return Clock::now() - lastByte_ >= stallLimit_; }
  // True once the thread that runs the download was asked to terminate.
  bool Cancelled() const { return thread_ != nullptr && thread_->Terminated(); }
  // True once the body passed the size limit (the rest is not read).
  bool TooLarge() const { return page_.TooLarge(); }

  // One header line of some response. A block ends with an empty line; the
  // block of a redirect that libcurl follows is skipped, any other block is
  // the page's response, and the file is created (or truncated) right then,
  // so an empty body still leaves an empty file.
  void OnHeaderLine(std::string_view line) {
    lastByte_ = Clock::now();
    // Trailer fields after a chunked body end with an empty line too; the
    // page has begun already and must not be truncated again.
    if (page_.Began()) return;
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
      if (!interim && !followed) page_.Begin();
    }
  }

  // Body bytes, in whatever pieces the network delivers them. Returns
  // false once the size limit is passed, which ends the transfer.
  bool OnBody(const char* data, std::size_t size) {
    lastByte_ = Clock::now();
    return page_.Append(data, size);
  }

  // Called at the end of the transfer, also when the connection broke in
  // the middle of the body.
  void Finish() { page_.Finish(); }

  bool Began() const { return page_.Began(); }
  int Status() const { return status_; }
  const std::string& RetryAfter() const { return retryAfter_; }
  // The stored body: what was kept, and why not all of it.
  const PageFile& Page() const { return page_; }

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

  PageFile page_;
  const std::chrono::seconds stallLimit_;
  const TThread* const thread_;
  Clock::time_point lastByte_;
  int status_ = 0;
  std::string retryAfter_;
  bool hasLocation_ = false;
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

void RemoveScratchFile(const std::string& path) { RemoveFile(path); }

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

bool DownloadToFile(const std::string& address, const std::string& path, DownloadResult* result) {
  DownloadResult ignored;
  DownloadResult& report = result != nullptr ? *result : ignored;
  report = DownloadResult{};
  const std::string& agent = download_detail::NextUserAgent();
  const download_detail::Settings settings = download_detail::CurrentSettings();
  const DownloadTimeouts& timeouts = settings.timeouts;
  const std::string& caFile = settings.caFile;

  EnsureCurlGlobalInit();
  CurlEasy curl(curl_easy_init());
  if (!curl) {
    RemoveScratchFile(path);
    report.failure = DownloadFailure::kOther;
    report.reason = "cannot start a transfer";
    return false;
  }

  Transfer transfer(path, std::chrono::seconds(timeouts.stallSeconds), settings.pageSizeLimit, TThread::CurrentThread());
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
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(download_detail::kMaxRedirects));
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
  if (transfer.Page().ReportStorageFailure(report)) {
    // the stored page decides
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
