#include "browser/frame_impl.h"

#include "browser/browser_impl.h"
#include "include/cef_v8.h"
#include "base/log.h"
#include "network/scheme_registry.h"

namespace cefcompat {

int64 FrameIdentifierFor(const std::string& protocolFrameId) {
  // Chromium's frame ids are 128-bit hex tokens: their first 15 digits give a
  // positive int64 that every process computes alike, with no table to share.
  int64 identifier = 0;
  int digits = 0;
  for (char c : protocolFrameId) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (value < 0) continue;
    identifier = (identifier << 4) | value;
    if (++digits == 15) break;
  }
  return identifier == 0 ? 1 : identifier;
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

CefRefPtr<BrowserImpl> FrameImpl::Browser() {
  std::lock_guard<std::mutex> lock(mutex_);
  return browser_;
}

CefRefPtr<CefFrame> FrameImpl::GetParent() {
  if (isMain_ || parentProtocolId_.empty()) return nullptr;
  CefRefPtr<BrowserImpl> browser = Browser();
  return browser ? browser->GetFrame(FrameIdentifierFor(parentProtocolId_)) : nullptr;
}

CefRefPtr<CefBrowser> FrameImpl::GetBrowser() { return Browser().get(); }

CefRefPtr<CefV8Context> FrameImpl::GetV8Context() { return nullptr; }

void FrameImpl::LoadURL(const CefString& url) {
  if (CefRefPtr<BrowserImpl> browser = Browser()) browser->LoadInFrame(protocolId_, url.ToString());
}

void FrameImpl::ExecuteJavaScript(const CefString& code, const CefString& script_url, int /*start_line*/) {
  if (CefRefPtr<BrowserImpl> browser = Browser()) browser->ExecuteInFrame(protocolId_, code.ToString(), script_url.ToString());
}

void FrameImpl::SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) {
  if (target_process != PID_RENDERER || !message) return;
  if (CefRefPtr<BrowserImpl> browser = Browser()) browser->SendToRenderer(protocolId_, message);
}

void FrameImpl::SetUrl(const std::string& url, const std::string& name) {
  // A custom scheme's page is known by its own URL, not by its stand-in's.
  const std::string known = SchemeRegistry::Instance().FromChromium(url);
  std::lock_guard<std::mutex> lock(mutex_);
  url_ = known;
  name_ = name;
}

void FrameImpl::Invalidate() {
  CefRefPtr<BrowserImpl> browser;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    valid_ = false;
    browser.swap(browser_);
  }
}

}  // namespace cefcompat
