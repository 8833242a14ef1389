#include "browser/js_dialog_runner.h"

#include <atomic>

#include "base/log.h"
#include "base/task_thread.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

// Answers one dialog; later calls are ignored.
class DialogCallback : public CefJSDialogCallback {
 public:
  DialogCallback(CefRefPtr<CefBrowser> browser, JsDialogRunner* runner, int serial)
      : browser_(std::move(browser)), runner_(runner), serial_(serial) {}

  void Continue(bool success, const CefString& user_input) override {
    if (answered_.exchange(true)) {
      Log(LOGSEVERITY_WARNING, "a JavaScript dialog was answered twice; the second answer is ignored");
      return;
    }
    CefRefPtr<CefBrowser> browser = browser_;
    JsDialogRunner* runner = runner_;
    const int serial = serial_;
    const std::string input = user_input.ToString();
    Threads::Post(TID_UI, [browser, runner, serial, success, input] { runner->Answer(serial, success, input); });
  }

 private:
  const CefRefPtr<CefBrowser> browser_;  // keeps the runner
  JsDialogRunner* const runner_;
  const int serial_;
  std::atomic<bool> answered_{false};
  IMPLEMENT_REFCOUNTING(DialogCallback);
};

cef_jsdialog_type_t DialogType(const std::string& type) {
  if (type == "confirm") return JSDIALOGTYPE_CONFIRM;
  if (type == "prompt") return JSDIALOGTYPE_PROMPT;
  return JSDIALOGTYPE_ALERT;
}

}  // namespace

JsDialogRunner::JsDialogRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session)
    : browser_(browser), client_(std::move(client)), session_(session) {}

void JsDialogRunner::Subscribe(PageSession& session) {
  session.On("Page.javascriptDialogOpening", [this](const Json& params) { OnOpening(params); });
  session.On("Page.javascriptDialogClosed", [this](const Json&) { OnClosed(); });
}

void JsDialogRunner::OnOpening(const Json& params) {
  const int serial = ++serial_;
  open_ = true;
  const std::string type = params.value("type", std::string());
  const std::string message = params.value("message", std::string());
  CefRefPtr<CefJSDialogHandler> handler = client_ ? client_->GetJSDialogHandler() : nullptr;
  CefRefPtr<CefJSDialogCallback> callback(new DialogCallback(browser_, this, serial));
  bool suppress = false;
  bool handled = false;
  if (handler && type == "beforeunload") {
    handled = handler->OnBeforeUnloadDialog(browser_, message, false, callback);
  } else if (handler) {
    handled = handler->OnJSDialog(browser_, params.value("url", std::string()), DialogType(type), message,
                                  params.value("defaultPrompt", std::string()), callback, suppress);
  }
  if (handled) return;
  if (suppress) {
    Log(LOGSEVERITY_INFO, "a " + type + " dialog was suppressed by the client: " + message);
    return Answer(serial, false, std::string());
  }
  DefaultDialogs::JsDialog dialog;
  dialog.type = DialogType(type);
  dialog.beforeUnload = type == "beforeunload";
  dialog.origin = params.value("url", std::string());
  dialog.message = message;
  dialog.defaultText = params.value("defaultPrompt", std::string());
  DefaultDialogs::ShowJsDialog(browser_->GetHost()->GetWindowHandle(), dialog, callback);
}

void JsDialogRunner::Answer(int serial, bool success, const std::string& userInput) {
  if (serial != serial_ || !open_) return;  // dismissed meanwhile, or a later dialog is open
  open_ = false;
  Json params = {{"accept", success}};
  if (success) params["promptText"] = userInput;
  session_.Send("Page.handleJavaScriptDialog", std::move(params));
  auto handler = client_ ? client_->GetJSDialogHandler() : nullptr;
  if (handler) handler->OnDialogClosed(browser_);
}

// Closed by Chromium without an answer from here (the page navigated away).
void JsDialogRunner::OnClosed() {
  if (open_) Reset();
}

// The dialog that asked, the client's or the runtime's own, goes too.
void JsDialogRunner::Reset() {
  open_ = false;
  DefaultDialogs::CloseAll(browser_->GetHost()->GetWindowHandle());
  if (auto handler = client_ ? client_->GetJSDialogHandler() : nullptr) handler->OnResetDialogState(browser_);
}

}  // namespace cefcompat
