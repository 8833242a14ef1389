#include "browser/select_popup_runner.h"

#include <QRect>

#include "base/log.h"
#include "base/task_thread.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

constexpr char kSelectBinding[] = "__cefcompatSelect";
// A list longer than this is cut, and the log says so.
constexpr size_t kMostOptions = 10000;

// Each document remembers the select whose list is open; the runtime's answer
// picks an option by index. A frame's place in the page is the sum of its
// frame elements' places; a frame of another origin, which cannot read them,
// takes it from the mouse (screen less frame positions, less the window's).
const char kSelectScript[] = R"JS((() => {
  const report = window.__cefcompatSelect;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatSelect; } catch (e) {}
  let open = null;
  let mouseOffset = {x: 0, y: 0};
  const frameOffset = () => {
    const offset = {x: 0, y: 0};
    try {
      for (let w = window; w !== top; w = w.parent) {
        const frame = w.frameElement, r = frame.getBoundingClientRect();
        offset.x += r.left + frame.clientLeft;
        offset.y += r.top + frame.clientTop;
      }
      return offset;
    } catch (e) {
      return mouseOffset;
    }
  };
  const isList = (select) => select.multiple || select.size > 1;
  const show = (select) => {
    open = select;
    const r = select.getBoundingClientRect();
    const options = Array.from(select.options, (option) => {
      const group = option.parentElement instanceof HTMLOptGroupElement ? option.parentElement : null;
      return {label: option.label || option.text, group: group ? group.label : '',
              enabled: !option.disabled && !(group && group.disabled)};
    });
    const offset = frameOffset();
    report(JSON.stringify({x: r.left + offset.x, y: r.top + offset.y, width: r.width, height: r.height,
                           selected: select.selectedIndex, options}));
  };
  const track = (e) => {
    mouseOffset = {x: e.screenX - e.clientX - screenX, y: e.screenY - e.clientY - screenY - (outerHeight - innerHeight)};
  };
  addEventListener('mousemove', track, true);
  addEventListener('mousedown', (e) => {
    track(e);
    const select = e.target instanceof Element ? e.target.closest('select') : null;
    if (!select || isList(select) || select.disabled || e.button !== 0) return;
    e.preventDefault();
    select.focus();
    show(select);
  }, true);
  addEventListener('keydown', (e) => {
    const select = document.activeElement;
    if (!(select instanceof HTMLSelectElement) || isList(select) || select.disabled) return;
    const opens = (e.altKey && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) || e.key === 'F4' || e.key === ' ';
    if (!opens) return;
    e.preventDefault();
    show(select);
  }, true);
  Object.defineProperty(window, '__cefcompatChooseOption', {value: (index) => {
    const select = open;
    open = null;
    if (!select || !select.isConnected) return;
    select.focus();
    if (index < 0 || index === select.selectedIndex) return;
    select.selectedIndex = index;
    select.dispatchEvent(new Event('input', {bubbles: true, composed: true}));
    select.dispatchEvent(new Event('change', {bubbles: true}));
  }});
})();
//# sourceURL=cefcompat://select)JS";

}  // namespace

SelectPopupRunner::SelectPopupRunner(CefBrowser* browser) : browser_(browser) {}

void SelectPopupRunner::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kSelectBinding, kSelectScript,
                             [this](const Json& report, const Json& params) { OnReport(report, params); });
}

void SelectPopupRunner::OnReport(const Json& report, const Json& params) {
  if (!browser_->IsValid()) return;
  const int contextId = params.value("executionContextId", 0);
  const Json options = report.value("options", Json::array());
  std::vector<DefaultDialogs::SelectOption> items;
  for (const Json& option : options) {
    if (items.size() == kMostOptions) {
      Log(LOGSEVERITY_WARNING, "a select's list shows its first " + std::to_string(kMostOptions) + " of " +
                                   std::to_string(options.size()) + " options");
      break;
    }
    items.push_back({option.value("label", std::string()), option.value("group", std::string()),
                     option.value("enabled", true)});
  }
  const QRect at(qRound(report.value("x", 0.0)), qRound(report.value("y", 0.0)), qRound(report.value("width", 0.0)),
                 qRound(report.value("height", 0.0)));
  CefRefPtr<CefBrowser> keep(browser_);
  DefaultDialogs::ShowSelectPopup(browser_->GetHost()->GetWindowHandle(), at, std::move(items),
                                  report.value("selected", -1), [this, keep, contextId](int index) {
                                    Threads::Post(TID_UI, [this, keep, contextId, index] { Choose(contextId, index); });
                                  });
}

void SelectPopupRunner::Choose(int contextId, int index) {
  if (!browser_->IsValid()) return;
  session_->Send("Runtime.evaluate", {{"expression", "window.__cefcompatChooseOption(" + std::to_string(index) + ")"},
                                      {"contextId", contextId},
                                      {"userGesture", true}});
}

}  // namespace cefcompat
