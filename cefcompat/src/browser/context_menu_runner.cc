#include "browser/context_menu_runner.h"

#include <map>

#include "base/task_thread.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

constexpr char kMenuBinding[] = "__cefcompatContextMenu";

// Reports a right click the page did not cancel, after every listener ran;
// the listener that decides is put last on each click, so the page's own
// come first. Chromium's own menu is cancelled: the runtime shows the menu.
const char kMenuScript[] = R"JS((() => {
  const report = window.__cefcompatContextMenu;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatContextMenu; } catch (e) {}
  const onMenu = (event) => {
    if (event.defaultPrevented) return;
    event.preventDefault();
    const target = event.target instanceof Element ? event.target : null;
    const link = target && target.closest('a[href]');
    const editable = !!target && (target.isContentEditable || /^(INPUT|TEXTAREA)$/.test(target.tagName));
    report(JSON.stringify({x: event.clientX, y: event.clientY, link: link ? link.href : '',
                           selection: String(getSelection ? getSelection() : ''), editable}));
  };
  addEventListener('contextmenu', () => {
    removeEventListener('contextmenu', onMenu);
    addEventListener('contextmenu', onMenu);
  }, true);
})();
//# sourceURL=cefcompat://context-menu)JS";

// The editing commands of the default items, as Chromium names them.
const std::map<int, const char*>& EditingCommands() {
  static const std::map<int, const char*> commands = {
      {MENU_ID_UNDO, "undo"}, {MENU_ID_REDO, "redo"},     {MENU_ID_CUT, "cut"},
      {MENU_ID_COPY, "copy"}, {MENU_ID_PASTE, "paste"},   {MENU_ID_DELETE, "delete"},
      {MENU_ID_SELECT_ALL, "selectAll"},
  };
  return commands;
}

// The items a browser's menu has for what was clicked.
void FillDefault(CefMenuModel& model, CefContextMenuParams& info, CefBrowser& browser) {
  if (info.IsEditable()) {
    model.AddItem(MENU_ID_UNDO, "&Undo");
    model.AddItem(MENU_ID_REDO, "&Redo");
    model.AddSeparator();
    model.AddItem(MENU_ID_CUT, "Cu&t");
    model.AddItem(MENU_ID_COPY, "&Copy");
    model.AddItem(MENU_ID_PASTE, "&Paste");
    model.AddItem(MENU_ID_DELETE, "&Delete");
    model.AddSeparator();
    model.AddItem(MENU_ID_SELECT_ALL, "Select &all");
    return;
  }
  if (!info.GetSelectionText().empty()) {
    model.AddItem(MENU_ID_COPY, "&Copy");
    return;
  }
  model.AddItem(MENU_ID_BACK, "&Back");
  model.SetEnabled(MENU_ID_BACK, browser.CanGoBack());
  model.AddItem(MENU_ID_FORWARD, "&Forward");
  model.SetEnabled(MENU_ID_FORWARD, browser.CanGoForward());
  model.AddSeparator();
  model.AddItem(MENU_ID_RELOAD, "Re&load");
}

// Answers a menu the client shows itself, once.
class MenuCallback : public CefRunContextMenuCallback {
 public:
  MenuCallback(ContextMenuRunner* runner, CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
               CefRefPtr<CefContextMenuParams> params)
      : runner_(runner), browser_(std::move(browser)), frame_(std::move(frame)), params_(std::move(params)) {}
  void Continue(int command_id, cef_event_flags_t event_flags) override { Answer(command_id, event_flags); }
  void Cancel() override { Answer(-1, 0); }

 private:
  void Answer(int commandId, int flags) {
    if (answered_.exchange(true)) return;
    Threads::Post(TID_UI, [runner = runner_, browser = browser_, frame = frame_, params = params_, commandId, flags] {
      if (!browser->IsValid()) return;
      if (commandId >= 0) runner->Choose(frame, params, commandId, flags);
      runner->Dismiss(frame);
    });
  }
  ContextMenuRunner* runner_;
  CefRefPtr<CefBrowser> browser_;  // keeps the runner
  CefRefPtr<CefFrame> frame_;
  CefRefPtr<CefContextMenuParams> params_;
  std::atomic<bool> answered_{false};
  IMPLEMENT_REFCOUNTING(MenuCallback);
};

}  // namespace

ContextMenuRunner::ContextMenuRunner(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames)
    : browser_(browser), client_(std::move(client)), frames_(frames) {}

void ContextMenuRunner::Install(PageSession& session) {
  session_ = &session;
  session.AddReportingScript(kMenuBinding, kMenuScript,
                             [this](const Json& report, const Json& params) { OnReport(report, params); });
}

void ContextMenuRunner::OnReport(const Json& info, const Json& params) {
  if (!browser_->IsValid()) return;
  CefRefPtr<CefFrame> frame = frames_.FrameOfContext(params.value("executionContextId", 0)).get();
  CefRefPtr<FrameImpl> main = frames_.Main();
  CefRefPtr<CefContextMenuParams> menuParams(
      new CefContextMenuParams(info.value("x", 0), info.value("y", 0), info.value("link", std::string()),
                               info.value("selection", std::string()), info.value("editable", false),
                               main ? main->GetURL() : CefString()));
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  FillDefault(*model, *menuParams, *browser_);
  auto handler = client_ ? client_->GetContextMenuHandler() : nullptr;
  if (handler) handler->OnBeforeContextMenu(browser_, frame, menuParams, model);
  if (model->GetCount() == 0) return;
  CefRefPtr<MenuCallback> callback(new MenuCallback(this, browser_, frame, menuParams));
  if (handler && handler->RunContextMenu(browser_, frame, menuParams, model, callback.get())) return;
  DefaultDialogs::ShowContextMenu(browser_->GetHost()->GetWindowHandle(), menuParams->GetXCoord(),
                                  menuParams->GetYCoord(), model, [callback](int commandId) {
                                    if (commandId < 0) return callback->Cancel();
                                    callback->Continue(commandId, EVENTFLAG_NONE);
                                  });
}

void ContextMenuRunner::Choose(CefRefPtr<CefFrame> frame, CefRefPtr<CefContextMenuParams> params, int commandId,
                               int eventFlags) {
  auto handler = client_ ? client_->GetContextMenuHandler() : nullptr;
  if (handler &&
      handler->OnContextMenuCommand(browser_, frame, params, commandId, static_cast<cef_event_flags_t>(eventFlags))) {
    return;
  }
  RunDefault(commandId);
}

void ContextMenuRunner::Dismiss(CefRefPtr<CefFrame> frame) {
  auto handler = client_ ? client_->GetContextMenuHandler() : nullptr;
  if (handler) handler->OnContextMenuDismissed(browser_, frame);
}

void ContextMenuRunner::RunDefault(int commandId) {
  switch (commandId) {
    case MENU_ID_BACK: return browser_->GoBack();
    case MENU_ID_FORWARD: return browser_->GoForward();
    case MENU_ID_RELOAD: return browser_->Reload();
    case MENU_ID_RELOAD_NOCACHE: return browser_->ReloadIgnoreCache();
    case MENU_ID_STOPLOAD: return browser_->StopLoad();
    default: break;
  }
  if (commandId == MENU_ID_PASTE && paste_) return paste_();
  const auto command = EditingCommands().find(commandId);
  if (command == EditingCommands().end() || !session_) return;
  // An editing command goes with a key event, as a browser's menu runs it on
  // the focused element (paste included, which a page's script cannot do).
  session_->Send("Input.dispatchKeyEvent", {{"type", "rawKeyDown"}, {"commands", Json::array({command->second})}});
  session_->Send("Input.dispatchKeyEvent", {{"type", "keyUp"}});
}

}  // namespace cefcompat
