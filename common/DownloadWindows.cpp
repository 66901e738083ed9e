// Page download on Windows, with WinInet: InternetOpen with a direct
// connection (no proxy, whatever the system's settings), then for each
// address of a redirect chain (followed here, up to ten, so that the page's
// own status and headers are the ones reported) InternetConnect,
// HttpOpenRequest with the request's time limits and HttpSendRequest;
// HttpQueryInfo for the status and Retry-After, InternetReadFile into the
// page file. The body is read with a receive limit of a second, so that a
// terminate request or the stall limit is seen between two reads; a watch
// thread also closes the session then, which ends a call that still blocks.
#include "common/Download.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "common/DownloadInternal.h"
#include "common/FileName.h"
#include "common/PageFile.h"
#include "common/Thread.h"

namespace vantora {
namespace {

using Clock = std::chrono::steady_clock;

// A failure of the secure channel (not every SDK's header names it).
constexpr DWORD kInternetSecureFailure = 12175;

struct InternetCloser {
  void operator()(HINTERNET handle) const noexcept { ::InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// Ends the blocking WinInet calls of one download from the outside: every
// 50 ms it looks at the calling thread's terminate request and at the time
// since the last byte, and closes the session once either says so.
class Watch {
 public:
  Watch(HINTERNET session, const TThread* thread, std::chrono::seconds stallLimit)
      : session_(session), thread_(thread), stallLimit_(stallLimit), lastByte_(Clock::now()) {
    watcher_ = std::thread([this] { Run(); });
  }
  ~Watch() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    watcher_.join();
  }
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  void NoteByte() {
    std::lock_guard lock(mutex_);
    lastByte_ = Clock::now();
  }
  bool Cancelled() {
    std::lock_guard lock(mutex_);
    return cancelled_;
  }
  bool Stalled() {
    std::lock_guard lock(mutex_);
    return stalled_;
  }
  // Whether no byte came for the stall limit (the session may still be open).
  bool StallPassed() {
    std::lock_guard lock(mutex_);
    return stalled_ || Clock::now() - lastByte_ >= stallLimit_;
  }
  // Whether the session was closed here (then its handle is gone).
  bool Closed() {
    std::lock_guard lock(mutex_);
    return cancelled_ || stalled_;
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!done_) {
      wake_.wait_for(lock, std::chrono::milliseconds(50));
      if (done_) return;
      if (thread_ != nullptr && thread_->Terminated()) {
        cancelled_ = true;
      } else if (Clock::now() - lastByte_ >= stallLimit_) {
        stalled_ = true;
      } else {
        continue;
      }
      ::InternetCloseHandle(session_);
      return;
    }
  }

  const HINTERNET session_;
  const TThread* const thread_;
  const std::chrono::seconds stallLimit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  Clock::time_point lastByte_;
  bool done_ = false;
  bool cancelled_ = false;
  bool stalled_ = false;
  std::thread watcher_;
};

// The failure class and a short English reason of a WinInet error.
DownloadFailure Classify(DWORD error, bool responded, std::string& reason) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      reason = "Could not resolve host";
      return DownloadFailure::kNotResolved;
    case ERROR_INTERNET_CANNOT_CONNECT:
      reason = "Could not connect to server";
      return DownloadFailure::kRefused;
    case ERROR_INTERNET_TIMEOUT:
      reason = "Timeout was reached";
      return DownloadFailure::kTimedOut;
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      reason = "The certificate is for another host name";
      return DownloadFailure::kTlsHostMismatch;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      reason = "The certificate has expired or is not yet valid";
      return DownloadFailure::kTlsExpired;
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
      reason = "The server's certificate is not trusted";
      return DownloadFailure::kTlsUntrusted;
    case kInternetSecureFailure:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
      reason = "The secure connection failed";
      return DownloadFailure::kTlsOther;
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      reason = responded ? "The connection ended in the middle of the page" : "The server sent no valid response";
      return DownloadFailure::kDropped;
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
    case ERROR_INTERNET_INVALID_URL:
      reason = "The address is not an http or https address";
      return DownloadFailure::kOther;
    default:
      reason = "WinInet error " + std::to_string(error);
      return responded ? DownloadFailure::kDropped : DownloadFailure::kOther;
  }
}

// Whether `error` is how a receive limit shows (some WinInet report it as
// a broken response, or pass the socket's time-out on).
bool IsReceiveLimit(DWORD error) {
  return error == ERROR_INTERNET_TIMEOUT || error == ERROR_HTTP_INVALID_SERVER_RESPONSE || error == WSAETIMEDOUT;
}

bool IsHttpAddress(const std::string& address) {
  const auto starts = [&](const char* scheme) {
    const std::size_t n = std::char_traits<char>::length(scheme);
    if (address.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
      char c = address[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  return starts("http://") || starts("https://");
}

int StatusOf(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
  return static_cast<int>(status);
}

// The value of the response header `name`; empty when there is none.
std::string HeaderOf(HINTERNET request, const char* name) {
  // HTTP_QUERY_CUSTOM takes the name in the buffer that receives the value.
  std::string buffer = name;
  buffer.resize(std::max<std::size_t>(buffer.size() + 1, 256));
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (::HttpQueryInfoA(request, HTTP_QUERY_CUSTOM, buffer.data(), &size, nullptr)) {
      buffer.resize(size);
      return buffer;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    buffer = name;
    buffer.resize(std::max<std::size_t>(size, buffer.size()) + 1);
  }
}

// The absolute address a Location value leads to from `base`.
std::string Resolve(const std::string& base, const std::string& location) {
  std::string combined(4096, '\0');
  DWORD size = static_cast<DWORD>(combined.size());
  if (!::InternetCombineUrlA(base.c_str(), location.c_str(), combined.data(), &size, ICU_NO_ENCODE)) return location;
  combined.resize(size);
  return combined;
}

constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_KEEP_CONNECTION;

void SetTimeout(HINTERNET handle, DWORD option, long seconds) {
  DWORD milliseconds = static_cast<DWORD>(seconds) * 1000;
  ::InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

// Connects to the host of `url` and sends its GET request; the response's
// headers have come when this returns ERROR_SUCCESS.
DWORD OpenRequest(HINTERNET session, const std::string& url, const DownloadTimeouts& timeouts,
                  InternetHandle& connection, InternetHandle& request) {
  std::string host(url.size() + 1, '\0');
  std::string path(url.size() + 1, '\0');
  std::string extra(url.size() + 1, '\0');
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host.data();
  parts.dwHostNameLength = static_cast<DWORD>(host.size());
  parts.lpszUrlPath = path.data();
  parts.dwUrlPathLength = static_cast<DWORD>(path.size());
  parts.lpszExtraInfo = extra.data();
  parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return ::GetLastError();
  host.resize(parts.dwHostNameLength);
  path.resize(parts.dwUrlPathLength);
  extra.resize(parts.dwExtraInfoLength);
  if (path.empty()) path = "/";
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

  request.reset();
  connection.reset(::InternetConnectA(session, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return ::GetLastError();
  request.reset(::HttpOpenRequestA(connection.get(), "GET", (path + extra).c_str(), nullptr, nullptr, nullptr,
                                   kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0), 0));
  if (!request) return ::GetLastError();
  // The limits go on the request itself: not every WinInet hands the
  // session's on to the requests it makes.
  SetTimeout(request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectSeconds);
  SetTimeout(request.get(), INTERNET_OPTION_SEND_TIMEOUT, timeouts.stallSeconds);
  SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.stallSeconds);
  if (!::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return ::GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

bool DownloadToFile(const std::string& address, const std::string& path, DownloadResult* result) {
  DownloadResult ignored;
  DownloadResult& report = result != nullptr ? *result : ignored;
  report = DownloadResult{};
  const std::string& agent = download_detail::NextUserAgent();
  const download_detail::Settings settings = download_detail::CurrentSettings();
  PageFile page(path, settings.pageSizeLimit);

  const auto noResponse = [&](DownloadFailure failure, std::string reason) {
    RemoveFile(path);
    report.failure = failure;
    report.reason = std::move(reason);
    return false;
  };
  if (!IsHttpAddress(address)) return noResponse(DownloadFailure::kOther, "The address is not an http or https address");

  HINTERNET session = ::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) return noResponse(DownloadFailure::kOther, "cannot start a transfer");
  SetTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT, settings.timeouts.connectSeconds);
  SetTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT, settings.timeouts.stallSeconds);
  SetTimeout(session, INTERNET_OPTION_SEND_TIMEOUT, settings.timeouts.stallSeconds);
  DWORD error = ERROR_SUCCESS;
  bool tooManyRedirects = false;
  bool cut = false;  // the body ended before its announced length
  {
    Watch watch(session, TThread::CurrentThread(), std::chrono::seconds(settings.timeouts.stallSeconds));
    std::string url = address;
    InternetHandle connection;
    InternetHandle request;
    for (int redirects = 0;; ++redirects) {
      error = OpenRequest(session, url, settings.timeouts, connection, request);
      if (error != ERROR_SUCCESS) {
        request.reset();
        break;
      }
      watch.NoteByte();
      const int status = StatusOf(request.get());
      const std::string location = status >= 300 && status < 400 ? HeaderOf(request.get(), "Location") : "";
      if (location.empty()) {
        report.httpStatus = status;
        report.retryAfter = HeaderOf(request.get(), "Retry-After");
        break;
      }
      if (redirects == download_detail::kMaxRedirects) {
        request.reset();
        tooManyRedirects = true;
        break;
      }
      url = Resolve(url, location);
      if (!IsHttpAddress(url)) {
        request.reset();
        error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
        break;
      }
    }
    if (request) {
      page.Begin();
      SetTimeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 1);
      std::array<char, 16384> buffer;
      for (;;) {
        // Only what has come is read, so that a read never waits for more
        // bytes than the network holds (and never loses those it had).
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(request.get(), &available, 0, 0)) {
          error = ::GetLastError();
          // A second without a byte: wait on unless the watch says stop.
          if (!watch.Closed() && !watch.StallPassed() && IsReceiveLimit(error)) {
            error = ERROR_SUCCESS;
            continue;
          }
          break;
        }
        if (available == 0) break;  // the end of the body
        DWORD n = 0;
        const DWORD wanted = std::min<DWORD>(available, static_cast<DWORD>(buffer.size()));
        if (!::InternetReadFile(request.get(), buffer.data(), wanted, &n)) {
          error = ::GetLastError();
          break;
        }
        if (n == 0) break;
        watch.NoteByte();
        if (!page.Append(buffer.data(), n)) break;
      }
      if (error == ERROR_SUCCESS && !page.TooLarge()) {
        const std::string length = HeaderOf(request.get(), "Content-Length");
        cut = !length.empty() && length.find_first_not_of("0123456789") == std::string::npos &&
              page.Received() < std::stoull(length);
      }
      page.Finish();
    }
    // A call that failed once no byte had come for the stall limit ended by
    // that limit, whatever error the library made of it.
    if (error != ERROR_SUCCESS && error != ERROR_CANCELLED && watch.StallPassed()) error = ERROR_INTERNET_TIMEOUT;
    // After the watch closed the session, its requests are gone with it.
    if (watch.Closed()) {
      (void)request.release();
      (void)connection.release();
      session = nullptr;
      error = watch.Cancelled() ? ERROR_CANCELLED : ERROR_INTERNET_TIMEOUT;
    }
  }
  if (session != nullptr) ::InternetCloseHandle(session);

  report.responded = page.Began();
  if (!page.Began()) report.httpStatus = 0;
  if (!page.Began()) report.retryAfter.clear();
  if (page.ReportStorageFailure(report)) {
    // the stored page decides
  } else if (error == ERROR_CANCELLED) {
    report.failure = DownloadFailure::kCancelled;
    report.reason = "stopped";
  } else if (tooManyRedirects) {
    report.failure = DownloadFailure::kOther;
    report.reason = "Number of redirects hit maximum amount";
  } else if (error == ERROR_INTERNET_TIMEOUT) {
    report.failure = DownloadFailure::kTimedOut;
    report.reason = "no data for " + std::to_string(settings.timeouts.stallSeconds) + " s";
  } else if (error != ERROR_SUCCESS) {
    report.failure = Classify(error, page.Began(), report.reason);
  } else if (cut) {
    report.failure = DownloadFailure::kDropped;
    report.reason = "The connection ended in the middle of the page";
  }

  if (!page.Began()) {
    RemoveFile(path);
    return false;
  }
  return true;
}

}  // namespace vantora
