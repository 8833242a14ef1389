#include "plugins/ui_plugins/VellToastPlugin.h"

VellToastPlugin::VellToastPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellToastPluginModel::FireToastModel>("VellToastPluginModel::FireToastModel");
}

void VellToastPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                  const VellProcessMessage& message) {
  EmitFlow<VellToastPluginModel::FireToastModel>(this, frame, message, &VellToastPlugin::FireToast);
}

std::shared_ptr<VellError> VellToastPlugin::NotifyToast(const VellWidget* widget,
                                                        VellToastPluginModel::NotifyToastModel model) {
  return _Notify(widget, "window.vell.uiModule.$$notifyToast({});", _ToResponseJson(model));
}
