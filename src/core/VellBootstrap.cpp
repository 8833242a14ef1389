#include "core/VellBootstrap.h"

#include <cstdlib>

#include "base/VellLoggerAgent.h"
#include "core/VellManager.h"

VellBootstrap::~VellBootstrap() {
  VellLog(LOGSEVERITY_INFO, "VellBootstrap::~VellBootstrap: start");
  VellLog(LOGSEVERITY_INFO, "VellBootstrap::~VellBootstrap: will 'RunCefShutdown'");
}

void VellBootstrap::Initialize(VellApp* app, int argc, char** argv) {
  CefEnableHighDPISupport();
  VellManager manager;
  const int exitCode = manager.InitializeOnce(app, argc, argv);
  if (exitCode >= 0) std::exit(exitCode);
}

void VellBootstrap::_RunCefShutdown() { CefShutdown(); }
