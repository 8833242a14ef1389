#include "host/DemoWindowActions.h"

#include <QPointer>
#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "host/DemoPages.h"
#include "plugins/basic_plugins/VellEmitPlugin.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"
#include "plugins/data_analysis_plugins/VellReportPlugin.h"

void DemoWindowActions::Bind(VellWidget* widget) {
  QPointer<VellWidget> page(widget);
  auto* ping = DemoPages::Find<VellPingPongPlugin>(widget);
  connect(ping, &VellPingPongPlugin::FirePingPong, this,
          [](const VellPingPongPluginModel::RequestModel& request,
             const VellPingPongPluginModel::FirePingPongCallback& answer) { answer({"pong: " + request.text}); });
  auto* move = DemoPages::Find<VellMoveWindowPlugin>(widget);
  connect(move, &VellMoveWindowPlugin::FireMoveWindowPlugin, this,
          [this, page](const VellMoveWindowPluginModel::RequestModel& request) {
            if (page) emit MoveRequested(page, request.deltaX, request.deltaY);
          });
  auto* state = DemoPages::Find<VellBrowserWindowStatePlugin>(widget);
  connect(state, &VellBrowserWindowStatePlugin::FireChangeWindowAction, this,
          [this, page](const VellBrowserWindowStatePluginModel::FireChangeWindowActionModel& request) {
            if (page) emit WindowActionRequested(page, request.windowAction);
          });
  connect(DemoPages::Find<VellEmitPlugin>(widget), &VellEmitPlugin::FireEmit, this, [this, page](const std::string& json) {
    if (page) emit PageEvent(page, QString::fromStdString(json));
  });
  connect(DemoPages::Find<VellReportPlugin>(widget), &VellReportPlugin::FireReport, this,
          [](const VellReportPluginModel::FireReportModel& report) {
            VellLog(LOGSEVERITY_INFO, fmt::format("report: {} {} {}", report.key, report.desc, report.extJson));
          });
}
