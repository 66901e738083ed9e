// The check of a quote site address typed into the window: scheme http or
// https, a host, an optional port, nothing after the host but one '/'.
#pragma once

#include <QString>
#include <optional>

namespace vantora {

// The address in the form the job uses ("https://host[:port]", scheme and
// host in lower case, no trailing slash), or nothing when `text` is not one.
std::optional<QString> NormalizeSiteAddress(const QString& text);

}  // namespace vantora
