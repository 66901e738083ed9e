// The check of a quote site address typed into the window: scheme http or
// https, a host, an optional port, nothing after the host but one '/'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantora {

// `text` (UTF-8) without leading and trailing white space: ASCII blanks,
// no-break and ideographic spaces.
std::string_view TrimSpaces(std::string_view text);

// The address in the form the job uses ("https://host[:port]", scheme and
// host in lower case, no trailing slash), or nothing when `text` (UTF-8) is
// not one. Host names are taken in ASCII (letters, digits, '-', '.', '_',
// '~') or as a bracketed IPv6 address.
std::optional<std::string> NormalizeSiteAddress(std::string_view text);

}  // namespace vantora
