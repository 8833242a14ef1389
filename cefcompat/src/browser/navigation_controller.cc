#include "browser/navigation_controller.h"

#include "base/log.h"
#include "network/net_errors.h"
#include "network/scheme_registry.h"

namespace cefcompat {

NavigationController::NavigationController(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session,
                                           FrameTree& frames)
    : browser_(browser), client_(std::move(client)), session_(session), frames_(frames) {}

void NavigationController::Subscribe(PageSession& session) {
  session.On("Page.frameStartedNavigating", [this](const Json& params) {
    const std::string url = params.value("url", std::string());
    loaders_[params.value("loaderId", std::string())] = {params.value("frameId", std::string()),
                                                         SchemeRegistry::Instance().FromChromium(url), url};
  });
  session.On("Network.requestWillBeSent", [this](const Json& params) {
    if (params.value("type", std::string()) != "Document") return;
    const std::string url = params.value("request", Json::object()).value("url", std::string());
    loaders_[params.value("requestId", std::string())] = {params.value("frameId", std::string()),
                                                          SchemeRegistry::Instance().FromChromium(url), url};
  });
  session.On("Page.frameStartedLoading", [this](const Json& params) {
    if (frames_.IsMain(params.value("frameId", std::string()))) SetLoading(true);
  });
  session.On("Page.frameNavigated", [this](const Json& params) { OnFrameNavigated(params.value("frame", Json::object())); });
  session.On("Page.frameStoppedLoading",
             [this](const Json& params) { OnFrameStoppedLoading(params.value("frameId", std::string())); });
  session.On("Network.responseReceived", [this](const Json& params) { OnResponseReceived(params); });
  session.On("Network.loadingFailed", [this](const Json& params) { OnLoadingFailed(params); });
  session.On("Inspector.targetCrashed", [this](const Json&) { SetLoading(false); });
}

void NavigationController::OnFrameNavigated(const Json& frameInfo) {
  const std::string id = frameInfo.value("id", std::string());
  const bool isMain = frames_.IsMain(id);
  CefRefPtr<FrameImpl> frame = isMain ? frames_.Main() : frames_.Ensure(id, frameInfo.value("parentId", std::string()));
  const bool isErrorPage = frameInfo.contains("unreachableUrl");
  // The protocol gives a document's fragment apart from its URL; a frame's URL has it.
  const std::string url = frameInfo.value("url", std::string()) + frameInfo.value("urlFragment", std::string());
  frame->SetUrl(isErrorPage ? frameInfo["unreachableUrl"].get<std::string>() : url, frameInfo.value("name", std::string()));
  errorPage_[id] = isErrorPage;
  if (isErrorPage || !client_) return;
  if (isMain) {
    if (auto display = client_->GetDisplayHandler()) display->OnAddressChange(browser_, frame.get(), frame->GetURL());
  }
  if (auto load = client_->GetLoadHandler()) load->OnLoadStart(browser_, frame.get(), isMain ? TT_EXPLICIT : TT_AUTO_SUBFRAME);
}

void NavigationController::OnFrameStoppedLoading(const std::string& frameId) {
  CefRefPtr<FrameImpl> frame = frames_.ByProtocolId(frameId);
  const auto pending = errorPage_.find(frameId);
  // Only a frame that committed a document since it last stopped reports an end.
  if (frame && pending != errorPage_.end()) {
    const bool isErrorPage = pending->second;
    errorPage_.erase(pending);
    // Each document's status is reported once: a later document without a
    // response of its own (about:blank) has none.
    const auto status = documentStatus_.find(frameId);
    const int httpStatus = status == documentStatus_.end() ? 0 : status->second;
    if (status != documentStatus_.end()) documentStatus_.erase(status);
    if (!isErrorPage && client_) {
      if (auto load = client_->GetLoadHandler()) load->OnLoadEnd(browser_, frame.get(), httpStatus);
    }
  }
  if (!frames_.IsMain(frameId)) return;
  if (onMainFrameStopped_) onMainFrameStopped_();
  // The loading state is reported with the history as it is after this load.
  CefRefPtr<CefBrowser> keep(browser_);
  RefreshHistory([this, keep]() { SetLoading(false); });
}

void NavigationController::OnResponseReceived(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  documentStatus_[params.value("frameId", std::string())] = params["response"].value("status", 0);
}

void NavigationController::OnLoadingFailed(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  const auto loader = loaders_.find(params.value("requestId", std::string()));
  CefRefPtr<FrameImpl> main = frames_.Main();
  const std::string frameId = loader != loaders_.end() ? loader->second.frameId : (main ? main->ProtocolId() : std::string());
  CefRefPtr<FrameImpl> frame = frames_.ByProtocolId(frameId);
  if (!frame || !client_) return;
  // The URL that failed is the navigation's, which the frame never committed.
  const std::string failedUrl = loader != loaders_.end() ? loader->second.url : frame->GetURL().ToString();
  // Chromium gives up a custom scheme's URL at once; the runtime loads its stand-in instead.
  if (loader != loaders_.end() && LoadsAtStandIn(loader->second.chromiumUrl)) return;
  std::string errorText = params.value("errorText", std::string());
  cef_errorcode_t error = NetErrorFromText(errorText);
  const cef_errorcode_t noted = failureSource_ ? failureSource_(params.value("requestId", std::string())) : ERR_NONE;
  if (noted != ERR_NONE && noted != error) {
    error = noted;
    errorText = "net::" + NetErrorName(noted);
  }
  auto load = client_->GetLoadHandler();
  if (!load) return;
  load->OnLoadError(browser_, frame.get(), error, errorText, failedUrl);
}

bool NavigationController::LoadsAtStandIn(const std::string& chromiumUrl) {
  const SchemeRegistry& schemes = SchemeRegistry::Instance();
  return schemes.IsUnmappedCustom(chromiumUrl) && schemes.ToChromium(chromiumUrl) != chromiumUrl;
}

void NavigationController::SetLoading(bool loading) {
  if (loading_.exchange(loading) == loading || !client_ || !browser_->IsValid()) return;
  if (auto load = client_->GetLoadHandler()) load->OnLoadingStateChange(browser_, loading, canGoBack_, canGoForward_);
}

void NavigationController::RefreshHistory(std::function<void()> then) {
  // The blank document a target starts with is not part of the browser's history.
  if (!historyReset_) {
    historyReset_ = true;
    session_.Send("Page.resetNavigationHistory", Json::object());
  }
  CefRefPtr<CefBrowser> keep(browser_);
  session_.Send("Page.getNavigationHistory", Json::object(), [this, keep, then](const Connection::Reply& reply) {
    if (reply.ok) {
      const int index = reply.result.value("currentIndex", 0);
      const int count = static_cast<int>(reply.result.value("entries", Json::array()).size());
      canGoBack_ = index > 0;
      canGoForward_ = index + 1 < count;
    }
    then();
  });
}

// Reads the history afresh: the cached copy may predate the last navigation.
void NavigationController::GoToOffset(int offset) {
  CefRefPtr<CefBrowser> keep(browser_);
  session_.Send("Page.getNavigationHistory", Json::object(), [this, keep, offset](const Connection::Reply& reply) {
    if (!reply.ok) return;
    const Json entries = reply.result.value("entries", Json::array());
    const int index = reply.result.value("currentIndex", 0) + offset;
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    session_.Send("Page.navigateToHistoryEntry", {{"entryId", entries[static_cast<size_t>(index)].value("id", 0)}});
  });
}

void NavigationController::Reload(bool ignoreCache) { session_.Send("Page.reload", {{"ignoreCache", ignoreCache}}); }

void NavigationController::Stop() { session_.Send("Page.stopLoading", Json::object()); }

void NavigationController::Navigate(const std::string& protocolFrameId, const std::string& url,
                                    std::function<void()> then) {
  const std::string chromiumUrl = SchemeRegistry::Instance().ToChromium(url);
  session_.Send("Page.navigate", {{"url", chromiumUrl}, {"frameId", protocolFrameId}}, [url, then](const Connection::Reply& reply) {
    if (!reply.ok) Log(LOGSEVERITY_WARNING, "LoadURL(" + url + ") failed: " + reply.error);
    if (then) then();
  });
}

}  // namespace cefcompat
