#include "browser/caret_reporter.h"

#include "view/screencast_view.h"

namespace cefcompat {

namespace {

constexpr char kCaretBinding[] = "__cefcompatCaret";

// A field's caret: its text up to the caret measured in the field's font (a
// single line), or the selection's own rectangle in editable content; the
// field's bottom-left corner where neither can be told. Main frame only.
const char kCaretScript[] = R"JS((() => {
  const report = window.__cefcompatCaret;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatCaret; } catch (e) {}
  if (window !== window.top) return;
  const canvas = document.createElement('canvas').getContext('2d');
  let last = '';
  const caret = () => {
    const field = document.activeElement;
    if (!field || field === document.body) return null;
    const box = field.getBoundingClientRect();
    const style = getComputedStyle(field);
    if (field instanceof HTMLInputElement && typeof field.selectionStart === 'number') {
      canvas.font = style.font;
      const before = field.value.slice(0, field.selectionStart);
      const x = box.left + field.clientLeft + parseFloat(style.paddingLeft) + canvas.measureText(before).width -
                field.scrollLeft;
      return {x: Math.min(x, box.right), y: box.top, width: 1, height: box.height};
    }
    const selection = getSelection();
    if (field.isContentEditable && selection.rangeCount) {
      const r = selection.getRangeAt(0).getBoundingClientRect();
      if (r.height) return {x: r.left, y: r.top, width: Math.max(r.width, 1), height: r.height};
    }
    if (field instanceof HTMLTextAreaElement || field.isContentEditable) {
      return {x: box.left, y: box.top, width: 1, height: Math.min(box.height, parseFloat(style.lineHeight) || 20)};
    }
    return null;
  };
  const update = () => {
    const rect = caret();
    const text = rect ? JSON.stringify(rect) : '';
    if (!rect || text === last) return;
    last = text;
    report(text);
  };
  document.addEventListener('selectionchange', update);
  addEventListener('focusin', update);
  addEventListener('input', update);
})();
//# sourceURL=cefcompat://caret)JS";

}  // namespace

CaretReporter::CaretReporter(CefBrowser* browser, ScreencastView& view) : browser_(browser), view_(view) {}

void CaretReporter::Install(PageSession& session) {
  session.AddReportingScript(kCaretBinding, kCaretScript, [this](const Json& rect, const Json&) {
    if (!browser_->IsValid()) return;
    view_.ShowCaret(rect.value("x", 0.0), rect.value("y", 0.0), rect.value("width", 1.0), rect.value("height", 0.0));
  });
}

}  // namespace cefcompat
