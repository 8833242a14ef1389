#include "browser/popup_broker.h"

namespace cefcompat {

PopupBroker::PopupBroker(CefBrowser* opener, CefRefPtr<CefClient> client, const CefBrowserSettings& settings)
    : opener_(opener), client_(std::move(client)), settings_(settings) {}

void PopupBroker::Subscribe(PageSession& session) {
  session.On("Page.windowOpen", [this](const Json& params) { pending_.push_back(params); });
}

std::string PopupBroker::TakePending(std::string& name, bool& userGesture) {
  if (pending_.empty()) return {};
  const Json info = pending_.front();
  pending_.pop_front();
  name = info.value("windowName", std::string());
  userGesture = info.value("userGesture", false);
  return info.value("url", std::string());
}

bool PopupBroker::Allow(const std::string& url, const std::string& name, bool userGesture) {
  auto handler = client_ ? client_->GetLifeSpanHandler() : nullptr;
  if (!handler) return true;
  CefPopupFeatures features;
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client = client_;
  CefBrowserSettings settings = settings_;
  CefRefPtr<CefDictionaryValue> extra;
  bool noJavascriptAccess = false;
  const bool refused = handler->OnBeforePopup(opener_, opener_->GetMainFrame(), url, name, WOD_NEW_POPUP, userGesture,
                                              features, windowInfo, client, settings, extra, &noJavascriptAccess);
  return !refused;
}

}  // namespace cefcompat
