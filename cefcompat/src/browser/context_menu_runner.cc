#include "browser/context_menu_runner.h"

namespace cefcompat {

namespace {

constexpr char kBinding[] = "__cefcompatContextMenu";

// Reports a right click the page did not cancel, after every listener ran.
const char kScript[] = R"JS((() => {
  const report = window.__cefcompatContextMenu;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatContextMenu; } catch (e) {}
  window.addEventListener('contextmenu', (event) => {
    setTimeout(() => {
      if (event.defaultPrevented) return;
      const target = event.target instanceof Element ? event.target : null;
      const link = target && target.closest('a[href]');
      const editable = !!target && (target.isContentEditable || /^(INPUT|TEXTAREA)$/.test(target.tagName));
      report(JSON.stringify({x: event.clientX, y: event.clientY, link: link ? link.href : '',
                             selection: String(getSelection ? getSelection() : ''), editable}));
    }, 0);
  });
})();
//# sourceURL=cefcompat://context-menu)JS";

}  // namespace

ContextMenuRunner::ContextMenuRunner(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames)
    : browser_(browser), client_(std::move(client)), frames_(frames) {}

void ContextMenuRunner::Install(PageSession& session) {
  session.On("Runtime.bindingCalled", [this](const Json& params) {
    if (params.value("name", std::string()) == kBinding) OnBinding(params);
  });
  session.Send("Runtime.addBinding", {{"name", kBinding}});
  session.Send("Page.addScriptToEvaluateOnNewDocument", {{"source", kScript}});
}

void ContextMenuRunner::OnBinding(const Json& params) {
  auto handler = client_ ? client_->GetContextMenuHandler() : nullptr;
  if (!handler) return;
  CefRefPtr<FrameImpl> frame = frames_.FrameOfContext(params.value("executionContextId", 0));
  const Json info = Json::parse(params.value("payload", std::string("{}")), nullptr, false);
  if (!info.is_object()) return;
  CefRefPtr<FrameImpl> main = frames_.Main();
  CefRefPtr<CefContextMenuParams> menuParams(
      new CefContextMenuParams(info.value("x", 0), info.value("y", 0), info.value("link", std::string()),
                               info.value("selection", std::string()), info.value("editable", false),
                               main ? main->GetURL() : CefString()));
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  model->AddItem(100, "&Back");
  model->AddItem(101, "&Forward");
  model->AddSeparator();
  model->AddItem(102, "Re&load");
  handler->OnBeforeContextMenu(browser_, frame.get(), menuParams, model);
  // No menu is shown on this runtime, whatever the model holds now.
}

}  // namespace cefcompat
