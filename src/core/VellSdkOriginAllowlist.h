#pragma once

#include <mutex>
#include <set>
#include <string>

#include <QStringList>

#include "utils/VellAutoSingleton.h"

// The origins whose frames may call the SDK, when the launcher names any.
// Without a list every frame is served. The origin of a call is taken from
// the calling frame's URL as the runtime knows it (the render process's
// native side puts it into the request), never from what the page says
// about itself.
//
// Threads: set from any thread (the launcher's Qt thread); read on the CEF
// UI thread as calls arrive.
class VellSdkOriginAllowlist : public VellAutoSingleton<VellSdkOriginAllowlist> {
 public:
  // The error code of a call refused for its frame's origin.
  static constexpr char kOriginNotAllowed[] = "#OriginNotAllowed";

  // Origins as "scheme://host[:port]" (a URL with a path is read as its
  // origin); entries that have none are logged and ignored, so a list of
  // such entries only serves no frame. An empty list serves every frame.
  void Set(const QStringList& origins);
  bool IsSet() const;
  // True when no list is set or the origin of `frameUrl` is on it.
  bool Allows(const std::string& frameUrl) const;

  // "scheme://host[:port]" in lower case without the scheme's default port;
  // "null" for URLs without one (data:, about:blank, file:).
  static std::string OriginOf(const std::string& url);

 protected:
  friend class VellAutoSingleton<VellSdkOriginAllowlist>;
  VellSdkOriginAllowlist() = default;

 private:
  mutable std::mutex m_mutex;
  bool m_bIsSet = false;               // by m_mutex
  std::set<std::string> m_setOrigins;  // by m_mutex
};
