#include "browser/field_popup_runner.h"

#include <QRect>

#include "base/log.h"
#include "base/task_thread.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

constexpr char kFieldPopupBinding[] = "__cefcompatFieldPopup";

// Each document remembers the field whose popup is open and what a choice
// does to it. A select's list and a datalist's suggestions are reported
// instead of Chromium's opening; a picker is reported once Chromium has
// opened it (it matches `:open`), so it opens exactly when Chromium's
// would, and the runtime closes Chromium's.
// A frame's place in the page is the sum of its frame elements' places; a
// frame of another origin, which cannot read them, takes it from the mouse
// (screen less frame positions, less the window's).
const char kFieldPopupScript[] = R"JS((() => {
  const report = window.__cefcompatFieldPopup;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatFieldPopup; } catch (e) {}
  const mostOptions = 100000;  // a longer list is cut, and the log says so
  let open = null, opened = 0;
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
  const tell = (field, details, choose) => {
    open = {field, choose, id: ++opened};
    const r = field.getBoundingClientRect(), offset = frameOffset();
    report(JSON.stringify(Object.assign({id: opened, x: r.left + offset.x, y: r.top + offset.y, width: r.width,
                                         height: r.height}, details)));
  };
  const fire = (field, input) => {
    field.dispatchEvent(input || new Event('input', {bubbles: true, composed: true}));
    field.dispatchEvent(new Event('change', {bubbles: true}));
  };

  const isList = (select) => select.multiple || select.size > 1;
  const showSelect = (select, chromiumOpen) => {
    // An option outside groups that can be chosen is just its label.
    const options = Array.from(Array.prototype.slice.call(select.options, 0, mostOptions), (option) => {
      const label = option.label || option.text;
      const group = option.parentElement instanceof HTMLOptGroupElement ? option.parentElement : null;
      const enabled = !option.disabled && !(group && group.disabled);
      return group || !enabled ? {label, group: group ? group.label : '', enabled} : label;
    });
    tell(select, {kind: 'select', chromiumOpen, selected: select.selectedIndex, options, total: select.length}, (index) => {
      if (index < 0 || index === select.selectedIndex) return;
      select.selectedIndex = index;
      fire(select);
    });
  };

  // A datalist suggests the options that contain what is typed, as Chromium does.
  const suggestions = (input) => {
    const list = input.list;
    if (!list || input.disabled || input.readOnly) return [];
    const typed = input.value.toLowerCase();
    return Array.from(list.options).filter((o) => !o.disabled && o.value &&
        (o.value.toLowerCase().includes(typed) || o.label.toLowerCase().includes(typed)));
  };
  const showSuggestions = (input, chromiumOpen) => {
    const all = suggestions(input), found = all.slice(0, mostOptions);
    if (!all.length) return false;
    const options = found.map((o) => (o.label && o.label !== o.value ? o.value + '  ' + o.label : o.value));
    tell(input, {kind: 'datalist', chromiumOpen, selected: -1, options, total: all.length}, (index) => {
      if (index < 0 || index >= found.length) return;
      input.value = found[index].value;
      fire(input, new InputEvent('input', {bubbles: true, composed: true, inputType: 'insertReplacementText'}));
    });
    return true;
  };

  const pickers = new Set(['date', 'time', 'datetime-local', 'month', 'week', 'color']);
  const isPicker = (field) => field instanceof HTMLInputElement && pickers.has(field.type);
  const showPicker = (field) => {
    tell(field, {kind: field.type, chromiumOpen: true, value: field.value, min: field.min, max: field.max}, (value) => {
      if (typeof value !== 'string' || value === field.value) return;
      field.value = value;
      fire(field);
    });
  };
  // After Chromium has handled the event: a popup it opened is shown here.
  const afterChromium = (field) => setTimeout(() => {
    if (!field.isConnected || !field.matches(':open')) return;
    if (field instanceof HTMLSelectElement) return showSelect(field, true);
    if (isPicker(field)) return showPicker(field);
    showSuggestions(field, true);
  });

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
    showSelect(select, false);
  }, true);
  addEventListener('click', (e) => {
    const field = e.target;
    if (e.button !== 0 || !(field instanceof HTMLInputElement) || field.disabled) return;
    if (isPicker(field)) return afterChromium(field);
    if (field.list && document.activeElement === field) showSuggestions(field, false);
  }, true);
  addEventListener('keydown', (e) => {
    const field = document.activeElement;
    if (isPicker(field)) return afterChromium(field);
    const down = e.key === 'ArrowDown' || e.key === 'ArrowUp';
    if (field instanceof HTMLInputElement && field.list && down && !e.ctrlKey && !e.metaKey) {
      if (showSuggestions(field, false)) e.preventDefault();
      return;
    }
    if (!(field instanceof HTMLSelectElement) || isList(field) || field.disabled) return;
    if (!((e.altKey && down) || e.key === 'F4' || e.key === ' ')) return;
    e.preventDefault();
    showSelect(field, false);
  }, true);
  for (const kind of [HTMLInputElement, HTMLSelectElement]) {
    const own = kind.prototype.showPicker;
    if (typeof own !== 'function') continue;
    Object.defineProperty(kind.prototype, 'showPicker', {configurable: true, writable: true, value: function showPicker() {
      own.call(this);
      afterChromium(this);
    }});
  }
  // An answer for a popup the page has since replaced is late, and dropped.
  Object.defineProperty(window, '__cefcompatAnswerFieldPopup', {value: (id, answer) => {
    const shown = open;
    if (!shown || shown.id !== id) return;
    open = null;
    if (!shown.field.isConnected) return;
    shown.field.focus();
    shown.choose(answer);
  }});
})();
//# sourceURL=cefcompat://field-popup)JS";

QRect FieldOf(const Json& report) {
  return QRect(qRound(report.value("x", 0.0)), qRound(report.value("y", 0.0)), qRound(report.value("width", 0.0)),
               qRound(report.value("height", 0.0)));
}

}  // namespace

FieldPopupRunner::FieldPopupRunner(CefBrowser* browser) : browser_(browser) {}

void FieldPopupRunner::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kFieldPopupBinding, kFieldPopupScript,
                             [this](const Json& report, const Json& params) { OnReport(report, params); });
}

void FieldPopupRunner::OnReport(const Json& report, const Json& params) {
  if (!browser_->IsValid()) return;
  // Chromium's own popup, unseen, would keep the keys: Escape closes it,
  // and the page never sees that key.
  if (report.value("chromiumOpen", false)) {
    session_->Send("Input.dispatchKeyEvent",
                   {{"type", "rawKeyDown"}, {"key", "Escape"}, {"code", "Escape"}, {"windowsVirtualKeyCode", 27}});
  }
  const Asker asker{params.value("executionContextId", 0), report.value("id", 0)};
  const std::string kind = report.value("kind", std::string());
  if (kind == "select" || kind == "datalist") return ShowList(report, asker);
  ShowPicker(report, asker);
}

void FieldPopupRunner::ShowList(const Json& report, Asker asker) {
  const auto found = report.find("options");
  if (found == report.end() || !found->is_array()) return;
  const Json& options = *found;
  const size_t total = report.value("total", options.size());
  if (total > options.size()) {
    Log(LOGSEVERITY_WARNING, "a " + report.value("kind", std::string()) + "'s list shows its first " +
                                 std::to_string(options.size()) + " of " + std::to_string(total) + " options");
  }
  std::vector<DefaultDialogs::SelectOption> items;
  items.reserve(options.size());
  for (const Json& option : options) {
    if (option.is_string()) {
      items.push_back({option.get<std::string>(), std::string(), true});
      continue;
    }
    items.push_back({option.value("label", std::string()), option.value("group", std::string()),
                     option.value("enabled", true)});
  }
  CefRefPtr<CefBrowser> keep(browser_);
  DefaultDialogs::ShowSelectPopup(browser_->GetHost()->GetWindowHandle(), FieldOf(report), std::move(items),
                                  report.value("selected", -1), [this, keep, asker](int index) {
                                    Threads::Post(TID_UI, [this, keep, asker, index] {
                                      Answer(asker, std::to_string(index));
                                    });
                                  });
}

void FieldPopupRunner::ShowPicker(const Json& report, Asker asker) {
  const DefaultDialogs::FieldValue field{report.value("kind", std::string()), report.value("value", std::string()),
                                         report.value("min", std::string()), report.value("max", std::string())};
  CefRefPtr<CefBrowser> keep(browser_);
  DefaultDialogs::ShowValuePicker(browser_->GetHost()->GetWindowHandle(), FieldOf(report), field,
                                  [this, keep, asker](std::optional<std::string> value) {
                                    const std::string answer = value ? Json(*value).dump() : "null";
                                    Threads::Post(TID_UI, [this, keep, asker, answer] { Answer(asker, answer); });
                                  });
}

void FieldPopupRunner::Answer(Asker asker, const std::string& answer) {
  if (!browser_->IsValid()) return;
  session_->Send("Runtime.evaluate", {{"expression", "window.__cefcompatAnswerFieldPopup(" + std::to_string(asker.id) + ", " + answer + ")"},
                                      {"contextId", asker.contextId},
                                      {"userGesture", true}});
}

}  // namespace cefcompat
