#pragma once

#include <mutex>
#include <vector>

#include "include/cef_frame.h"
#include "v8_api/VellProcessMessage.h"

// A browser-side frame double that keeps every record sent through it.
class CapturingFrame : public CefFrame {
 public:
  bool IsValid() override { return valid; }
  bool IsMain() override { return true; }
  int64 GetIdentifier() override { return 1; }
  CefString GetName() override { return ""; }
  CefString GetURL() override { return "https://launcher.test/"; }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefRefPtr<CefBrowser> GetBrowser() override { return nullptr; }
  CefRefPtr<CefV8Context> GetV8Context() override { return nullptr; }
  void LoadURL(const CefString&) override {}
  void ExecuteJavaScript(const CefString&, const CefString&, int) override {}
  void SendProcessMessage(CefProcessId, CefRefPtr<CefProcessMessage> message) override {
    VellProcessMessage record;
    record.InterpretNativeProcessMessage(message);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.push_back(record);
  }
  // Any thread.
  std::vector<VellProcessMessage> Sent() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sent;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sent.clear();
  }

  bool valid = true;

 private:
  std::mutex m_mutex;
  std::vector<VellProcessMessage> m_sent;
  IMPLEMENT_REFCOUNTING(CapturingFrame);
};
