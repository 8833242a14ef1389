#include "plugins/data_analysis_plugins/VellReportPlugin.h"

VellReportPlugin::VellReportPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellReportPluginModel::FireReportModel>("VellReportPluginModel::FireReportModel");
}

void VellReportPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                   const VellProcessMessage& message) {
  EmitFlow<VellReportPluginModel::FireReportModel>(this, frame, message, &VellReportPlugin::FireReport);
}
