#include "browser/clipboard_bridge.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "base/log.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

constexpr char kClipboardBinding[] = "__cefcompatClipboard";
// Larger clipboards are refused both ways, with a log line: the page gets
// nothing rather than a launcher stalled by a copy of a whole disk image.
constexpr size_t kLargestClipboard = 16 * 1024 * 1024;

// Reports what a copy or cut put on the clipboard, after every listener ran
// (the one that decides is put last on each event): what the page set on the
// event if it cancelled it, otherwise the selection (a field's own selection
// inside it). navigator.clipboard's writes are reported once Chromium let them
// through.
const char kClipboardScript[] = R"JS((() => {
  const report = window.__cefcompatClipboard;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatClipboard; } catch (e) {}
  const selected = () => {
    const field = document.activeElement;
    if (field && /^(INPUT|TEXTAREA)$/.test(field.tagName) && typeof field.selectionStart === 'number') {
      return {text: field.value.slice(field.selectionStart, field.selectionEnd), html: ''};
    }
    const selection = getSelection();
    if (!selection || selection.isCollapsed) return {text: '', html: ''};
    const holder = document.createElement('div');
    for (let i = 0; i < selection.rangeCount; ++i) holder.append(selection.getRangeAt(i).cloneContents());
    return {text: selection.toString(), html: holder.innerHTML};
  };
  const onCopy = (event) => {
    const copied = event.defaultPrevented && event.clipboardData
        ? {text: event.clipboardData.getData('text/plain'), html: event.clipboardData.getData('text/html')}
        : selected();
    if (copied.text || copied.html) report(JSON.stringify(copied));
  };
  for (const kind of ['copy', 'cut']) {
    addEventListener(kind, () => {
      removeEventListener(kind, onCopy);
      addEventListener(kind, onCopy);
    }, true);
  }
  const clipboard = navigator.clipboard;
  if (!clipboard) return;
  const writeText = clipboard.writeText.bind(clipboard);
  clipboard.writeText = (text) => writeText(text).then(() => { report(JSON.stringify({text: String(text), html: ''})); });
  const write = clipboard.write.bind(clipboard);
  clipboard.write = (items) => write(items).then(async () => {
    const read = async (type) => {
      const item = items.find((each) => each.types.includes(type));
      return item ? (await item.getType(type)).text() : '';
    };
    report(JSON.stringify({text: await read('text/plain'), html: await read('text/html')}));
  });
})();
//# sourceURL=cefcompat://clipboard)JS";

// Dispatches a paste event carrying the text (and HTML) at the focused
// element, inside same-origin frames too; answers what is left to do.
const char kPasteScript[] = R"JS(((text, html) => {
  let doc = document;
  try {
    while (doc.activeElement && doc.activeElement.contentDocument) doc = doc.activeElement.contentDocument;
  } catch (e) {}
  const target = doc.activeElement || doc.body;
  if (!target) return 'none';
  const data = new DataTransfer();
  data.setData('text/plain', text);
  if (html) data.setData('text/html', html);
  const event = new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true, composed: true});
  if (!target.dispatchEvent(event)) return 'handled';
  if (html && target.isContentEditable) return doc.execCommand('insertHTML', false, html) ? 'handled' : 'insert';
  return target.isContentEditable || /^(INPUT|TEXTAREA)$/.test(target.tagName) ? 'insert' : 'none';
}))JS";

bool HasClipboard() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// False, with a log line, for a copy or paste over the limit.
bool WithinLimit(const char* what, size_t bytes) {
  if (bytes <= kLargestClipboard) return true;
  Log(LOGSEVERITY_WARNING, std::string("clipboard: a ") + what + " of " + std::to_string(bytes) +
                               " bytes is refused (more than " + std::to_string(kLargestClipboard) + ")");
  return false;
}

}  // namespace

ClipboardBridge::ClipboardBridge(CefBrowser* browser) : browser_(browser) {}

void ClipboardBridge::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kClipboardBinding, kClipboardScript, [this](const Json& report, const Json&) { OnReport(report); });
}

void ClipboardBridge::OnReport(const Json& report) {
  const std::string text = report.value("text", std::string());
  const std::string html = report.value("html", std::string());
  if (!WithinLimit("copy", text.size() + html.size()) || !HasClipboard()) return;
  Threads::PostToQt([text = QString::fromStdString(text), html = QString::fromStdString(html)] {
    auto* data = new QMimeData();
    data->setText(text);
    if (!html.isEmpty()) data->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(data);
  });
}

void ClipboardBridge::Paste(std::function<void()> done) {
  if (!HasClipboard()) return done();
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep, done = std::move(done)]() mutable {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const std::string text = data && data->hasText() ? data->text().toStdString() : std::string();
    const std::string html = data && data->hasHtml() ? data->html().toStdString() : std::string();
    Threads::Post(TID_UI, [this, keep, text, html, done = std::move(done)]() mutable {
      PasteNow(text, html, std::move(done));
    });
  });
}

void ClipboardBridge::PasteNow(const std::string& text, const std::string& html, std::function<void()> done) {
  if (!browser_->IsValid() || !session_) return done();
  if (text.empty() && html.empty()) {
    Log(LOGSEVERITY_WARNING, "clipboard: nothing to paste (the clipboard holds no text)");
    return done();
  }
  if (!WithinLimit("paste", text.size() + html.size())) return done();
  const auto literal = [](const std::string& value) { return Json(value).dump(-1, ' ', false, Json::error_handler_t::replace); };
  const std::string expression = std::string(kPasteScript) + "(" + literal(text) + ", " + literal(html) + ")";
  CefRefPtr<CefBrowser> keep(browser_);
  session_->Send("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}, {"userGesture", true}},
                 [this, keep, text, done = std::move(done)](const Connection::Reply& reply) {
                   const Json result = reply.ok ? reply.result.value("result", Json::object()) : Json::object();
                   if (result.value("value", std::string()) == "insert" && keep->IsValid()) {
                     session_->Send("Input.insertText", {{"text", text}});
                   }
                   done();
                 });
}

}  // namespace cefcompat
