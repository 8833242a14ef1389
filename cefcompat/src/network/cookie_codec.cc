#include "network/cookie_codec.h"

namespace cefcompat {

namespace {

const char* const kSameSiteNames[] = {"", "None", "Lax", "Strict"};

std::string Text(const cef_string_t& value) { return CefString(&value).ToString(); }

std::string Host(const QUrl& url) { return url.host().toLower().toStdString(); }

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// RFC 6265 5.1.3: the host is the domain, or ends with "." and the domain.
bool DomainMatches(const std::string& host, std::string domain) {
  if (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
  if (domain.empty()) return false;
  return host == domain || EndsWith(host, "." + domain);
}

// RFC 6265 5.1.4.
bool PathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return requestPath.size() == cookiePath.size() || EndsWith(cookiePath, "/") || requestPath[cookiePath.size()] == '/';
}

// RFC 6265 5.1.4: the directory of the URL's path.
std::string DefaultPath(const QUrl& url) {
  const std::string path = url.path().toStdString();
  const size_t slash = path.rfind('/');
  if (path.empty() || path[0] != '/' || slash == 0 || slash == std::string::npos) return "/";
  return path.substr(0, slash);
}

bool IsSecureScheme(const QUrl& url) { return url.scheme() == "https" || url.scheme() == "wss"; }

std::string PriorityName(cef_cookie_priority_t priority) {
  if (priority == CEF_COOKIE_PRIORITY_LOW) return "Low";
  return priority == CEF_COOKIE_PRIORITY_HIGH ? "High" : "Medium";
}

cef_cookie_priority_t PriorityOf(const std::string& name) {
  if (name == "Low") return CEF_COOKIE_PRIORITY_LOW;
  return name == "High" ? CEF_COOKIE_PRIORITY_HIGH : CEF_COOKIE_PRIORITY_MEDIUM;
}

cef_cookie_same_site_t SameSiteOf(const std::string& name) {
  for (int i = 1; i < 4; ++i) {
    if (name == kSameSiteNames[i]) return static_cast<cef_cookie_same_site_t>(i);
  }
  return CEF_COOKIE_SAME_SITE_UNSPECIFIED;
}

}  // namespace

bool IsCookieUrl(const QUrl& url) {
  static const QStringList kSchemes = {"http", "https", "ws", "wss"};
  return url.isValid() && kSchemes.contains(url.scheme()) && !url.host().isEmpty();
}

std::string CookieRefusal(const QUrl& url, const CefCookie& cookie) {
  if (!IsCookieUrl(url)) return "the URL is not an http(s) URL with a host";
  if (Text(cookie.name).empty()) return "the cookie has no name";
  const std::string domain = Text(cookie.domain);
  if (!domain.empty() && !DomainMatches(Host(url), domain)) {
    return "the domain " + domain + " is not the URL's host " + Host(url) + " nor a domain it is in";
  }
  if (cookie.secure && !IsSecureScheme(url)) return "a secure cookie needs a secure URL";
  return std::string();
}

Json CookieToProtocol(const QUrl& url, const CefCookie& cookie) {
  const std::string path = Text(cookie.path);
  Json param = {{"name", Text(cookie.name)},
                {"value", Text(cookie.value)},
                {"url", url.toString().toStdString()},
                {"path", path.empty() ? DefaultPath(url) : path},
                {"secure", cookie.secure != 0},
                {"httpOnly", cookie.httponly != 0},
                {"priority", PriorityName(cookie.priority)}};
  const std::string domain = Text(cookie.domain);
  if (!domain.empty()) param["domain"] = domain;
  if (cookie.same_site != CEF_COOKIE_SAME_SITE_UNSPECIFIED) param["sameSite"] = kSameSiteNames[cookie.same_site];
  if (cookie.has_expires) param["expires"] = CefTime(cookie.expires).GetDoubleT();
  return param;
}

CefCookie CookieFromProtocol(const Json& cookie) {
  CefCookie result;
  CefString(&result.name) = cookie.value("name", std::string());
  CefString(&result.value) = cookie.value("value", std::string());
  CefString(&result.domain) = cookie.value("domain", std::string());
  CefString(&result.path) = cookie.value("path", std::string());
  result.secure = cookie.value("secure", false);
  result.httponly = cookie.value("httpOnly", false);
  result.has_expires = !cookie.value("session", true);
  if (result.has_expires) cef_time_from_doublet(cookie.value("expires", 0.0), &result.expires);
  result.same_site = SameSiteOf(cookie.value("sameSite", std::string()));
  result.priority = PriorityOf(cookie.value("priority", std::string()));
  return result;
}

bool UrlSendsCookie(const QUrl& url, const Json& cookie, bool includeHttpOnly) {
  if (!HostHasCookie(url, cookie, false)) return false;
  if (cookie.value("secure", false) && !IsSecureScheme(url)) return false;
  if (cookie.value("httpOnly", false) && !includeHttpOnly) return false;
  const std::string path = url.path().isEmpty() ? "/" : url.path().toStdString();
  return PathMatches(path, cookie.value("path", std::string("/")));
}

bool HostHasCookie(const QUrl& url, const Json& cookie, bool hostOnly) {
  const std::string domain = cookie.value("domain", std::string());
  const bool domainCookie = !domain.empty() && domain[0] == '.';
  if (!domainCookie || hostOnly) return !domainCookie && domain == Host(url);
  return DomainMatches(Host(url), domain);
}

Json CookieRemoval(const Json& cookie) {
  const std::string domain = cookie.value("domain", std::string());
  const bool secure = cookie.value("secure", false);
  const std::string host = !domain.empty() && domain[0] == '.' ? domain.substr(1) : domain;
  const std::string path = cookie.value("path", std::string("/"));
  Json removal = {{"name", cookie.value("name", std::string())},
                  {"value", ""},
                  {"url", std::string(secure ? "https://" : "http://") + host + path},
                  {"path", path},
                  {"secure", secure},
                  {"expires", 1}};
  if (host != domain) removal["domain"] = domain;
  return removal;
}

}  // namespace cefcompat
