#include "frame_impl.h"

#include <map>

#include "browser_impl.h"
#include "log.h"

namespace cefcompat {

int64 FrameIdentifierFor(const std::string& protocolFrameId) {
  static std::mutex mutex;
  static std::map<std::string, int64> identifiers;
  std::lock_guard<std::mutex> lock(mutex);
  const auto it = identifiers.find(protocolFrameId);
  if (it != identifiers.end()) return it->second;
  const int64 identifier = static_cast<int64>(identifiers.size()) + 1;
  identifiers.emplace(protocolFrameId, identifier);
  return identifier;
}

FrameImpl::FrameImpl(CefRefPtr<BrowserImpl> browser, std::string protocolId, std::string parentProtocolId, bool isMain)
    : browser_(std::move(browser)),
      protocolId_(std::move(protocolId)),
      parentProtocolId_(std::move(parentProtocolId)),
      isMain_(isMain),
      identifier_(FrameIdentifierFor(protocolId_)) {}

CefString FrameImpl::GetName() {
  std::lock_guard<std::mutex> lock(mutex_);
  return name_;
}

CefString FrameImpl::GetURL() {
  std::lock_guard<std::mutex> lock(mutex_);
  return url_;
}

CefRefPtr<CefFrame> FrameImpl::GetParent() {
  if (isMain_ || parentProtocolId_.empty()) return nullptr;
  return browser_->GetFrame(FrameIdentifierFor(parentProtocolId_));
}

CefRefPtr<CefBrowser> FrameImpl::GetBrowser() { return browser_.get(); }

void FrameImpl::LoadURL(const CefString& url) {
  if (valid_) browser_->LoadInFrame(protocolId_, url.ToString());
}

void FrameImpl::ExecuteJavaScript(const CefString& code, const CefString& script_url, int /*start_line*/) {
  if (valid_) browser_->ExecuteInFrame(protocolId_, code.ToString(), script_url.ToString());
}

void FrameImpl::SendProcessMessage(CefProcessId /*target_process*/, CefRefPtr<CefProcessMessage> message) {
  Log(LOGSEVERITY_WARNING, "SendProcessMessage: no render side to receive '" +
                               (message ? message->GetName().ToString() : std::string()) + "'; dropped");
}

void FrameImpl::SetUrl(const std::string& url, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  url_ = url;
  name_ = name;
}

void FrameImpl::Invalidate() { valid_ = false; }

}  // namespace cefcompat
