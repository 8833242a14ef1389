#pragma once

#include <atomic>
#include <map>
#include <mutex>

#include "include/cef_base.h"

typedef enum { RV_CANCEL = 0, RV_CONTINUE, RV_CONTINUE_ASYNC } cef_return_value_t;

// A resource request: its URL, method and headers. Thread-safe.
class CefRequest : public virtual CefBaseRefCounted {
 public:
  using HeaderMap = std::multimap<CefString, CefString>;

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
  using HeaderMap = std::multimap<CefString, CefString>;

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

// Resumes or cancels an asynchronous step of a request.
class CefCallback : public virtual CefBaseRefCounted {
 public:
  virtual void Continue() = 0;
  virtual void Cancel() = 0;
};
