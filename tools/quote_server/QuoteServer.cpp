// The stand-in quote site: target-to-file mapping, request log and fault
// injection over cpp-httplib, listening on 127.0.0.1 in a thread of its own.
#include "tools/quote_server/QuoteServer.h"

#include <httplib.h>

#include "common/FileName.h"
#include "tools/quote_server/ListenSocket.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vantora {
namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kBasePlaceholder = "{{BASE}}";

const std::string kNotFoundPage =
    "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\"><title>404 Not Found</title>"
    "</head>\n<body><h1>404 Not Found</h1><p>The requested page does not exist.</p></body></html>\n";

// A file or code name taken from a request may not leave its folder.
bool IsSafeName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  return name.find_first_of("/\\") == std::string::npos && name.find('\0') == std::string::npos;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Byte `i` of a generated large body: lines of 99 letters and a line feed.
char LargeBodyByte(std::size_t i) {
  return i % 100 == 99 ? '\n' : static_cast<char>('a' + i % 26);
}

struct Page {
  int status = 404;
  std::string body = kNotFoundPage;
};

}  // namespace

struct QuoteServer::Impl {
  std::string root;
  httplib::Server server;
  int port = 0;
  std::thread listener;
  std::atomic<bool> listenerEnded{false};

  mutable std::mutex mutex;  // guards everything below
  std::condition_variable wake;
  bool stopping = false;
  std::map<std::string, Page> pages;
  std::map<std::string, QuoteFault> faults;
  std::map<std::string, int> refusals;  // refusals served so far, by target
  double randomRate = 0;
  std::mt19937 random;
  std::vector<RecordedRequest> requests;
  int stallsBegun = 0;

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port); }

  // Waits `delay`; true when the server is being stopped meanwhile.
  bool WaitOrStopped(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex);
    return wake.wait_for(lock, delay, [this] { return stopping; });
  }

  // The same wait for a stall in the middle of a body, counted so that a
  // caller can tell the bytes before the stall have been handed over.
  bool StallOrStopped(std::chrono::milliseconds delay) {
    {
      std::lock_guard lock(mutex);
      ++stallsBegun;
    }
    return WaitOrStopped(delay);
  }

  std::optional<std::string> ReadPageFile(const std::string& folder, const std::string& code) const {
    if (!IsSafeName(code)) return std::nullopt;
    auto body = ReadWholeFile(root + "/" + folder + "/" + code + ".html");
    if (!body) {
      const auto dot = code.find('.');
      if (dot == std::string::npos || dot == 0) return std::nullopt;
      body = ReadWholeFile(root + "/" + folder + "/" + code.substr(0, dot) + ".html");
      if (!body) return std::nullopt;
    }
    ReplaceAll(*body, kBasePlaceholder, BaseUrl());
    return body;
  }

  Page Resolve(const httplib::Request& req) const {
    {
      std::lock_guard lock(mutex);
      auto it = pages.find(req.target);
      if (it != pages.end()) return it->second;
    }
    std::optional<std::string> body;
    const std::string& path = req.path;
    static const std::string kQuote = "/quote/";
    static const std::string kProfile = "/profile";
    if (path == "/search/qi/" && req.has_param("ids")) {
      // Further result pages of a listing: "&page=N" reads <code>-N.html.
      const std::string page = req.has_param("page") ? "-" + req.get_param_value("page") : std::string();
      body = ReadPageFile("search", req.get_param_value("ids") + page);
    } else if (path.rfind(kQuote, 0) == 0) {
      std::string rest = path.substr(kQuote.size());
      if (rest.size() > kProfile.size() &&
          rest.compare(rest.size() - kProfile.size(), kProfile.size(), kProfile) == 0) {
        body = ReadPageFile("profile", rest.substr(0, rest.size() - kProfile.size()));
      } else {
        body = ReadPageFile("quote", rest);
      }
    }
    if (!body) return Page{};
    return Page{200, std::move(*body)};
  }

  // A fault drawn for a listing or profile request (called with the lock held).
  QuoteFault RandomFault(const httplib::Request& req) {
    const bool page = req.path == "/search/qi/" || req.path.find("/profile") != std::string::npos;
    if (!page) return {};
    const double draw = std::uniform_real_distribution<double>(0, 1)(random);
    const int pick = static_cast<int>(draw / randomRate);
    switch (pick) {
      case 0: return QuoteFault::Refuse(429, "1");
      case 1: return QuoteFault::Refuse(503);
      case 2: return QuoteFault::Refuse(500);
      case 3: return QuoteFault::Refuse(404);
      case 4: return QuoteFault::DropMidBody(200);
      case 5: return QuoteFault::EmptyBody(200);
      default: return {};
    }
  }

  void Handle(const httplib::Request& req, httplib::Response& res) {
    QuoteFault fault;
    {
      std::lock_guard lock(mutex);
      requests.push_back({req.target, req.path, req.get_header_value("User-Agent")});
      auto it = faults.find(req.target);
      if (it != faults.end()) fault = it->second;
      if (it == faults.end() && randomRate > 0) fault = RandomFault(req);
      if (it != faults.end() && fault.kind == QuoteFault::Kind::kRefuse) {
        int& served = refusals[req.target];
        if (fault.times > 0 && served >= fault.times) {
          fault = QuoteFault{};
        } else {
          ++served;
        }
      }
    }
    using Kind = QuoteFault::Kind;
    switch (fault.kind) {
      case Kind::kRefuse:
        res.status = fault.status;
        if (!fault.retryAfter.empty()) res.set_header("Retry-After", fault.retryAfter);
        res.set_content("<html><body><p>Too many requests</p></body></html>\n", kHtml);
        return;
      case Kind::kEmptyBody:
        res.status = fault.status;
        res.set_content("", kHtml);
        return;
      case Kind::kRedirect:
        // With a small page, as real servers send one; clients must skip it.
        res.set_redirect(fault.location, 302);
        res.set_content("<html><body><a href=\"" + fault.location + "\">moved</a></body></html>\n", kHtml);
        return;
      case Kind::kLargeBody:
        res.status = fault.status;
        res.set_content_provider(fault.bytes, kHtml, [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          std::string piece(std::min<std::size_t>(length, 64 * 1024), '\0');
          for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = LargeBodyByte(offset + i);
          return sink.write(piece.data(), piece.size());
        });
        return;
      default:
        break;
    }

    if (fault.kind == Kind::kStallBeforeResponse && WaitOrStopped(fault.delay)) {
      res.status = 503;
      return;
    }
    Page page = Resolve(req);
    res.status = page.status;
    if (fault.kind == Kind::kNulBytes) {
      for (std::size_t offset : fault.offsets) {
        if (offset < page.body.size()) page.body[offset] = '\0';
      }
    }
    if (fault.kind != Kind::kDropMidBody && fault.kind != Kind::kStallMidBody &&
        fault.kind != Kind::kSlowTrickle) {
      res.set_content(page.body, kHtml);
      return;
    }

    auto body = std::make_shared<const std::string>(std::move(page.body));
    const std::size_t size = body->size();
    res.set_content_provider(size, kHtml, [this, body, fault](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
      std::size_t end = std::min(offset + length, body->size());
      switch (fault.kind) {
        case Kind::kDropMidBody:
          if (offset >= fault.bytes) return false;  // closes the connection
          end = std::min(end, fault.bytes);
          break;
        case Kind::kStallMidBody:
          if (offset == fault.bytes && StallOrStopped(fault.delay)) return false;
          if (offset < fault.bytes) end = std::min(end, fault.bytes);
          break;
        case Kind::kSlowTrickle:
          if (offset > 0 && WaitOrStopped(fault.delay)) return false;
          end = std::min(end, offset + std::max<std::size_t>(fault.bytes, 1));
          break;
        default:
          break;
      }
      return sink.write(body->data() + offset, end - offset);
    });
  }
};

QuoteServer::QuoteServer(std::string rootFolder, int port) : impl_(std::make_unique<Impl>()) {
  impl_->root = std::move(rootFolder);
  while (impl_->root.size() > 1 && impl_->root.back() == '/') impl_->root.pop_back();
  auto& server = impl_->server;
  // Short idle limits keep Stop() quick when a client holds a connection open
  // without sending anything.
  server.set_keep_alive_timeout(1);
  server.set_read_timeout(2, 0);
  server.set_write_timeout(2, 0);
  // The library's default sets SO_REUSEPORT as well, which would let a
  // second server share a port that is already taken.
  server.set_socket_options([](socket_t sock) { PrepareListenSocket(static_cast<std::intptr_t>(sock)); });
  Impl* impl = impl_.get();
  server.Get(".*", [impl](const httplib::Request& req, httplib::Response& res) { impl->Handle(req, res); });

  if (port == 0) {
    impl_->port = server.bind_to_any_port("127.0.0.1");
  } else if (server.bind_to_port("127.0.0.1", port)) {
    impl_->port = port;
  } else {
    impl_->port = -1;
  }
  if (impl_->port <= 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1" + (port != 0 ? ":" + std::to_string(port) : std::string()));
  }
  impl_->listener = std::thread([impl] {
    impl->server.listen_after_bind();
    impl->listenerEnded = true;
  });
  // stop() only takes effect on a running server, so Stop() right after
  // construction must not race the start of the accept loop.
  while (!impl_->server.is_running() && !impl_->listenerEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

QuoteServer::~QuoteServer() { Stop(); }

void QuoteServer::Stop() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->wake.notify_all();
  impl_->server.stop();
  if (impl_->listener.joinable()) impl_->listener.join();
}

int QuoteServer::Port() const { return impl_->port; }

std::string QuoteServer::BaseUrl() const { return impl_->BaseUrl(); }

void QuoteServer::SetPage(const std::string& target, std::string body, int status) {
  std::lock_guard lock(impl_->mutex);
  impl_->pages[target] = Page{status, std::move(body)};
}

void QuoteServer::SetFault(const std::string& target, QuoteFault fault) {
  std::lock_guard lock(impl_->mutex);
  impl_->faults[target] = std::move(fault);
}

void QuoteServer::SetRandomFaults(double rate, unsigned seed) {
  std::lock_guard lock(impl_->mutex);
  impl_->randomRate = rate > 0 && rate * 6 <= 1 ? rate : 0;
  impl_->random.seed(seed);
}

void QuoteServer::ClearFaults() {
  std::lock_guard lock(impl_->mutex);
  impl_->faults.clear();
  impl_->refusals.clear();
}

QuoteFault QuoteFault::Parse(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  const std::size_t first = text.find(':');
  // A redirect's location may hold ':' itself.
  if (text.compare(0, first, "redirect") == 0 && first != std::string::npos) return Redirect(text.substr(first + 1));
  for (std::size_t at = text.find(':'); ; at = text.find(':', start)) {
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  const auto number = [&](std::size_t i) -> std::size_t {
    if (i >= parts.size() || parts[i].empty() || parts[i].find_first_not_of("0123456789") != std::string::npos)
      throw std::invalid_argument("bad fault: " + text);
    return static_cast<std::size_t>(std::stoull(parts[i]));
  };
  const std::string& kind = parts[0];
  using std::chrono::milliseconds;
  if (kind == "status" && parts.size() >= 2 && parts.size() <= 4)
    return Refuse(static_cast<int>(number(1)), parts.size() > 2 ? parts[2] : std::string(),
                  parts.size() > 3 ? static_cast<int>(number(3)) : 0);
  if (kind == "empty" && parts.size() <= 2) return EmptyBody(parts.size() == 2 ? static_cast<int>(number(1)) : 200);
  if (kind == "drop" && parts.size() == 2) return DropMidBody(number(1));
  if (kind == "stall" && parts.size() == 2) return StallBeforeResponse(milliseconds(number(1)));
  if (kind == "stall-body" && parts.size() == 3) return StallMidBody(number(1), milliseconds(number(2)));
  if (kind == "trickle" && parts.size() == 3) return SlowTrickle(number(1), milliseconds(number(2)));
  if (kind == "large" && parts.size() == 2) return LargeBody(number(1));
  throw std::invalid_argument("bad fault: " + text);
}

std::vector<RecordedRequest> QuoteServer::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

int QuoteServer::StallsBegun() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->stallsBegun;
}

void QuoteServer::ClearRequests() {
  std::lock_guard lock(impl_->mutex);
  impl_->requests.clear();
}

}  // namespace vantora
