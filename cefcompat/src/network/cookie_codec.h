#pragma once

// Cookies between CEF's struct and the protocol's objects, and the rules of
// which cookies a URL sends (RFC 6265's domain and path matching).

#include <QUrl>
#include <string>

#include "include/internal/cef_types_wrappers.h"
#include "protocol/connection.h"

namespace cefcompat {

// An http(s) or ws(s) URL with a host; cookies belong to no other.
bool IsCookieUrl(const QUrl& url);
// Why `cookie` may not be set from `url` (a domain the host is not in, a
// missing name); empty when it may.
std::string CookieRefusal(const QUrl& url, const CefCookie& cookie);
// Storage.setCookies' cookie for `cookie` set from `url`; an empty path is
// the URL's directory, as a Set-Cookie header without one gets.
Json CookieToProtocol(const QUrl& url, const CefCookie& cookie);
CefCookie CookieFromProtocol(const Json& cookie);

// Whether a request to `url` sends `cookie` (a protocol cookie).
bool UrlSendsCookie(const QUrl& url, const Json& cookie, bool includeHttpOnly);
// Whether `url`'s host is in a protocol cookie's domain (its own host, or
// under a domain cookie's domain); `hostOnly` asks for the host's own cookies.
bool HostHasCookie(const QUrl& url, const Json& cookie, bool hostOnly);
// Storage.setCookies' cookie that removes a protocol cookie (the same one,
// expired).
Json CookieRemoval(const Json& cookie);

}  // namespace cefcompat
