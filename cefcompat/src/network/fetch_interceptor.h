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
// client's resource request handler on TID_IO, then to a scheme handler
// factory, and is answered exactly once — fulfilled from a resource handler,
// continued to the network, or failed — whatever the handlers do. Requests
// to a custom scheme's stand-in reach them under the scheme's own URL. Bodies above a threshold, and every request with
// a Range header, are streamed from a loopback server instead of one message.
class FetchInterceptor {
 public:
  FetchInterceptor(InterceptedBrowser* browser, CefRefPtr<CefClient> client);
  // The page session's events the interceptor takes (TID_UI).
  void Subscribe(PageSession& session);

  // A request Chromium paused: TID_UI, or the reader thread for a frame already known.
  void OnRequestPaused(const Json& params);
  // The error the runtime failed a request with (by network request id),
  // which Chromium may report under a more general one; ERR_NONE when it
  // failed no such request. Any thread.
  cef_errorcode_t TakeFailure(const std::string& networkId);

  // Requests the runtime failed, by network request id. Thread-safe.
  class Failures {
   public:
    void Note(const std::string& networkId, cef_errorcode_t error);
    cef_errorcode_t Take(const std::string& networkId);

   private:
    std::mutex mutex_;
    std::map<std::string, cef_errorcode_t> byRequest_;
  };

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
  // TID_IO: the client's handler of this request (null when it has none).
  CefRefPtr<CefResourceRequestHandler> RequestHandlerFor(const Json& params, CefRefPtr<CefFrame> frame,
                                                         CefRefPtr<CefRequest> request);
  // TID_IO: a scheme handler factory's handler of this request, if any.
  static CefRefPtr<CefResourceHandler> FromFactory(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   CefRefPtr<CefRequest> request);
  void Load(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
            CefRefPtr<CefBaseRefCounted> pending);  // TID_IO

  InterceptedBrowser* browser_;  // owns this
  CefRefPtr<CefClient> client_;
  std::mutex mutex_;
  std::map<std::string, Tracked> tracked_;  // by network request id, until its response
  // TID_UI: whether a person started each document request (by network
  // request id; redirects keep the id), until its response or failure.
  std::map<std::string, bool> gestures_;
  const std::shared_ptr<Failures> failures_ = std::make_shared<Failures>();
};

}  // namespace cefcompat
