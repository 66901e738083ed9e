// Fetches one page of the quote site with an HTTP GET into a file, byte for
// byte, and picks the User-Agent text of each call from a fixed table by a
// process-wide pseudo-random generator.
#pragma once

#include <cstdint>
#include <string>

namespace vantora {

// Fetches `address` (a complete URL) and stores the response body in the file
// at `path`, created or truncated once a response has begun. The HTTP status
// is not looked at. When no response could be had at all (refused, unknown
// host, TLS failure, time-out before a response) any file at `path` is
// deleted, so the caller reads an empty page.
// Returns true when a response was had (even an empty or error page), false
// when none was; callers use this only to tell "site unreachable".
bool DownloadToFile(const std::string& address, const std::string& path);

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

}  // namespace vantora
