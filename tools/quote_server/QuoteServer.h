// A stand-in quote site on 127.0.0.1 for tests and the offline demo: serves
// pages from a folder at a free port, records every request, and injects
// faults (empty body, NUL bytes, redirect, dropped connection, stall, slow
// trickle, very large body) on chosen request targets or, for long runs, at
// random.
//
// Request target -> file under the root folder:
//   /quote/<code>/profile   -> profile/<code>.html
//   /quote/<code>           -> quote/<code>.html
//   /search/qi/?ids=<code>  -> search/<code>.html
//   /search/qi/?ids=<code>&page=<n>  -> search/<code>-<n>.html
// When <code> carries a market suffix ("1301.T") and no file of that name
// exists, the file of the bare digits ("1301") is served. Inside served
// files the text {{BASE}} is replaced by the server's base address, so that
// listing pages can link to this server's own quote pages. Any other target,
// or a missing file, gets a 404 status with a small HTML page.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantora {

// What the server does instead of (or to) the normal response of a target.
struct QuoteFault {
  enum class Kind {
    kNone,
    kEmptyBody,      // status 200, no body
    kNulBytes,       // the page with a NUL byte written at each offset in `offsets`
    kRedirect,       // 302 to `location` (a target of this server or a full URL)
    kDropMidBody,    // announces the whole page, sends `bytes` of it, closes the connection
    kStallBeforeResponse,  // sends nothing for `delay`, then the normal response
    kStallMidBody,   // sends `bytes` of the page, then nothing for `delay`, then the rest
    kSlowTrickle,    // sends the page `bytes` at a time with `delay` between the pieces
    kLargeBody,      // status 200 with `bytes` bytes of generated ASCII text
    kRefuse,         // `status` (429, 503 ...) with `retryAfter` as Retry-After when not empty,
                     // for the first `times` requests (every request when 0); then the normal page
  };
  Kind kind = Kind::kNone;
  std::string location;
  std::vector<std::size_t> offsets;
  std::size_t bytes = 0;
  std::chrono::milliseconds delay{0};
  int status = 200;  // status of kEmptyBody, kLargeBody and kRefuse
  std::string retryAfter;
  int times = 0;

  static QuoteFault EmptyBody(int status = 200) { return Make(Kind::kEmptyBody, 0, {}, status); }
  static QuoteFault NulBytes(std::vector<std::size_t> offsets) {
    QuoteFault fault = Make(Kind::kNulBytes, 0, {});
    fault.offsets = std::move(offsets);
    return fault;
  }
  static QuoteFault Redirect(std::string location) {
    QuoteFault fault = Make(Kind::kRedirect, 0, {});
    fault.location = std::move(location);
    return fault;
  }
  static QuoteFault DropMidBody(std::size_t bytes) { return Make(Kind::kDropMidBody, bytes, {}); }
  static QuoteFault StallBeforeResponse(std::chrono::milliseconds delay) {
    return Make(Kind::kStallBeforeResponse, 0, delay);
  }
  static QuoteFault StallMidBody(std::size_t bytes, std::chrono::milliseconds delay) {
    return Make(Kind::kStallMidBody, bytes, delay);
  }
  static QuoteFault SlowTrickle(std::size_t bytes, std::chrono::milliseconds delay) {
    return Make(Kind::kSlowTrickle, bytes, delay);
  }
  static QuoteFault LargeBody(std::size_t bytes, int status = 200) {
    return Make(Kind::kLargeBody, bytes, {}, status);
  }
  static QuoteFault Refuse(int status, std::string retryAfter = {}, int times = 0) {
    QuoteFault fault = Make(Kind::kRefuse, 0, {}, status);
    fault.retryAfter = std::move(retryAfter);
    fault.times = times;
    return fault;
  }
  // A fault from its text form, as the command line of the server takes it:
  //   status:N[:RETRY-AFTER[:TIMES]]  empty[:N]  drop:BYTES  stall:MS
  //   stall-body:BYTES:MS  trickle:BYTES:MS  large:BYTES  redirect:LOCATION
  // Throws std::invalid_argument on anything else.
  static QuoteFault Parse(const std::string& text);

 private:
  static QuoteFault Make(Kind kind, std::size_t bytes, std::chrono::milliseconds delay, int status = 200) {
    QuoteFault fault;
    fault.kind = kind;
    fault.bytes = bytes;
    fault.delay = delay;
    fault.status = status;
    return fault;
  }
};

struct RecordedRequest {
  std::string target;     // path and query as sent, e.g. "/search/qi/?ids=0050"
  std::string path;       // path only
  std::string userAgent;  // the User-Agent header, empty when none was sent
};

class QuoteServer {
 public:
  // Starts serving `rootFolder` on 127.0.0.1 at a free port (or at `port`
  // when it is not 0). Throws std::runtime_error when it cannot listen.
  explicit QuoteServer(std::string rootFolder, int port = 0);
  ~QuoteServer();  // Stop()
  QuoteServer(const QuoteServer&) = delete;
  QuoteServer& operator=(const QuoteServer&) = delete;

  int Port() const;
  // "http://127.0.0.1:<port>", no trailing slash.
  std::string BaseUrl() const;

  // Serves `body` with `status` for exactly this target, in place of a file.
  void SetPage(const std::string& target, std::string body, int status = 200);
  // Applies `fault` to exactly this target (path and query as sent).
  void SetFault(const std::string& target, QuoteFault fault);
  void ClearFaults();
  // Makes every listing and profile request without a fault of its own fail
  // at random, with probability `rate` for each of these classes: 429, 503,
  // 500, 404, a connection dropped mid-body, and a 200 page of another
  // layout (an empty body). The draws follow `seed`; a rate of 0 ends them.
  void SetRandomFaults(double rate, unsigned seed);

  // Every request so far, oldest first.
  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();
  // Mid-body stalls entered so far: the bytes before each were sent.
  int StallsBegun() const;

  // Ends stalled and trickling responses at once and stops listening; waits
  // a few seconds at most for idle client connections. Safe to call twice.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vantora
