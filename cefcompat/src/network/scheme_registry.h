#pragma once

// Custom schemes and scheme handler factories of this process.
//
// Chromium knows only its own schemes: a navigation to "launcher://app/" is
// handed to the operating system, and a sub-resource of such a URL fails
// before any request is made. So each custom scheme lives at a stand-in
// origin that Chromium requests like any web origin and the runtime
// intercepts: "launcher://app/x" is "https://app.launcher.invalid/x" for
// Chromium ("http" for a scheme that is not CEF_SCHEME_OPTION_SECURE; the
// reserved ".invalid" domain never reaches a name server). The client hears
// of the scheme's URL everywhere; the page itself sees the stand-in.

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "include/cef_scheme.h"

namespace cefcompat {

// Thread-safe.
class SchemeRegistry {
 public:
  static SchemeRegistry& Instance();

  // A custom scheme with cef_scheme_options_t `options`; false, with a log
  // line, for an invalid or built-in name or one already added.
  bool AddCustomScheme(const std::string& name, int options);
  // Whether `scheme` was added with AddCustomScheme, and its options.
  bool IsCustom(const std::string& scheme, int* options = nullptr) const;

  // A null factory removes the one of that scheme and domain.
  bool RegisterFactory(const std::string& scheme, const std::string& domain, CefRefPtr<CefSchemeHandlerFactory> factory);
  void ClearFactories();
  // The factory for `url` (the domain's own, else the scheme's for every domain); null when none.
  CefRefPtr<CefSchemeHandlerFactory> FactoryFor(const std::string& url) const;

  // The URL Chromium loads for `url`: the stand-in of a custom scheme's URL,
  // any other URL as it is.
  std::string ToChromium(const std::string& url) const;
  // The reverse: a stand-in URL back to its custom scheme's URL.
  std::string FromChromium(const std::string& url) const;
  // Whether `url` is of a custom scheme as Chromium would see it (not yet mapped).
  bool IsUnmappedCustom(const std::string& url) const;
  // Whether `url` is of a custom scheme without CEF_SCHEME_OPTION_STANDARD,
  // whose pages have an opaque origin.
  bool HasOpaqueOrigin(const std::string& url) const;

  // Fetch.requestPaused URL patterns that reach every custom scheme and factory.
  std::vector<std::string> InterceptPatterns() const;
  // Runs on each factory change (the runtime refreshes its browsers' interception).
  void SetOnFactoriesChanged(std::function<void()> changed);

 private:
  SchemeRegistry() = default;
  // The custom scheme a stand-in host ("app.launcher.invalid") belongs to,
  // and the host before it; empty when none.
  std::pair<std::string, std::string> StandInOwner(const std::string& host) const;
  void NotifyChanged();

  mutable std::mutex mutex_;
  std::map<std::string, int> schemes_;  // custom scheme -> options
  std::map<std::pair<std::string, std::string>, CefRefPtr<CefSchemeHandlerFactory>> factories_;  // (scheme, domain)
  std::function<void()> changed_;
};

}  // namespace cefcompat
