#include "plugins/basic_plugins/VellLocalStoragePlugin.h"

VellLocalStoragePlugin::VellLocalStoragePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellLocalStoragePluginModel::FireLocalStorageModel>(
      "VellLocalStoragePluginModel::FireLocalStorageModel");
  qRegisterMetaType<VellLocalStoragePluginModel::FireLocalStorageResponseModel>(
      "VellLocalStoragePluginModel::FireLocalStorageResponseModel");
  qRegisterMetaType<VellLocalStoragePluginModel::FireLocalStorageCallback>(
      "VellLocalStoragePluginModel::FireLocalStorageCallback");
}

void VellLocalStoragePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                         cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellLocalStoragePluginModel::FireLocalStorageModel,
               VellLocalStoragePluginModel::FireLocalStorageResponseModel>(
      this, frame, message, &VellLocalStoragePlugin::FireLocalStorage, Answer::Direct);
}
