#include "app/DemoRuntime.h"

#include <QFile>
#include <nlohmann/json.hpp>

#include "core/VellApp.h"
#include "core/VellBootstrap.h"
#include "core/VellFeatureSettings.h"
#include "core/VellSettings.h"

namespace {
const VellAppUAInfo kUaInfo = {"demo", "en", "1.0.0", false};
}

QString DemoRuntime::Start(int argc, char** argv, const QString& featuresFile, const QString& subprocessPath) {
  const QString featuresError = _LoadFeatures(featuresFile);
  const std::string subprocess = subprocessPath.toStdString();
  VellSettings::Instance()->ModifyNativeCefSettings([&subprocess](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = subprocess;
    CefString(&settings.cache_path) = "";  // a temporary profile
    settings.log_severity = LOGSEVERITY_WARNING;
  });
  VellApp* app = new VellApp(new VellV8Handler(), nullptr);
  app->SetVellAppUaInfo(kUaInfo);
  VellBootstrap().Initialize(app, argc, argv);
  return featuresError;
}

QString DemoRuntime::_LoadFeatures(const QString& featuresFile) {
  QFile file(featuresFile);
  if (!file.open(QIODevice::ReadOnly)) {
    return QString("The feature settings %1 cannot be read (%2); built-in defaults are used")
        .arg(featuresFile, file.errorString());
  }
  const nlohmann::json json = nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
  if (!json.is_object()) {
    return QString("The feature settings %1 are not a JSON object; built-in defaults are used").arg(featuresFile);
  }
  try {
    VellFeatureSettings::Instance()->LoadModuleTable(VellFeatureSettings::JsonToMapModule(json));
  } catch (const nlohmann::json::exception& e) {
    return QString("The feature settings %1 are not a table of modules and string values (%2); built-in defaults are used")
        .arg(featuresFile, e.what());
  }
  return {};
}

void DemoRuntime::Stop() { CefShutdown(); }
