#pragma once

#include <deque>
#include <string>

#include "protocol/connection.h"

namespace cefcompat {

class PageSession;

// The last documents a browser's page was answered with, for the downloads
// they turn into: Chromium names a download's URL but not its response.
// Links with a `download` attribute are fetched past the page's network
// events, so none is known for them.
//
// Threads: TID_UI.
class ResponseLedger {
 public:
  struct Entry {
    std::string url;          // the response's (after redirects)
    std::string originalUrl;  // the one first asked for
    std::string mimeType;
    std::string contentDisposition;
    std::string validator;  // ETag, else Last-Modified: what a resumed download is checked against
  };

  void Subscribe(PageSession& session);
  // The latest response for `url`; null when none is known.
  const Entry* Find(const std::string& url) const;
  // The header `name` (any case) of a protocol header object; empty when absent.
  static std::string Header(const Json& headers, const std::string& name);

 private:
  void OnRequest(const Json& params);
  void OnResponse(const Json& params);

  struct Request {
    std::string id;
    std::string firstUrl;
  };
  std::deque<Request> requests_;  // document requests under way, newest last
  std::deque<Entry> entries_;     // newest last
};

}  // namespace cefcompat
