#include "browser/display_reporter.h"

#include <algorithm>
#include <map>

#include "base/log.h"
#include "view/screencast_view.h"

namespace cefcompat {

namespace {

constexpr char kDisplayBinding[] = "__cefcompatDisplay";

// Reports what changes under the mouse (cursor, tooltip, link) and the main
// document's fullscreen state. An `auto` cursor is what a browser shows for
// it: an I-beam over text and editable fields, an arrow elsewhere; a `url()`
// cursor is its fallback keyword.
const char kDisplayScript[] = R"JS((() => {
  const report = window.__cefcompatDisplay;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatDisplay; } catch (e) {}
  const last = {};
  const send = (kind, value) => {
    if (last[kind] === value) return;
    last[kind] = value;
    report(JSON.stringify({kind, value}));
  };
  const textField = (element) => element.isContentEditable || element.tagName === 'TEXTAREA' ||
      (element.tagName === 'INPUT' && /^(text|search|email|url|tel|password|number|)$/.test(element.type));
  const overText = (x, y) => {
    const caret = document.caretRangeFromPoint && document.caretRangeFromPoint(x, y);
    if (!caret || caret.startContainer.nodeType !== Node.TEXT_NODE) return false;
    const text = document.createRange();
    text.selectNodeContents(caret.startContainer);
    return Array.from(text.getClientRects()).some((box) =>
        x >= box.left && x <= box.right && y >= box.top && y <= box.bottom);
  };
  const cursorOf = (element, event) => {
    const cursor = getComputedStyle(element).cursor.split(',').pop().trim();
    if (cursor !== 'auto') return cursor;
    return textField(element) || overText(event.clientX, event.clientY) ? 'text' : 'default';
  };
  // Read once the move's listeners have all run (a page may set its cursor in
  // its own), for the newest of the moves since the last reading.
  let newest = null;
  const readUnderMouse = () => {
    const event = newest;
    newest = null;
    const element = event.target instanceof Element ? event.target : null;
    if (!element || !element.isConnected) return;
    send('cursor', cursorOf(element, event));
    const titled = element.closest('[title]');
    send('tooltip', titled ? titled.title : '');
    const link = element.closest('a[href]');
    send('status', link ? link.href : '');
  };
  addEventListener('mousemove', (event) => {
    if (!newest) setTimeout(readUnderMouse, 0);
    newest = event;
  }, true);
  document.addEventListener('mouseout', (event) => {
    if (event.relatedTarget) return;
    send('tooltip', '');
    send('status', '');
  }, true);
  if (window !== window.top) return;
  document.addEventListener('fullscreenchange', () => send('fullscreen', !!document.fullscreenElement));
})();
//# sourceURL=cefcompat://display)JS";

cef_cursor_type_t CursorTypeOf(const std::string& css) {
  static const std::map<std::string, cef_cursor_type_t> kTypes = {
      {"default", CT_POINTER},       {"pointer", CT_HAND},
      {"text", CT_IBEAM},            {"vertical-text", CT_VERTICALTEXT},
      {"crosshair", CT_CROSS},       {"wait", CT_WAIT},
      {"progress", CT_PROGRESS},     {"help", CT_HELP},
      {"move", CT_MOVE},             {"all-scroll", CT_MIDDLEPANNING},
      {"e-resize", CT_EASTRESIZE},   {"n-resize", CT_NORTHRESIZE},
      {"ne-resize", CT_NORTHEASTRESIZE}, {"nw-resize", CT_NORTHWESTRESIZE},
      {"s-resize", CT_SOUTHRESIZE},  {"se-resize", CT_SOUTHEASTRESIZE},
      {"sw-resize", CT_SOUTHWESTRESIZE}, {"w-resize", CT_WESTRESIZE},
      {"ns-resize", CT_NORTHSOUTHRESIZE}, {"ew-resize", CT_EASTWESTRESIZE},
      {"nesw-resize", CT_NORTHEASTSOUTHWESTRESIZE}, {"nwse-resize", CT_NORTHWESTSOUTHEASTRESIZE},
      {"col-resize", CT_COLUMNRESIZE}, {"row-resize", CT_ROWRESIZE},
      {"cell", CT_CELL},             {"context-menu", CT_CONTEXTMENU},
      {"alias", CT_ALIAS},           {"no-drop", CT_NODROP},
      {"copy", CT_COPY},             {"none", CT_NONE},
      {"not-allowed", CT_NOTALLOWED}, {"zoom-in", CT_ZOOMIN},
      {"zoom-out", CT_ZOOMOUT},      {"grab", CT_GRAB},
      {"grabbing", CT_GRABBING},
  };
  const auto type = kTypes.find(css);
  return type == kTypes.end() ? CT_POINTER : type->second;
}

// The share of the load a document's own response stands for before any of
// its subresources is known.
constexpr double kProgressAtStart = 0.1;

}  // namespace

DisplayReporter::DisplayReporter(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames,
                                 ScreencastView& view)
    : browser_(browser), client_(std::move(client)), frames_(frames), view_(view) {}

void DisplayReporter::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kDisplayBinding, kDisplayScript, [this](const Json& report, const Json&) { OnReport(report); });
  session.On("Page.frameStartedLoading", [this](const Json& params) {
    if (frames_.IsMain(params.value("frameId", std::string()))) StartProgress();
  });
  session.On("Page.frameStoppedLoading", [this](const Json& params) {
    if (!loading_ || !frames_.IsMain(params.value("frameId", std::string()))) return;
    loading_ = false;
    ReportProgress(1);
  });
  session.On("Network.requestWillBeSent", [this](const Json&) { OnRequest(false); });
  session.On("Network.loadingFinished", [this](const Json&) { OnRequest(true); });
  session.On("Network.loadingFailed", [this](const Json&) { OnRequest(true); });
}

CefRefPtr<CefDisplayHandler> DisplayReporter::Handler() const {
  return client_ ? client_->GetDisplayHandler() : nullptr;
}

void DisplayReporter::OnReport(const Json& report) {
  if (!browser_->IsValid()) return;
  const std::string kind = report.value("kind", std::string());
  const Json& value = report.contains("value") ? report["value"] : Json();
  if (kind == "cursor" && value.is_string()) return OnCursor(value.get<std::string>());
  if (kind == "tooltip" && value.is_string()) return OnTooltip(value.get<std::string>());
  if (kind == "fullscreen" && value.is_boolean()) return OnFullscreen(value.get<bool>());
  if (kind == "status" && value.is_string()) {
    if (auto handler = Handler()) handler->OnStatusMessage(browser_, value.get<std::string>());
  }
}

void DisplayReporter::OnCursor(const std::string& css) {
  const cef_cursor_type_t type = CursorTypeOf(css);
  auto handler = Handler();
  if (handler && handler->OnCursorChange(browser_, 0, type, CefCursorInfo())) return;
  view_.ShowCursor(type);
}

void DisplayReporter::OnTooltip(const std::string& text) {
  CefString shown(text);
  auto handler = Handler();
  if (handler && handler->OnTooltip(browser_, shown)) return;
  view_.ShowTooltip(shown.ToString());
}

void DisplayReporter::OnFullscreen(bool fullscreen) {
  if (fullscreen_ == fullscreen) return;
  fullscreen_ = fullscreen;
  Log(LOGSEVERITY_INFO, std::string("browser ") + std::to_string(browser_->GetIdentifier()) +
                            (fullscreen ? " entered" : " left") + " fullscreen");
  if (auto handler = Handler()) handler->OnFullscreenModeChange(browser_, fullscreen);
}

bool DisplayReporter::LeavesFullscreen(const CefKeyEvent& event) {
  constexpr int kEscape = 0x1B;
  if (event.windows_key_code != kEscape || !fullscreen_ || !session_) return false;
  if (event.type == KEYEVENT_RAWKEYDOWN) {
    session_->Send("Runtime.evaluate", {{"expression", "document.exitFullscreen()"}});
  }
  return true;
}

void DisplayReporter::StartProgress() {
  loading_ = true;
  requestsStarted_ = 0;
  requestsFinished_ = 0;
  progress_ = kProgressAtStart;
  if (auto handler = Handler()) handler->OnLoadingProgressChange(browser_, progress_);
}

void DisplayReporter::OnRequest(bool finished) {
  if (!loading_) return;
  ++(finished ? requestsFinished_ : requestsStarted_);
  if (requestsStarted_ == 0) return;
  const double done = std::min(1.0, static_cast<double>(requestsFinished_) / requestsStarted_);
  ReportProgress(kProgressAtStart + (1 - 2 * kProgressAtStart) * done);
}

// The progress only grows within a load, and small steps are not reported.
void DisplayReporter::ReportProgress(double progress) {
  if (progress < 1 && progress < progress_ + 0.01) return;
  progress_ = progress;
  if (auto handler = Handler()) handler->OnLoadingProgressChange(browser_, progress);
}

}  // namespace cefcompat
