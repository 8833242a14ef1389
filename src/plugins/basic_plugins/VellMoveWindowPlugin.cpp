#include "plugins/basic_plugins/VellMoveWindowPlugin.h"

VellMoveWindowPlugin::VellMoveWindowPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellMoveWindowPluginModel::RequestModel>("VellMoveWindowPluginModel::RequestModel");
}

void VellMoveWindowPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellMoveWindowPluginModel::RequestModel>(this, frame, message, &VellMoveWindowPlugin::FireMoveWindowPlugin);
}
