#include "core/VellManager.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "core/VellSettings.h"

int VellManager::InitializeOnce(VellApp* app, int& argc, char** argv) {
  VellLog(LOGSEVERITY_INFO, "VellManager::InitializeOnce initialize...");
  const CefMainArgs mainArgs(argc, argv);
  const CefRefPtr<VellApp> appRef(app);
  VellLog(LOGSEVERITY_INFO, "VellManager::InitializeOnce before CefExecuteProcess");
  const int exitCode = CefExecuteProcess(mainArgs, appRef, nullptr);
  VellLog(LOGSEVERITY_INFO, "VellManager::InitializeOnce after CefExecuteProcess");
  VellLog(LOGSEVERITY_INFO, fmt::format("CefExecuteProcess (-1 represent success) exitCode = {}", exitCode));
  if (exitCode >= 0) return exitCode;
  // A failure is reported by the runtime's own log line; the launcher goes on.
  CefInitialize(mainArgs, VellSettings::Instance()->GetNativeCefSettings(), appRef, nullptr);
  VellLog(LOGSEVERITY_INFO, "VellManager::InitializeOnce finished");
  return exitCode;
}
