#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "include/cef_frame.h"
#include "protocol/link.h"

namespace cefcompat {

class RenderBrowser;

// A frame of the render side. It holds its browser only while valid: the
// browser holds its frames, and invalidating a frame (detached, or the link
// closed) lets the browser go; GetBrowser() is then null.
class RenderFrame : public CefFrame {
 public:
  RenderFrame(CefRefPtr<RenderBrowser> browser, std::string protocolId, bool isMain);
  ~RenderFrame() override;
  bool IsValid() override { return valid_; }
  bool IsMain() override { return isMain_; }
  int64 GetIdentifier() override { return FrameIdentifierFor(protocolId_); }
  CefString GetName() override { return CefString(); }
  CefString GetURL() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return url_;
  }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefV8Context> GetV8Context() override;
  void LoadURL(const CefString& url) override;
  void ExecuteJavaScript(const CefString& code, const CefString& script_url, int start_line) override;
  void SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) override;

  void SetUrl(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    url_ = url;
  }
  void Invalidate();
  const std::string& ProtocolId() const { return protocolId_; }
  std::string sessionId;  // the session its documents live in

 private:
  // Null once invalidated.
  CefRefPtr<RenderBrowser> Browser();

  CefRefPtr<RenderBrowser> browser_;  // under mutex_
  const std::string protocolId_;
  const bool isMain_;
  std::atomic<bool> valid_{true};
  std::mutex mutex_;
  std::string url_;
  IMPLEMENT_REFCOUNTING(RenderFrame);
};

}  // namespace cefcompat
