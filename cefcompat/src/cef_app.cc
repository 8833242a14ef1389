// Process entry points of the runtime.
#include "include/cef_app.h"

#include <cstdlib>

#include "link.h"
#include "log.h"
#include "render_process.h"
#include "runtime.h"

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application, void* /*windows_sandbox_info*/) {
  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
  commandLine->InitFromArgv(args.argc, args.argv);
  const std::string type = commandLine->GetSwitchValue("type").ToString();
  if (type.empty()) return -1;
  if (type == "renderer" && commandLine->HasSwitch(cefcompat::kLinkFdSwitch)) {
    return cefcompat::RenderProcess::RunSubProcess(application,
                                                   std::atoi(commandLine->GetSwitchValue(cefcompat::kLinkFdSwitch).ToString().c_str()));
  }
  cefcompat::Log(LOGSEVERITY_ERROR, "CefExecuteProcess: process type '" + type + "' is not run by this runtime");
  return 1;
}

bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void* /*windows_sandbox_info*/) {
  return cefcompat::Runtime::Initialize(args, settings, application);
}

void CefShutdown() { cefcompat::Runtime::Shutdown(); }

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefString& url,
                                   const CefBrowserSettings& settings, CefRefPtr<CefDictionaryValue> /*extra_info*/,
                                   CefRefPtr<CefRequestContext> /*request_context*/) {
  cefcompat::Runtime* runtime = cefcompat::Runtime::Get();
  if (!runtime) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CreateBrowser: the runtime is not initialised");
    return false;
  }
  return runtime->CreateBrowser(client, url.ToString(), settings, windowInfo);
}
