#include "LauncherEnvironment.h"

#include "core/VellBootstrap.h"
#include "core/VellSettings.h"

namespace {
std::vector<std::string> g_hookedProcessTypes;
}

std::vector<std::string> LauncherEnvironment::HookedProcessTypes() { return g_hookedProcessTypes; }

void LauncherEnvironment::SetUp() {
  VellFeatureSettings::Instance()->LoadModuleTable(m_features);
  VellSettings::Instance()->ModifyNativeCefSettings([](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";  // a temporary profile
    settings.log_severity = LOGSEVERITY_WARNING;
  });
  VellApp* app = new VellApp(new VellV8Handler(), [](const CefString& processType, CefRefPtr<CefCommandLine>) {
    g_hookedProcessTypes.push_back(processType.ToString());
  });
  app->SetVellAppUaInfo(m_uaInfo);
  static char name[] = "vell_tests";
  static char* argv[] = {name, nullptr};
  VellBootstrap().Initialize(app, 1, argv);
}

void LauncherEnvironment::TearDown() { CefShutdown(); }
