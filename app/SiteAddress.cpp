// Quote site address check: QUrl in strict mode, then the parts the job's
// request addresses can be built on.
#include "app/SiteAddress.h"

#include <QUrl>

namespace vantora {

std::optional<QString> NormalizeSiteAddress(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || trimmed.contains(QLatin1Char(' '))) return std::nullopt;
  const QUrl url(trimmed, QUrl::StrictMode);
  if (!url.isValid()) return std::nullopt;
  const QString scheme = url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return std::nullopt;
  if (url.host().isEmpty() || !url.userInfo().isEmpty()) return std::nullopt;
  // The job appends "/quote/..." and "/search/...": a path, query or
  // fragment of its own would be lost or break those addresses.
  if (!url.path().isEmpty() && url.path() != QLatin1String("/")) return std::nullopt;
  if (url.hasQuery() || url.hasFragment()) return std::nullopt;
  QString host = url.host(QUrl::FullyEncoded).toLower();
  if (host.contains(QLatin1Char(':'))) host = QLatin1Char('[') + host + QLatin1Char(']');  // IPv6
  QString normalized = scheme + QStringLiteral("://") + host;
  if (url.port() != -1) normalized += QLatin1Char(':') + QString::number(url.port());
  return normalized;
}

}  // namespace vantora
