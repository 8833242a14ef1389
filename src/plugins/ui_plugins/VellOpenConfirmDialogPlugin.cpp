#include "plugins/ui_plugins/VellOpenConfirmDialogPlugin.h"

VellOpenConfirmDialogPlugin::VellOpenConfirmDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellOpenConfirmDialogPluginModel::RequestModel>("VellOpenConfirmDialogPluginModel::RequestModel");
  qRegisterMetaType<VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogResponseModel>(
      "VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogResponseModel");
  qRegisterMetaType<VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback>(
      "VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback");
}

void VellOpenConfirmDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                              cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellOpenConfirmDialogPluginModel::RequestModel,
               VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogResponseModel>(
      this, frame, message, &VellOpenConfirmDialogPlugin::FireOpenConfirmDialog, Answer::Direct);
}
