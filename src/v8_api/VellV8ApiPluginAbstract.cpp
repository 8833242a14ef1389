#include "v8_api/VellV8ApiPluginAbstract.h"

#include <fmt/format.h>

#include "core/VellHandler.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "utils/VellVarHelper.h"

void VellV8ApiPluginAbstract::HandleFromCefProcessMessage(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t /*sourceProcess*/,
                                                          const VellProcessMessage& message) {
  message.SendProcessMessage(PID_RENDERER, frame);
}

bool VellV8ApiPluginAbstract::IsStandardJsonPayload(const CefRefPtr<CefV8Value>& value) {
  if (!value || !value->IsObject() || !value->HasValue("json")) return false;
  CefRefPtr<CefV8Value> json = value->GetValue("json");
  return json && json->IsString();
}

std::string VellV8ApiPluginAbstract::GetStandardJsonPayload(const CefRefPtr<CefV8Value>& value) {
  return IsStandardJsonPayload(value) ? value->GetValue("json")->GetStringValue().ToString() : std::string();
}

std::shared_ptr<VellError> VellV8ApiPluginAbstract::S_RunJavascript(const VellWidget* widget, const std::string& script,
                                                                    bool waitForLoad) {
  if (!widget) {
    VellVarHelper::WarnIfNotRunningUnderQtThread(__FILE__, __LINE__, "VellV8ApiPluginAbstract::S_RunJavascript");
    return std::make_shared<VellError>("RunJavascript failed! vellWidget is nullptr", __FILE__, __LINE__,
                                       "VellV8ApiPluginAbstract::S_RunJavascript");
  }
  VellIndependentBrowser* browser = widget->GetVellIndependentBrowser();
  return S_RunJavascript(browser ? browser->GetVellHandler().get() : nullptr, script, waitForLoad);
}

std::shared_ptr<VellError> VellV8ApiPluginAbstract::S_RunJavascript(VellHandler* handler, const std::string& script,
                                                                    bool waitForLoad) {
  VellVarHelper::WarnIfNotRunningUnderQtThread(__FILE__, __LINE__, "VellV8ApiPluginAbstract::S_RunJavascript");
  if (!handler) {
    return std::make_shared<VellError>("RunJavascript failed! pCefHandler is nullptr", __FILE__, __LINE__,
                                       "VellV8ApiPluginAbstract::S_RunJavascript");
  }
  VellBrowserWrapper* wrapper = handler->GetBrowser();
  if (!wrapper) {
    return std::make_shared<VellError>("RunJavascript failed! pBrowser is nullptr", __FILE__, __LINE__,
                                       "VellV8ApiPluginAbstract::S_RunJavascript");
  }
  if (!waitForLoad) return wrapper->RunJavascript(script);
  VellSignalsWidget* signalsWidget = handler->GetVellSignalsWidget();
  if (!signalsWidget) {
    return std::make_shared<VellError>("RunJavascript failed! the browser's signals widget is gone", __FILE__, __LINE__,
                                       "VellV8ApiPluginAbstract::S_RunJavascript");
  }
  // The task holds the handler, and with it the wrapper, until it has run.
  signalsWidget->WaitOnLoadComplete([keep = CefRefPtr<VellHandler>(handler), script] {
    VellBrowserWrapper* browser = keep->GetBrowser();
    if (VellVarHelper::IsBlankPage(browser->GetMainFrameUrl())) {
      VellError::LogErrorChain(std::make_shared<VellError>(
          fmt::format("run javascript should not under url = about:blank, strJsScript = {}", script), __FILE__,
          __LINE__, "VellV8ApiPluginAbstract::S_RunJavascript"));
      return;
    }
    browser->RunJavascript(script);
  });
  return nullptr;
}

void VellV8ApiPluginAbstract::_RunOnPluginThread(QObject* plugin, std::function<void()> task) {
  QMetaObject::invokeMethod(plugin, std::move(task), Qt::AutoConnection);
}

std::shared_ptr<VellError> VellV8ApiPluginAbstract::_Notify(const VellWidget* widget, const char* scriptTemplate,
                                                            const std::string& text) {
  return S_RunJavascript(widget, fmt::format(fmt::runtime(scriptTemplate), text), true);
}
