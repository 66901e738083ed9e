// Quote site address check: the scheme, the authority without user
// information, an optional decimal port, and no path, query or fragment of
// its own (the job appends "/quote/..." and "/search/...", which such parts
// would break).
#include "app/SiteAddress.h"

#include <cctype>

namespace vantora {

namespace {

bool IsAsciiBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
  static constexpr std::string_view kWideSpaces[] = {"\xC2\xA0", "\xE3\x80\x80"};
  for (bool changed = true; changed;) {
    changed = false;
    while (!text.empty() && IsAsciiBlank(text.front())) text.remove_prefix(1), changed = true;
    while (!text.empty() && IsAsciiBlank(text.back())) text.remove_suffix(1), changed = true;
    for (std::string_view space : kWideSpaces) {
      if (text.starts_with(space)) text.remove_prefix(space.size()), changed = true;
      if (text.ends_with(space)) text.remove_suffix(space.size()), changed = true;
    }
  }
  return text;
}

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsHostNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool IsIpv6Char(char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }

}  // namespace

std::optional<std::string> NormalizeSiteAddress(std::string_view text) {
  const std::string_view trimmed = TrimSpaces(text);
  if (trimmed.empty()) return std::nullopt;
  for (char c : trimmed) {
    if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) return std::nullopt;
  }
  const std::size_t schemeEnd = trimmed.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  const std::string scheme = Lower(trimmed.substr(0, schemeEnd));
  if (scheme != "http" && scheme != "https") return std::nullopt;

  const std::string_view rest = trimmed.substr(schemeEnd + 3);
  const std::size_t authorityEnd = rest.find_first_of("/?#");
  const std::string_view authority = rest.substr(0, authorityEnd);
  const std::string_view tail = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  if (!tail.empty() && tail != "/") return std::nullopt;
  if (authority.find('@') != std::string_view::npos) return std::nullopt;

  std::string_view host;
  std::string_view afterHost;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos || close < 3) return std::nullopt;
    const std::string_view inner = authority.substr(1, close - 1);
    for (char c : inner) {
      if (!IsIpv6Char(c)) return std::nullopt;
    }
    if (inner.find(':') == std::string_view::npos) return std::nullopt;
    host = authority.substr(0, close + 1);
    afterHost = authority.substr(close + 1);
  } else {
    const std::size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    afterHost = colon == std::string_view::npos ? std::string_view() : authority.substr(colon);
    for (char c : host) {
      if (!IsHostNameChar(c)) return std::nullopt;
    }
  }
  if (host.empty()) return std::nullopt;

  std::string normalized = scheme + "://" + Lower(host);
  if (!afterHost.empty()) {
    if (afterHost.front() != ':') return std::nullopt;
    const std::string_view digits = afterHost.substr(1);
    if (digits.size() > 5) return std::nullopt;
    long port = 0;
    for (char c : digits) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      port = port * 10 + (c - '0');
    }
    if (port > 65535) return std::nullopt;
    // An empty port is no port.
    if (!digits.empty()) normalized += ':' + std::to_string(port);
  }
  return normalized;
}

}  // namespace vantora
