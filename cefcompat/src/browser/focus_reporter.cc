#include "browser/focus_reporter.h"

#include "view/screencast_view.h"

namespace cefcompat {

namespace {

constexpr char kFocusBinding[] = "__cefcompatFocus";

// Chromium moves the focus into a window in a few steps (focus, blur,
// focus): the page's focus is reported once it has held for a moment. The Tab
// listener is put last on each keydown, so that the page's own handlers (a
// dialog that keeps Tab inside itself) come first.
const char kFocusScript[] = R"JS((() => {
  const report = window.__cefcompatFocus;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatFocus; } catch (e) {}
  if (window !== window.top) return;
  const selector = 'a[href],area[href],button,input,select,textarea,iframe,summary,[tabindex],[contenteditable]';
  const tabbable = () => {
    const all = Array.from(document.querySelectorAll(selector)).filter((element) =>
        element.tabIndex >= 0 && !element.disabled && element.type !== 'hidden' && element.getClientRects().length);
    const ordered = all.filter((element) => element.tabIndex > 0).sort((a, b) => a.tabIndex - b.tabIndex);
    return ordered.concat(all.filter((element) => element.tabIndex === 0));
  };
  const onTab = (event) => {
    if (event.key !== 'Tab' || event.defaultPrevented || event.ctrlKey || event.altKey || event.metaKey) return;
    const elements = tabbable();
    const index = elements.indexOf(document.activeElement);
    const last = event.shiftKey ? 0 : elements.length - 1;
    if (elements.length && index !== last) return;
    event.preventDefault();
    if (document.activeElement) document.activeElement.blur();
    report(JSON.stringify({kind: 'take', next: !event.shiftKey}));
  };
  addEventListener('keydown', () => {
    removeEventListener('keydown', onTab);
    addEventListener('keydown', onTab);
  }, true);
  let focusCount = 0;
  const settle = () => {
    const count = ++focusCount;
    setTimeout(() => {
      if (count === focusCount) report(JSON.stringify({kind: document.hasFocus() ? 'got' : 'lost'}));
    }, 100);
  };
  addEventListener('focus', settle);
  addEventListener('blur', settle);
})();
//# sourceURL=cefcompat://focus)JS";

}  // namespace

FocusReporter::FocusReporter(CefBrowser* browser, CefRefPtr<CefClient> client, ScreencastView& view)
    : browser_(browser), client_(std::move(client)), view_(view) {}

void FocusReporter::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kFocusBinding, kFocusScript, [this](const Json& report, const Json&) { OnReport(report); });
}

void FocusReporter::SetFocus(bool focus) {
  if (!browser_->IsValid() || !session_) return;
  if (view_.UsesNativeWindow()) {
    if (focus) {
      view_.TakeKeyboard();
    } else {
      view_.ReleaseKeyboard();
    }
    return;
  }
  if (!focus) {
    focused_ = false;
    return;
  }
  OnGot();
}

CefRefPtr<CefFocusHandler> FocusReporter::Handler() const {
  return client_ ? client_->GetFocusHandler() : nullptr;
}

void FocusReporter::OnReport(const Json& report) {
  if (!browser_->IsValid()) return;
  const std::string kind = report.value("kind", std::string());
  if (kind == "got") return OnGot();
  if (kind == "lost") {
    focused_ = false;
    return;
  }
  if (kind != "take") return;
  focused_ = false;
  view_.ReleaseKeyboard();
  if (auto handler = Handler()) handler->OnTakeFocus(browser_, report.value("next", true));
}

void FocusReporter::OnGot() {
  if (focused_) return;
  auto handler = Handler();
  if (handler && handler->OnSetFocus(browser_, FOCUS_SOURCE_SYSTEM)) return LetGo();
  focused_ = true;
  if (handler) handler->OnGotFocus(browser_);
}

// A refused focus: the page's element lets go, and so does its window.
void FocusReporter::LetGo() {
  session_->Send("Runtime.evaluate", {{"expression", "document.activeElement && document.activeElement.blur()"}});
  view_.ReleaseKeyboard();
}

}  // namespace cefcompat
