// Process entry points of the runtime.
#include "include/cef_app.h"
#include "include/cef_task.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>

#include "protocol/link.h"
#include "base/log.h"
#include "network/scheme_registrar_impl.h"
#include "render/render_process.h"
#include "browser/runtime.h"
#include "network/request_context_impl.h"

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application, void* /*windows_sandbox_info*/) {
  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
  commandLine->InitFromArgv(args.argc, args.argv);
  const std::string type = commandLine->GetSwitchValue("type").ToString();
  if (type.empty()) return -1;
  cefcompat::SchemeRegistrarImpl::RegisterOnce(application);
  if (type == "renderer" && commandLine->HasSwitch(cefcompat::kLinkFdSwitch)) {
    return cefcompat::RenderProcess::RunSubProcess(application,
                                                   std::atoi(commandLine->GetSwitchValue(cefcompat::kLinkFdSwitch).ToString().c_str()));
  }
  cefcompat::Log(LOGSEVERITY_ERROR, "CefExecuteProcess: process type '" + type + "' is not run by this runtime");
  return 1;
}

namespace {

// The Qt application the runtime made for a program that brought none.
std::unique_ptr<QGuiApplication> g_ownApplication;
int g_ownArgc = 0;

// A program without a Qt application of its own and without the
// multi-threaded message loop gets one here, as CEF brings up its own loop.
void MakeApplicationIfNone(const CefMainArgs& args, const CefSettings& settings) {
  if (QCoreApplication::instance() || settings.multi_threaded_message_loop) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    cefcompat::Log(LOGSEVERITY_INFO, "no display: browser windows use Qt's offscreen platform");
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static char name[] = "cef";
  static char* fallbackArgv[] = {name, nullptr};
  g_ownArgc = args.argc > 0 && args.argv ? args.argc : 1;
  g_ownApplication = std::make_unique<QGuiApplication>(g_ownArgc, args.argc > 0 && args.argv ? args.argv : fallbackArgv);
}

// The application object, or null with an error naming `function`, logged once.
QCoreApplication* LoopOwner(const char* function) {
  QCoreApplication* app = QCoreApplication::instance();
  static std::atomic<bool> reported{false};
  if (!app && !reported.exchange(true)) {
    cefcompat::Log(LOGSEVERITY_ERROR, std::string(function) +
                                          ": there is no message loop (CefInitialize was not called, or "
                                          "multi_threaded_message_loop is set and no Qt application exists)");
  }
  return app;
}

}  // namespace

bool CefInitialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> application,
                   void* /*windows_sandbox_info*/) {
  MakeApplicationIfNone(args, settings);
  if (cefcompat::Runtime::Initialize(args, settings, application)) return true;
  g_ownApplication.reset();
  return false;
}

void CefShutdown() {
  for (CefThreadId thread : {TID_UI, TID_IO, TID_FILE_BACKGROUND, TID_RENDERER}) {
    if (!CefCurrentlyOn(thread)) continue;
    // Shutting down joins this very thread: refused rather than deadlocked.
    cefcompat::Log(LOGSEVERITY_ERROR, "CefShutdown must be called on the thread that called CefInitialize, not on a "
                                      "runtime thread; the runtime keeps running");
    return;
  }
  cefcompat::Runtime::Shutdown();
  g_ownApplication.reset();
}

void CefRunMessageLoop() {
  QCoreApplication* app = LoopOwner("CefRunMessageLoop");
  if (!app) return;
  if (QThread::currentThread() != app->thread()) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefRunMessageLoop must be called on the thread that called CefInitialize");
    return;
  }
  QCoreApplication::exec();
}

void CefQuitMessageLoop() {
  QCoreApplication* app = LoopOwner("CefQuitMessageLoop");
  if (!app) return;
  // Queued: it ends the loop once that runs, even when asked before it started.
  QMetaObject::invokeMethod(app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

void CefDoMessageLoopWork() {
  QCoreApplication* app = LoopOwner("CefDoMessageLoopWork");
  if (!app) return;
  if (QThread::currentThread() != app->thread()) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
      cefcompat::Log(LOGSEVERITY_ERROR, "CefDoMessageLoopWork must be called on the thread that called CefInitialize; "
                                        "calls from other threads do nothing");
    }
    return;
  }
  QCoreApplication::processEvents();
}

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefString& url,
                                   const CefBrowserSettings& settings, CefRefPtr<CefDictionaryValue> /*extra_info*/,
                                   CefRefPtr<CefRequestContext> request_context) {
  cefcompat::Runtime* runtime = cefcompat::Runtime::Get();
  if (!runtime) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CreateBrowser: the runtime is not initialised");
    return false;
  }
  return runtime->CreateBrowser(client, url.ToString(), settings, windowInfo,
                                cefcompat::RequestContextImpl::Of(request_context));
}
