#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"

VellBrowserWindowStatePlugin::VellBrowserWindowStatePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellBrowserWindowStatePluginModel::FireChangeWindowActionModel>(
      "VellBrowserWindowStatePluginModel::FireChangeWindowActionModel");
}

void VellBrowserWindowStatePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                               cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellBrowserWindowStatePluginModel::FireChangeWindowActionModel>(
      this, frame, message, &VellBrowserWindowStatePlugin::FireChangeWindowAction);
}

std::shared_ptr<VellError> VellBrowserWindowStatePlugin::NotifyWindowNormalSizeChanged(const VellWidget* widget,
                                                                                       bool normal) {
  return _Notify(widget, "window.vell.browserModule.$$notifyWindowNormalSizeChanged({});", normal ? "true" : "false");
}
