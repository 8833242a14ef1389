#include "browser/key_reporter.h"

namespace cefcompat {

namespace {

constexpr char kKeyBinding[] = "__cefcompatKeys";

const char kKeyScript[] = R"JS((() => {
  const report = window.__cefcompatKeys;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatKeys; } catch (e) {}
  if (window !== window.top) return;
  const send = (type) => (event) => report(JSON.stringify({
    type, keyCode: event.keyCode, charCode: event.charCode,
    shift: event.shiftKey, ctrl: event.ctrlKey, alt: event.altKey, meta: event.metaKey}));
  addEventListener('keydown', send('down'), true);
  addEventListener('keypress', send('char'), true);
  addEventListener('keyup', send('up'), true);
})();
//# sourceURL=cefcompat://keys)JS";

uint32 ReportedModifiers(const Json& report) {
  uint32 modifiers = 0;
  if (report.value("shift", false)) modifiers |= EVENTFLAG_SHIFT_DOWN;
  if (report.value("ctrl", false)) modifiers |= EVENTFLAG_CONTROL_DOWN;
  if (report.value("alt", false)) modifiers |= EVENTFLAG_ALT_DOWN;
  if (report.value("meta", false)) modifiers |= EVENTFLAG_COMMAND_DOWN;
  return modifiers;
}

}  // namespace

KeyReporter::KeyReporter(CefBrowser* browser, CefRefPtr<CefClient> client)
    : browser_(browser), client_(std::move(client)) {}

void KeyReporter::Install(PageSession& session) {
  session.AddReportingScript(kKeyBinding, kKeyScript, [this](const Json& report, const Json&) { OnReport(report); });
}

void KeyReporter::OnReport(const Json& report) {
  auto handler = client_ ? client_->GetKeyboardHandler() : nullptr;
  if (!handler || !browser_->IsValid()) return;
  const std::string type = report.value("type", std::string());
  CefKeyEvent event;
  event.type = type == "down" ? KEYEVENT_RAWKEYDOWN : type == "up" ? KEYEVENT_KEYUP : KEYEVENT_CHAR;
  event.modifiers = ReportedModifiers(report);
  if (event.type == KEYEVENT_CHAR) {
    event.windows_key_code = report.value("charCode", 0);
    event.character = static_cast<char16>(event.windows_key_code);
  } else {
    event.windows_key_code = report.value("keyCode", 0);
  }
  event.unmodified_character = event.character;
  bool isShortcut = false;
  if (handler->OnPreKeyEvent(browser_, event, nullptr, &isShortcut)) return;
  handler->OnKeyEvent(browser_, event, nullptr);
}

}  // namespace cefcompat
