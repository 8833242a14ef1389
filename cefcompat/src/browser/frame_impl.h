#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "include/cef_frame.h"
#include "protocol/link.h"

namespace cefcompat {

class BrowserImpl;


// A frame as the browser process sees it. Written on TID_UI; read anywhere.
// It holds its browser only while valid: the browser holds its frames, and a
// frame invalidated (detached, or its browser closed) lets the browser go, as
// CEF's detached frames do (GetBrowser() is then null).
class FrameImpl : public CefFrame {
 public:
  FrameImpl(CefRefPtr<BrowserImpl> browser, std::string protocolId, std::string parentProtocolId, bool isMain);

  bool IsValid() override { return valid_; }
  bool IsMain() override { return isMain_; }
  int64 GetIdentifier() override { return identifier_; }
  CefString GetName() override;
  CefString GetURL() override;
  CefRefPtr<CefFrame> GetParent() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefV8Context> GetV8Context() override;
  void LoadURL(const CefString& url) override;
  void ExecuteJavaScript(const CefString& code, const CefString& script_url, int start_line) override;
  void SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) override;

  const std::string& ProtocolId() const { return protocolId_; }
  void SetUrl(const std::string& url, const std::string& name);
  void Invalidate();

 private:
  // Null once invalidated.
  CefRefPtr<BrowserImpl> Browser();

  CefRefPtr<BrowserImpl> browser_;  // under mutex_
  const std::string protocolId_;
  const std::string parentProtocolId_;
  const bool isMain_;
  const int64 identifier_;
  std::atomic<bool> valid_{true};
  std::mutex mutex_;
  std::string url_;
  std::string name_;
  IMPLEMENT_REFCOUNTING(FrameImpl);
};

}  // namespace cefcompat
