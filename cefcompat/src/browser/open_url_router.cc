#include "browser/open_url_router.h"

#include "base/log.h"
#include "browser/runtime.h"
#include "network/scheme_registry.h"

namespace cefcompat {

namespace {

constexpr char kPressBinding[] = "__cefcompatPresses";

// Presses only a person makes: a page's own events are not trusted.
const char kPressScript[] = R"JS((() => {
  const report = window.__cefcompatPresses;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatPresses; } catch (e) {}
  const send = (event) => { if (event.isTrusted) report(JSON.stringify({shift: event.shiftKey})); };
  addEventListener('mousedown', send, true);
  addEventListener('keydown', send, true);
})();
//# sourceURL=cefcompat://presses)JS";

// A press counts as the link's gesture as long as Chromium's own user
// activation lasts.
constexpr std::chrono::seconds kGestureLifetime(5);

}  // namespace

OpenUrlRouter::OpenUrlRouter(InterceptedBrowser* browser, CefRefPtr<CefClient> client)
    : browser_(browser), client_(std::move(client)) {}

void OpenUrlRouter::Install(PageSession& session) {
  session.AddReportingScript(kPressBinding, kPressScript, [this](const Json& report, const Json&) { OnPress(report); });
  session.On("Page.frameRequestedNavigation", [this](const Json& params) { OnRequestedNavigation(params); });
}

void OpenUrlRouter::OnPress(const Json& report) {
  pressed_ = true;
  shiftHeld_ = report.value("shift", false);
  pressedAt_ = std::chrono::steady_clock::now();
}

// Chromium's rule: Shift alone opens a new window; a middle click or Ctrl
// opens a background tab, a foreground one with Shift as well.
cef_window_open_disposition_t OpenUrlRouter::Disposition(const std::string& chromiumDisposition, bool gesture) const {
  if (chromiumDisposition == "newWindow") return WOD_NEW_WINDOW;
  return gesture && shiftHeld_ ? WOD_NEW_FOREGROUND_TAB : WOD_NEW_BACKGROUND_TAB;
}

void OpenUrlRouter::OnRequestedNavigation(const Json& params) {
  const std::string disposition = params.value("disposition", std::string());
  if (disposition != "newTab" && disposition != "newWindow") return;
  const std::string chromiumUrl = params.value("url", std::string());
  if (Runtime* runtime = Runtime::Get()) runtime->Strays().Expect(chromiumUrl);
  const bool gesture = pressed_ && std::chrono::steady_clock::now() - pressedAt_ < kGestureLifetime;
  pressed_ = false;
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!browser->IsValid()) return;
  const std::string url = SchemeRegistry::Instance().FromChromium(chromiumUrl);
  auto handler = client_ ? client_->GetRequestHandler() : nullptr;
  CefRefPtr<CefFrame> frame = browser_->FrameByProtocolId(params.value("frameId", std::string()));
  if (!frame) frame = browser->GetMainFrame();
  if (handler && handler->OnOpenURLFromTab(browser, frame, url, Disposition(disposition, gesture), gesture)) {
    Log(LOGSEVERITY_VERBOSE, "browser " + std::to_string(browser->GetIdentifier()) + ": opening " + url +
                                 " in a new tab or window cancelled by the request handler");
    return;
  }
  if (CefRefPtr<CefFrame> main = browser->GetMainFrame()) main->LoadURL(url);
}

}  // namespace cefcompat
