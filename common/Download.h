// Fetches one page of the quote site with an HTTP GET into a file, byte for
// byte, tells the caller what happened (the HTTP status or the class of
// failure), and picks the User-Agent text of each call from a fixed table by
// a process-wide pseudo-random generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace vantora {

// Why a download did not deliver a whole response.
enum class DownloadFailure {
  kNone,             // the response arrived whole (whatever its status)
  kRefused,          // the connection was refused or could not be made
  kNotResolved,      // the host name could not be resolved
  kTlsUntrusted,     // the server's certificate is not trusted
  kTlsHostMismatch,  // the certificate is for another host name
  kTlsExpired,       // the certificate has expired (or is not yet valid)
  kTlsOther,         // another failure of the secure connection
  kTimedOut,         // no byte for the stall limit, or the connect limit passed
  kDropped,          // the connection ended before the whole body had come
  kScratchFile,      // the body could not be stored in the file
  kTooLarge,         // the body passed the size limit; the file holds its first part
  kCancelled,        // the calling thread was asked to terminate meanwhile
  kOther,            // any other failure of the transfer
};

// What one download reports besides the stored body.
struct DownloadResult {
  bool responded = false;   // a response began (the file was created then)
  int httpStatus = 0;       // status of the page's response; 0 when none came
  DownloadFailure failure = DownloadFailure::kNone;
  std::string reason;       // short reason in English (transfer library or system), empty when none
  std::string retryAfter;   // the response's Retry-After header, empty when it had none
};

// The wait a Retry-After value asks for, in seconds: a number of seconds, or
// an HTTP date (then the time from `now` until it, at least 0). -1 when the
// value is neither.
double RetryAfterSeconds(const std::string& value, std::time_t now);

// Fetches `address` (a complete URL) and stores the response body in the file
// at `path`, created or truncated once a response has begun. The body is
// stored up to the size limit, and the transfer ends within a second when
// the calling TThread is asked to terminate. The HTTP status
// is not looked at. When no response could be had at all (refused, unknown
// host, TLS failure, time-out before a response) any file at `path` is
// deleted, so the caller reads an empty page.
// Returns true when a response was had (even an empty or error page), false
// when none was. `result`, when given, receives the status and the failure
// class of the call.
bool DownloadToFile(const std::string& address, const std::string& path, DownloadResult* result = nullptr);

// The next value in 0..range-1 of the process-wide generator (state starts at
// 0): state = state * 134775813 + 1 (mod 2^32); value = (state * range) >> 32.
// Safe to call from any thread.
std::uint32_t NextRandom(std::uint32_t range);

// The User-Agent text of row `index` (0..4) of the table.
const std::string& UserAgentText(std::uint32_t index);

// Time limits of one download; the defaults are 30 s to connect and 60 s
// without a received byte. Tests shorten them.
struct DownloadTimeouts {
  long connectSeconds = 30;
  long stallSeconds = 60;
};
void SetDownloadTimeouts(const DownloadTimeouts& timeouts);
DownloadTimeouts GetDownloadTimeouts();

// The most body bytes one download stores (20 MB); tests lower it.
inline constexpr std::size_t kDefaultPageSizeLimit = 20u * 1000u * 1000u;
void SetPageSizeLimit(std::size_t bytes);
std::size_t PageSizeLimit();

// A file of trusted certificates used instead of the system's, for tests
// against a local TLS server; empty: the system's.
void SetDownloadCaFile(const std::string& path);

}  // namespace vantora
