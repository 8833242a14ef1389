#pragma once

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "include/cef_browser.h"
#include "include/cef_request_callback.h"
#include "include/cef_resource_handler.h"

// Serves requests from providers: mapped URL prefixes answered from zip
// archives, directories or code of the embedder. Callable from any thread;
// the work is serialised on TID_IO, where the provider methods run.
class CefResourceManager : public virtual CefBaseRefCounted {
 public:
  using UrlFilter = std::function<std::string(const std::string& url)>;
  using MimeTypeResolver = std::function<std::string(const std::string& url)>;

  // One request offered to the providers. A provider that takes it answers
  // exactly once with Continue (a handler, or null for the next provider) or
  // Stop (no handler: the request goes to the network). A request nobody
  // answers is continued when its last reference goes.
  class Request : public virtual CefBaseRefCounted {
   public:
    std::string url() const { return url_; }
    CefRefPtr<CefRequest> request() const { return request_; }
    UrlFilter url_filter() const { return url_filter_; }
    MimeTypeResolver mime_type_resolver() const { return mime_type_resolver_; }
    void Continue(CefRefPtr<CefResourceHandler> handler);
    void Stop();

    // Runtime side.
    Request(std::string url, CefRefPtr<CefRequest> request, UrlFilter filter, MimeTypeResolver resolver,
            std::function<void(CefRefPtr<CefResourceHandler>, bool stop)> answer);
    ~Request() override;
    // The provider did not take the request: it needs no answer.
    void Discard() { answered_ = true; }

   private:
    const std::string url_;
    CefRefPtr<CefRequest> request_;
    UrlFilter url_filter_;
    MimeTypeResolver mime_type_resolver_;
    std::function<void(CefRefPtr<CefResourceHandler>, bool)> answer_;
    std::atomic<bool> answered_{false};
    IMPLEMENT_REFCOUNTING(Request);
  };

  class Provider {
   public:
    virtual ~Provider() = default;
    // Return true when the request was taken (to be answered now or later).
    virtual bool OnRequest(CefRefPtr<Request> request) = 0;
    virtual void OnRequestCanceled(CefRefPtr<Request> request) { (void)request; }
  };

  CefResourceManager();
  ~CefResourceManager() override;

  void AddContentProvider(const std::string& url, const std::string& content, const std::string& mime_type, int order,
                          const std::string& identifier);
  void AddDirectoryProvider(const std::string& url_path, const std::string& directory_path, int order,
                            const std::string& identifier);
  void AddArchiveProvider(const std::string& url_path, const std::string& archive_path, const std::string& password,
                          int order, const std::string& identifier);
  void AddProvider(Provider* provider, int order, const std::string& identifier);
  void RemoveProviders(const std::string& identifier);
  void RemoveAllProviders();
  void SetMimeTypeResolver(const MimeTypeResolver& resolver);
  void SetUrlFilter(const UrlFilter& filter);

  // TID_IO. Offers the request to the providers and returns RV_CONTINUE_ASYNC;
  // `callback` continues once a provider answered or none took it.
  cef_return_value_t OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback);
  // TID_IO. The handler a provider chose for `request`, or null.
  CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   CefRefPtr<CefRequest> request);

  // The MIME type of a URL's file name (what the default resolver answers).
  static std::string MimeTypeForUrl(const std::string& url);

 private:
  struct State;
  void OnIo(std::function<void()> task);
  void Offer(std::shared_ptr<State> state);

  struct Entry {
    std::shared_ptr<Provider> provider;
    int order;
    std::string identifier;
  };
  std::list<Entry> providers_;                             // TID_IO; ascending order, insertion among equals
  std::map<uint64_t, std::shared_ptr<State>> pending_;    // TID_IO; by request identifier
  UrlFilter url_filter_;
  MimeTypeResolver mime_type_resolver_;
  IMPLEMENT_REFCOUNTING(CefResourceManager);
};
