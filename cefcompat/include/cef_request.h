#pragma once

#include <atomic>
#include <map>
#include <mutex>

#include "include/cef_base.h"
#include "include/cef_callback.h"

// A resource request: its URL, method and headers. Thread-safe.
class CefRequest : public virtual CefBaseRefCounted {
 public:
  typedef std::multimap<CefString, CefString> HeaderMap;
  typedef cef_transition_type_t TransitionType;

  static CefRefPtr<CefRequest> Create();

  CefString GetURL();
  void SetURL(const CefString& url);
  CefString GetMethod();
  void SetMethod(const CefString& method);
  void GetHeaderMap(HeaderMap& headers);
  void SetHeaderMap(const HeaderMap& headers);
  CefString GetHeaderByName(const CefString& name);
  // Unique for the life of the process.
  uint64_t GetIdentifier() const { return identifier_; }

 private:
  CefRequest();
  const uint64_t identifier_;
  std::mutex mutex_;
  CefString url_;
  CefString method_ = "GET";
  HeaderMap headers_;
  IMPLEMENT_REFCOUNTING(CefRequest);
};

// The response to a resource request. Thread-safe.
class CefResponse : public virtual CefBaseRefCounted {
 public:
  typedef std::multimap<CefString, CefString> HeaderMap;

  static CefRefPtr<CefResponse> Create();

  cef_errorcode_t GetError();
  void SetError(cef_errorcode_t error);
  int GetStatus();
  void SetStatus(int status);
  CefString GetStatusText();
  void SetStatusText(const CefString& statusText);
  CefString GetMimeType();
  void SetMimeType(const CefString& mimeType);
  CefString GetHeaderByName(const CefString& name);
  void SetHeaderByName(const CefString& name, const CefString& value, bool overwrite);
  void GetHeaderMap(HeaderMap& headers);
  void SetHeaderMap(const HeaderMap& headers);

 private:
  CefResponse() = default;
  std::mutex mutex_;
  cef_errorcode_t error_ = ERR_NONE;
  int status_ = 0;
  CefString statusText_;
  CefString mimeType_;
  HeaderMap headers_;
  IMPLEMENT_REFCOUNTING(CefResponse);
};
