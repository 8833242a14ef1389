#pragma once

// Network interception: each paused request through the client's request
// handlers (TID_IO), the resource manager's providers, and the loopback
// stream server for large bodies (threads of its own).

#include <atomic>
#include <condition_variable>
#include <map>
#include <set>
#include <thread>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "browser/page_session.h"
#include "network/intercepted_browser.h"
#include "protocol/connection.h"
#include "include/cef_client.h"
#include "include/cef_resource_request_handler.h"

namespace cefcompat {


// One browser's resource requests: each request Chromium pauses goes to the
// client's resource request handler on TID_IO and is answered exactly once —
// fulfilled from a resource handler, continued to the network, or failed —
// whatever the handler does. Bodies above a threshold, and every request with
// a Range header, are streamed from a loopback server instead of one message.
class FetchInterceptor {
 public:
  FetchInterceptor(InterceptedBrowser* browser, CefRefPtr<CefClient> client);
  // The page session's events the interceptor takes (TID_UI).
  void Subscribe(PageSession& session);

  // A request Chromium paused: TID_UI, or the reader thread for a frame already known.
  void OnRequestPaused(const Json& params);

 private:
  void OnResponse(const std::string& networkId, CefRefPtr<CefResponse> response);
  // A navigation to a scheme Chromium does not load itself (the page asked
  // for "mailto:" or a launcher's own scheme): the handler decides whether the
  // operating system may open it; by default it may not.
  void OnExternalProtocol(const std::string& url, const std::string& frameId);

  struct Tracked {
    CefRefPtr<CefResourceRequestHandler> handler;
    CefRefPtr<CefRequest> request;
    CefRefPtr<CefFrame> frame;
  };
  void Handle(const Json& params);  // TID_IO
  // TID_UI: the request handler's OnBeforeBrowse for a navigation; false cancels it.
  bool MayBrowse(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request);
  bool GestureOf(const std::string& networkId) const;  // TID_UI
  void Load(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
            CefRefPtr<CefBaseRefCounted> pending);  // TID_IO

  InterceptedBrowser* browser_;  // owns this
  CefRefPtr<CefClient> client_;
  std::mutex mutex_;
  std::map<std::string, Tracked> tracked_;  // by network request id, until its response
  // TID_UI: whether a person started each document request (by network
  // request id; redirects keep the id), until its response or failure.
  std::map<std::string, bool> gestures_;
};

}  // namespace cefcompat
