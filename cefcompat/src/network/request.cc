#include <atomic>

#include "include/cef_request.h"

namespace {
std::atomic<uint64_t> g_nextRequest{1};
}

CefRequest::CefRequest() : identifier_(g_nextRequest++) {}

CefRefPtr<CefRequest> CefRequest::Create() { return new CefRequest(); }

CefString CefRequest::GetURL() {
  std::lock_guard<std::mutex> lock(mutex_);
  return url_;
}
void CefRequest::SetURL(const CefString& url) {
  std::lock_guard<std::mutex> lock(mutex_);
  url_ = url;
}
CefString CefRequest::GetMethod() {
  std::lock_guard<std::mutex> lock(mutex_);
  return method_;
}
void CefRequest::SetMethod(const CefString& method) {
  std::lock_guard<std::mutex> lock(mutex_);
  method_ = method;
}
void CefRequest::GetHeaderMap(HeaderMap& headers) {
  std::lock_guard<std::mutex> lock(mutex_);
  headers = headers_;
}
void CefRequest::SetHeaderMap(const HeaderMap& headers) {
  std::lock_guard<std::mutex> lock(mutex_);
  headers_ = headers;
}
CefString CefRequest::GetHeaderByName(const CefString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = headers_.find(name);
  return it == headers_.end() ? CefString() : it->second;
}

CefRefPtr<CefResponse> CefResponse::Create() { return new CefResponse(); }

cef_errorcode_t CefResponse::GetError() {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}
void CefResponse::SetError(cef_errorcode_t error) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = error;
}
int CefResponse::GetStatus() {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}
void CefResponse::SetStatus(int status) {
  std::lock_guard<std::mutex> lock(mutex_);
  status_ = status;
}
CefString CefResponse::GetStatusText() {
  std::lock_guard<std::mutex> lock(mutex_);
  return statusText_;
}
void CefResponse::SetStatusText(const CefString& statusText) {
  std::lock_guard<std::mutex> lock(mutex_);
  statusText_ = statusText;
}
CefString CefResponse::GetMimeType() {
  std::lock_guard<std::mutex> lock(mutex_);
  return mimeType_;
}
void CefResponse::SetMimeType(const CefString& mimeType) {
  std::lock_guard<std::mutex> lock(mutex_);
  mimeType_ = mimeType;
}
CefString CefResponse::GetHeaderByName(const CefString& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = headers_.find(name);
  return it == headers_.end() ? CefString() : it->second;
}
void CefResponse::SetHeaderByName(const CefString& name, const CefString& value, bool overwrite) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (headers_.count(name) && !overwrite) return;
  headers_.erase(name);
  headers_.emplace(name, value);
}
void CefResponse::GetHeaderMap(HeaderMap& headers) {
  std::lock_guard<std::mutex> lock(mutex_);
  headers = headers_;
}
void CefResponse::SetHeaderMap(const HeaderMap& headers) {
  std::lock_guard<std::mutex> lock(mutex_);
  headers_ = headers;
}
