#include "v8_api/VellV8PluginFactoryCluster.h"

#include "include/cef_browser.h"
#include "v8_api/VellJsCallbackPayloadManager.h"

void VellV8PluginFactoryCluster::ForwardStandardJsonPayloadFromCefBrowserMessage(VellProcessMessage message) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  message.SetRequestId(VellJsCallbackPayloadManager::Instance()->CheckIn(
      {message.GetSuccessCallback(), message.GetErrorCallback(), context}));
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(message, wire);
  CefRefPtr<CefBrowser> browser = context ? context->GetBrowser() : nullptr;
  CefRefPtr<CefFrame> mainFrame = browser ? browser->GetMainFrame() : nullptr;
  if (mainFrame) mainFrame->SendProcessMessage(PID_BROWSER, wire);
}
