#include "browser/popup_broker.h"

#include <cstdlib>

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

// One "name=number" of the list into `value`, marking it set.
void ReadNumber(const std::string& feature, const std::string& name, int& value, int& set) {
  if (feature.rfind(name + "=", 0) != 0) return;
  value = std::atoi(feature.c_str() + name.size() + 1);
  set = 1;
}

// Page.windowOpen's list: "left=", "top=", "width=" and "height=" for what the
// page asked for (Chromium's numbers, already read from the page's string),
// and the bars named only for a window that is not a pop-up.
CefPopupFeatures FeaturesFromWindowFeatures(const Json& list) {
  CefPopupFeatures features;
  features.menuBarVisible = features.statusBarVisible = features.toolBarVisible = features.scrollbarsVisible = 0;
  for (const Json& entry : list) {
    if (!entry.is_string()) continue;
    const std::string feature = entry.get<std::string>();
    ReadNumber(feature, "left", features.x, features.xSet);
    ReadNumber(feature, "top", features.y, features.ySet);
    ReadNumber(feature, "width", features.width, features.widthSet);
    ReadNumber(feature, "height", features.height, features.heightSet);
    if (feature == "menubar") features.menuBarVisible = 1;
    if (feature == "status") features.statusBarVisible = 1;
    if (feature == "toolbar") features.toolBarVisible = 1;
    if (feature == "scrollbars") features.scrollbarsVisible = 1;
  }
  return features;
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
  const Json features = info.value("windowFeatures", Json::array());
  return {info.value("url", std::string()), info.value("windowName", std::string()), info.value("userGesture", false),
          DispositionFromWindowFeatures(features), FeaturesFromWindowFeatures(features)};
}

bool PopupBroker::Allow(const Request& request) {
  auto handler = client_ ? client_->GetLifeSpanHandler() : nullptr;
  if (!handler) return true;
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client = client_;
  CefBrowserSettings settings = settings_;
  CefRefPtr<CefDictionaryValue> extra;
  bool noJavascriptAccess = false;
  const bool refused = handler->OnBeforePopup(opener_, opener_->GetMainFrame(), request.url, request.name,
                                              request.disposition, request.userGesture, request.features, windowInfo,
                                              client, settings, extra, &noJavascriptAccess);
  return !refused;
}

}  // namespace cefcompat
