#pragma once

#include <functional>
#include <map>
#include <string>

#include <QString>
#include <QStringList>

#include "core/VellAppUAInfo.h"
#include "core/VellFeatureSettingsMixins.h"
#include "include/cef_app.h"
#include "v8_api/VellV8Handler.h"

// The application object of every process. All processes: command-line
// switches (single process, autoplay, user agent, remote debugging). Render
// process: the SDK extension, the scripts every context gets before the
// page's own, the registry of frames with a live context, and answers from
// the browser process handed to the dispatcher with those frames.
//
// Threads: OnBeforeCommandLineProcessing on the process's main thread before
// the runtime starts; the render-side callbacks, and with them the frame
// registry, only on the renderer thread.
class VellApp : public CefApp,
                public CefRenderProcessHandler,
                public CefBrowserProcessHandler,
                public VellAppFeatureSettingsMixin<VellApp> {
 public:
  using CommandLineHook = std::function<void(const CefString& processType, CefRefPtr<CefCommandLine>)>;

  VellApp(VellV8Handler* handler, CommandLineHook hook);

  // Takes effect only before the runtime is initialised.
  void SetVellAppUaInfo(const VellAppUAInfo& info) { m_uaInfo = info; }

  // Browser process, any thread: only frames of these origins
  // ("https://launcher.example", scheme://host[:port]) may call the SDK; the
  // others' calls are rejected with "#OriginNotAllowed". An empty list, the
  // default, serves every frame. Takes effect for the calls that follow.
  static void SetSdkOriginAllowlist(const QStringList& origins);

  // CefApp
  void OnBeforeCommandLineProcessing(const CefString& processType, CefRefPtr<CefCommandLine> commandLine) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }

  // CefBrowserProcessHandler
  void OnContextInitialized() override {}

  // CefRenderProcessHandler
  void OnWebKitInitialized() override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

  // The user agent this object puts on the command line.
  std::string GetUserAgent() const;

 protected:
  // For render-side code that publishes further globals: sets
  // window.__VELL_<key>__ when the key has no lower-case letter.
  static void _SetFrameGlobalVariable(CefRefPtr<CefV8Context> context, std::string key, CefRefPtr<CefV8Value> value,
                                      cef_v8_propertyattribute_t attribute);

 private:
  void _AddFrame(const CefRefPtr<CefFrame>& frame);
  void _RemoveFrame(const CefRefPtr<CefFrame>& frame);
  void _LogInfo(const std::string& text) const;

  std::map<int64_t, CefRefPtr<CefFrame>> m_mapFrames;
  CefRefPtr<VellV8Handler> m_pV8Handler;
  CommandLineHook m_fnCommandLineHook;
  QString m_strJsSdkCode;
  VellAppUAInfo m_uaInfo;

  IMPLEMENT_REFCOUNTING(VellApp);
};
