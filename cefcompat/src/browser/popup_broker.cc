#include "browser/popup_broker.h"

namespace cefcompat {

namespace {

// Page.windowOpen lists "menubar", "toolbar" and "status" for every window
// Chromium does not make a pop-up (a link's target, window.open without
// features or with "popup=0"), and leaves them out for a pop-up (a size or a
// position asked for, "popup"): the two dispositions CEF reports for them.
cef_window_open_disposition_t DispositionFromWindowFeatures(const Json& features) {
  for (const Json& feature : features) {
    if (feature == "menubar") return WOD_NEW_FOREGROUND_TAB;
  }
  return WOD_NEW_POPUP;
}

}  // namespace

PopupBroker::PopupBroker(CefBrowser* opener, CefRefPtr<CefClient> client, const CefBrowserSettings& settings)
    : opener_(opener), client_(std::move(client)), settings_(settings) {}

void PopupBroker::Subscribe(PageSession& session) {
  session.On("Page.windowOpen", [this](const Json& params) { pending_.push_back(params); });
}

PopupBroker::Request PopupBroker::TakePending() {
  if (pending_.empty()) return {};
  const Json info = pending_.front();
  pending_.pop_front();
  return {info.value("url", std::string()), info.value("windowName", std::string()), info.value("userGesture", false),
          DispositionFromWindowFeatures(info.value("windowFeatures", Json::array()))};
}

bool PopupBroker::Allow(const Request& request) {
  auto handler = client_ ? client_->GetLifeSpanHandler() : nullptr;
  if (!handler) return true;
  CefPopupFeatures features;
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client = client_;
  CefBrowserSettings settings = settings_;
  CefRefPtr<CefDictionaryValue> extra;
  bool noJavascriptAccess = false;
  const bool refused = handler->OnBeforePopup(opener_, opener_->GetMainFrame(), request.url, request.name,
                                              request.disposition, request.userGesture,
                                              features, windowInfo, client, settings, extra, &noJavascriptAccess);
  return !refused;
}

}  // namespace cefcompat
