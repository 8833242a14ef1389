#include "network/scheme_registry.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "base/log.h"

namespace cefcompat {

namespace {

constexpr char kStandInDomain[] = ".invalid";

// Chromium's own schemes, which no custom scheme may replace.
const std::set<std::string>& BuiltInSchemes() {
  static const std::set<std::string> kBuiltIn = {
      "http",     "https",  "file",       "ftp",    "about",          "data",
      "blob",     "javascript", "ws",     "wss",    "filesystem",     "chrome",
      "chrome-extension", "chrome-untrusted", "devtools", "view-source", "isolated-app"};
  return kBuiltIn;
}

std::string SchemeLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool HostEndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// RFC 3986: a letter, then letters, digits, "+", "-" and ".".
bool IsSchemeName(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  return std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

// A URL cut where the scheme needs it: "scheme:" + "//" + host[:port] + rest,
// or "scheme:" + rest for a URL without an authority.
struct UrlParts {
  std::string scheme;  // lower case; empty when the URL has none
  bool hasAuthority = false;
  std::string host;  // lower case, without user information
  std::string port;
  std::string rest;  // path, query and fragment
};

UrlParts SplitUrl(const std::string& url) {
  UrlParts parts;
  const size_t colon = url.find(':');
  if (colon == std::string::npos || !IsSchemeName(url.substr(0, colon))) return parts;
  parts.scheme = SchemeLower(url.substr(0, colon));
  const std::string after = url.substr(colon + 1);
  if (after.compare(0, 2, "//") != 0) {
    parts.rest = after;
    return parts;
  }
  parts.hasAuthority = true;
  const size_t end = after.find_first_of("/?#", 2);
  std::string authority = after.substr(2, end == std::string::npos ? std::string::npos : end - 2);
  parts.rest = end == std::string::npos ? std::string() : after.substr(end);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  const size_t portColon = authority.rfind(':');
  if (portColon != std::string::npos && authority.find(']', portColon) == std::string::npos) {
    parts.port = authority.substr(portColon + 1);
    authority.erase(portColon);
  }
  parts.host = SchemeLower(authority);
  return parts;
}

std::string WebSchemeOf(int options) { return (options & CEF_SCHEME_OPTION_SECURE) ? "https" : "http"; }

std::string PortPart(const UrlParts& parts) { return parts.port.empty() ? std::string() : ":" + parts.port; }

}  // namespace

SchemeRegistry& SchemeRegistry::Instance() {
  static SchemeRegistry registry;
  return registry;
}

bool SchemeRegistry::AddCustomScheme(const std::string& name, int options) {
  const std::string scheme = SchemeLower(name);
  if (!IsSchemeName(scheme)) {
    Log(LOGSEVERITY_ERROR, "AddCustomScheme: '" + name + "' is not a scheme name; refused");
    return false;
  }
  if (BuiltInSchemes().count(scheme)) {
    Log(LOGSEVERITY_ERROR, "AddCustomScheme: '" + scheme + "' is one of Chromium's own schemes; refused");
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!schemes_.emplace(scheme, options).second) {
    Log(LOGSEVERITY_ERROR, "AddCustomScheme: '" + scheme + "' was already added; refused");
    return false;
  }
  Log(LOGSEVERITY_INFO, "custom scheme " + scheme + " is served at " + WebSchemeOf(options) + "://<host>." + scheme +
                            kStandInDomain + " for Chromium");
  return true;
}

bool SchemeRegistry::IsCustom(const std::string& scheme, int* options) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = schemes_.find(SchemeLower(scheme));
  if (it == schemes_.end()) return false;
  if (options) *options = it->second;
  return true;
}

bool SchemeRegistry::RegisterFactory(const std::string& schemeName, const std::string& domainName,
                                     CefRefPtr<CefSchemeHandlerFactory> factory) {
  const std::string scheme = SchemeLower(schemeName);
  int options = CEF_SCHEME_OPTION_STANDARD;
  const bool web = scheme == "http" || scheme == "https";
  if (!web && !IsCustom(scheme, &options)) {
    Log(LOGSEVERITY_ERROR, "CefRegisterSchemeHandlerFactory: '" + schemeName +
                               "' is neither http, https nor a scheme added in OnRegisterCustomSchemes; refused");
    return false;
  }
  // A scheme without hosts has no domains to tell apart.
  const std::string domain = (options & CEF_SCHEME_OPTION_STANDARD) ? SchemeLower(domainName) : std::string();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (factory) {
      factories_[{scheme, domain}] = factory;
    } else {
      factories_.erase({scheme, domain});
    }
  }
  NotifyChanged();
  return true;
}

void SchemeRegistry::ClearFactories() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    factories_.clear();
  }
  NotifyChanged();
}

CefRefPtr<CefSchemeHandlerFactory> SchemeRegistry::FactoryFor(const std::string& url) const {
  const UrlParts parts = SplitUrl(url);
  std::lock_guard<std::mutex> lock(mutex_);
  for (const std::string& domain : {parts.host, std::string()}) {
    const auto it = factories_.find({parts.scheme, domain});
    if (it != factories_.end()) return it->second;
  }
  return nullptr;
}

std::string SchemeRegistry::ToChromium(const std::string& url) const {
  const UrlParts parts = SplitUrl(url);
  int options = 0;
  if (parts.scheme.empty() || !IsCustom(parts.scheme, &options)) return url;
  const std::string base = WebSchemeOf(options) + "://";
  if (!(options & CEF_SCHEME_OPTION_STANDARD)) {
    return base + parts.scheme + kStandInDomain + "/" + url.substr(url.find(':') + 1);
  }
  // A standard URL needs a host; without one it stays what Chromium cannot load.
  if (!parts.hasAuthority || parts.host.empty()) return url;
  const std::string path = parts.rest.empty() || parts.rest[0] != '/' ? "/" + parts.rest : parts.rest;
  return base + parts.host + "." + parts.scheme + kStandInDomain + PortPart(parts) + path;
}

std::string SchemeRegistry::FromChromium(const std::string& url) const {
  const UrlParts parts = SplitUrl(url);
  if ((parts.scheme != "http" && parts.scheme != "https") || !HostEndsWith(parts.host, kStandInDomain)) return url;
  const auto [scheme, host] = StandInOwner(parts.host);
  int options = 0;
  if (scheme.empty() || !IsCustom(scheme, &options) || WebSchemeOf(options) != parts.scheme) return url;
  if (!(options & CEF_SCHEME_OPTION_STANDARD)) {
    return host.empty() && !parts.rest.empty() ? scheme + ":" + parts.rest.substr(1) : url;
  }
  if (host.empty()) return url;
  return scheme + "://" + host + PortPart(parts) + parts.rest;
}

bool SchemeRegistry::IsUnmappedCustom(const std::string& url) const {
  const UrlParts parts = SplitUrl(url);
  return !parts.scheme.empty() && IsCustom(parts.scheme);
}

bool SchemeRegistry::HasOpaqueOrigin(const std::string& url) const {
  const UrlParts parts = SplitUrl(url);
  int options = 0;
  return !parts.scheme.empty() && IsCustom(parts.scheme, &options) && !(options & CEF_SCHEME_OPTION_STANDARD);
}

std::vector<std::string> SchemeRegistry::InterceptPatterns() const {
  std::vector<std::string> patterns;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [scheme, options] : schemes_) {
    const bool standard = options & CEF_SCHEME_OPTION_STANDARD;
    patterns.push_back(WebSchemeOf(options) + "://" + (standard ? "*." : "") + scheme + kStandInDomain + (standard ? "*" : "/*"));
  }
  for (const auto& entry : factories_) {
    const auto& [scheme, domain] = entry.first;
    if (scheme == "http" || scheme == "https") patterns.push_back(scheme + "://" + (domain.empty() ? "*" : domain + "*"));
  }
  return patterns;
}

void SchemeRegistry::SetOnFactoriesChanged(std::function<void()> changed) {
  std::lock_guard<std::mutex> lock(mutex_);
  changed_ = std::move(changed);
}

std::pair<std::string, std::string> SchemeRegistry::StandInOwner(const std::string& host) const {
  const std::string base = host.substr(0, host.size() - (sizeof(kStandInDomain) - 1));
  std::pair<std::string, std::string> owner;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : schemes_) {
    const std::string& scheme = entry.first;
    if (scheme.size() <= owner.first.size()) continue;  // the longest scheme that fits wins
    if (base == scheme) {
      owner = {scheme, std::string()};
    } else if (HostEndsWith(base, "." + scheme)) {
      owner = {scheme, base.substr(0, base.size() - scheme.size() - 1)};
    }
  }
  return owner;
}

void SchemeRegistry::NotifyChanged() {
  std::function<void()> changed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    changed = changed_;
  }
  if (changed) changed();
}

}  // namespace cefcompat
