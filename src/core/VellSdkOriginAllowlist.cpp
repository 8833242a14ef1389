#include "core/VellSdkOriginAllowlist.h"

#include <QUrl>
#include <fmt/format.h>

#include "base/VellLoggerAgent.h"

namespace {

constexpr char kOpaqueOrigin[] = "null";

int DefaultPort(const QString& scheme) {
  if (scheme == "http" || scheme == "ws") return 80;
  if (scheme == "https" || scheme == "wss") return 443;
  return -1;
}

}  // namespace

void VellSdkOriginAllowlist::Set(const QStringList& origins) {
  std::set<std::string> kept;
  for (const QString& origin : origins) {
    const std::string normal = OriginOf(origin.trimmed().toStdString());
    if (normal != kOpaqueOrigin) {
      kept.insert(normal);
      continue;
    }
    VellLog(LOGSEVERITY_WARNING, fmt::format("VellSdkOriginAllowlist: {} is not an origin; ignored", origin.toStdString()));
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bIsSet = !origins.isEmpty();
  m_setOrigins = std::move(kept);
}

bool VellSdkOriginAllowlist::IsSet() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bIsSet;
}

bool VellSdkOriginAllowlist::Allows(const std::string& frameUrl) const {
  const std::string origin = OriginOf(frameUrl);
  std::lock_guard<std::mutex> lock(m_mutex);
  return !m_bIsSet || m_setOrigins.count(origin) > 0;
}

std::string VellSdkOriginAllowlist::OriginOf(const std::string& url) {
  const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
  const QString scheme = parsed.scheme().toLower();
  const QString host = parsed.host(QUrl::FullyEncoded).toLower();
  if (!parsed.isValid() || scheme.isEmpty() || host.isEmpty()) return kOpaqueOrigin;
  const int port = parsed.port(-1);
  QString origin = scheme + "://" + (host.contains(':') ? "[" + host + "]" : host);
  if (port != -1 && port != DefaultPort(scheme)) origin += ":" + QString::number(port);
  return origin.toStdString();
}
