#include "render/render_frame.h"

#include <utility>

#include "render/render_browser.h"

namespace cefcompat {

RenderFrame::RenderFrame(CefRefPtr<RenderBrowser> browser, std::string protocolId, bool isMain)
    : browser_(std::move(browser)), protocolId_(std::move(protocolId)), isMain_(isMain) {}

RenderFrame::~RenderFrame() = default;

void RenderFrame::Invalidate() {
  CefRefPtr<RenderBrowser> browser;
  std::lock_guard<std::mutex> lock(mutex_);
  valid_ = false;
  browser.swap(browser_);
}

CefRefPtr<RenderBrowser> RenderFrame::Browser() {
  std::lock_guard<std::mutex> lock(mutex_);
  return browser_;
}

CefRefPtr<CefBrowser> RenderFrame::GetBrowser() { return Browser().get(); }
CefRefPtr<CefV8Context> RenderFrame::GetV8Context() {
  CefRefPtr<RenderBrowser> browser = Browser();
  return browser ? browser->ContextOf(this) : nullptr;
}
void RenderFrame::LoadURL(const CefString& url) {
  if (CefRefPtr<RenderBrowser> browser = Browser()) browser->LoadInFrame(this, url.ToString());
}
void RenderFrame::ExecuteJavaScript(const CefString& code, const CefString& script_url, int) {
  CefRefPtr<RenderBrowser> browser = Browser();
  if (!browser) return;
  const std::string source = code.ToString();
  browser->ExecuteInFrame(this, script_url.empty() ? source : source + "\n//# sourceURL=" + script_url.ToString());
}
void RenderFrame::SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) {
  if (target_process != PID_BROWSER || !message) return;
  if (CefRefPtr<RenderBrowser> browser = Browser()) browser->SendToBrowser(this, message);
}

}  // namespace cefcompat
