#include "plugins/game_plugins/VellSelectInstallDirectoryPlugin.h"

VellSelectInstallDirectoryPlugin::VellSelectInstallDirectoryPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSelectInstallDirectoryPluginModelModel::RequestModel>(
      "VellSelectInstallDirectoryPluginModelModel::RequestModel");
  qRegisterMetaType<VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback>(
      "VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback");
}

void VellSelectInstallDirectoryPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                   cef_process_id_t,
                                                                   const VellProcessMessage& message) {
  EmptyCallbackFlow<VellSelectInstallDirectoryPluginModelModel::RequestModel>(
      this, frame, message, &VellSelectInstallDirectoryPlugin::FireSelectInstallDirectory);
}
