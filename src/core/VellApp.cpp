#include "core/VellApp.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "core/VellSdkOriginAllowlist.h"
#include "include/wrapper/cef_helpers.h"
#include "utils/VellBrowserHelper.h"
#include "utils/VellVarHelper.h"
#include "v8_api/VellJsCallbackPayloadManager.h"
#include "v8_api/VellJsSdkFileIO.h"
#include "v8_api/VellProcessMessage.h"

namespace {

const char kUserAgentFormat[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/89.0.4389.114 Safari/537.36 [DrevanLauncher/{}/{}/{}/{}]";

// Publishes the fields of the user agent's first bracketed tag.
const char kUserAgentGlobalsScript[] = R"JS((() => {
  const [__VELL_ENV__, __VELL_LANG__, __VELL_LAUNCHER_VERSION__, __VELL_IS_GP__] =
      navigator.userAgent.match(/\[(.+?)\]/)[1].split('/').slice(1);
  window.__VELL_ENV__ = String(__VELL_ENV__);
  window.__VELL_LANG__ = String(__VELL_LANG__);
  window.__VELL_LAUNCHER_VERSION__ = String(__VELL_LAUNCHER_VERSION__);
  window.__VELL_IS_GP__ = Number(__VELL_IS_GP__) === 1;
})();)JS";

const char kScrollStyleScript[] = R"JS(window.addEventListener('DOMContentLoaded', () => {
  const styleEl = document.createElement('style');
  styleEl.innerHTML = `
html { overflow: overlay; }
::-webkit-scrollbar { background-color: transparent; width: 12px; }
::-webkit-scrollbar-track { background-color: transparent; }
::-webkit-scrollbar-thumb { background-color: rgba(255, 255, 255, 0.12); border-radius: 100px; border: 4px solid transparent; background-clip: content-box; }
::-webkit-scrollbar-thumb:hover { background-color: rgba(255, 255, 255, 0.2); }
`;
  document.head.prepend(styleEl);
});)JS";

const char kPageReadyScript[] = R"JS(window.addEventListener('DOMContentLoaded', () => {
  window.vell.browserModule.PageReady();
});)JS";

}  // namespace

void VellApp::SetSdkOriginAllowlist(const QStringList& origins) { VellSdkOriginAllowlist::Instance()->Set(origins); }

VellApp::VellApp(VellV8Handler* handler, CommandLineHook hook)
    : m_pV8Handler(handler), m_fnCommandLineHook(std::move(hook)), m_strJsSdkCode(VellJsSdkFileIO::ReadJsSdk()) {}

std::string VellApp::GetUserAgent() const {
  return fmt::format(kUserAgentFormat, m_uaInfo.strEnv, m_uaInfo.strLang, m_uaInfo.strLauncherVersion,
                     m_uaInfo.bIsGp ? "1" : "0");
}

void VellApp::OnBeforeCommandLineProcessing(const CefString& processType, CefRefPtr<CefCommandLine> commandLine) {
  const bool single = IsSingleProcessEnable();
  _LogInfo(fmt::format("VellApp::OnBeforeCommandLineProcessing: cef is {} running in single process mode",
                       single ? "now" : "NOT"));
  if (single) commandLine->AppendSwitch("single-process");
  commandLine->AppendSwitchWithValue("autoplay-policy", "no-user-gesture-required");
  commandLine->AppendSwitchWithValue("user-agent", GetUserAgent());
  const int port = RemoteDebuggingPort();
  if (port > 0) {
    _LogInfo(fmt::format("VellApp::OnBeforeCommandLineProcessing: cef is enable remote debugging port = {}", port));
    commandLine->AppendSwitchWithValue("remote-debugging-port", std::to_string(port));
  }
  if (m_fnCommandLineHook) m_fnCommandLineHook(processType, commandLine);
}

void VellApp::OnWebKitInitialized() {
  _LogInfo("VellApp::OnWebKitInitialized");
  if (!IsCefExtensionEnable()) return;
  if (m_strJsSdkCode.isEmpty()) {
    VellLog(LOGSEVERITY_WARNING, "VellApp::OnWebKitInitialized: unable to get cef jssdk code");
    return;
  }
  CefRegisterExtension("v8/cef-jssdk", m_strJsSdkCode.toStdString(), m_pV8Handler);
}

void VellApp::OnContextCreated(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                               CefRefPtr<CefV8Context> /*context*/) {
  CEF_REQUIRE_RENDERER_THREAD();
  _AddFrame(frame);
  VellBrowserHelper::ExecuteJavaScript(frame, kUserAgentGlobalsScript, true);
  if (IsScrollStyleScriptEnable()) VellBrowserHelper::ExecuteJavaScript(frame, kScrollStyleScript, true);
  VellBrowserHelper::ExecuteJavaScript(frame, kPageReadyScript, true);
}

void VellApp::OnContextReleased(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> /*context*/) {
  CEF_REQUIRE_RENDERER_THREAD();
  _LogInfo(fmt::format("VellApp::OnContextReleased: frame ({}), url = {}", frame->GetIdentifier(),
                       frame->GetURL().ToString()));
  _RemoveFrame(frame);
  VellJsCallbackPayloadManager::Instance()->EraseByFrameId(frame->GetIdentifier());
}

bool VellApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                       CefProcessId /*sourceProcess*/, CefRefPtr<CefProcessMessage> message) {
  CEF_REQUIRE_RENDERER_THREAD();
  std::vector<CefRefPtr<CefFrame>> frames;
  frames.reserve(m_mapFrames.size());
  for (const auto& entry : m_mapFrames) frames.push_back(entry.second);
  return VellProcessMessage::HandleReceivedProcessMessage(message, frames);
}

void VellApp::_AddFrame(const CefRefPtr<CefFrame>& frame) { m_mapFrames.emplace(frame->GetIdentifier(), frame); }

void VellApp::_RemoveFrame(const CefRefPtr<CefFrame>& frame) { m_mapFrames.erase(frame->GetIdentifier()); }

void VellApp::_SetFrameGlobalVariable(CefRefPtr<CefV8Context> context, std::string key, CefRefPtr<CefV8Value> value,
                                      cef_v8_propertyattribute_t attribute) {
  if (!VellVarHelper::IsStringAllUpperCase(key)) {
    VellLog(LOGSEVERITY_ERROR, "key must be all set as uppercase, key = " + key);
    return;
  }
  context->GetGlobal()->SetValue("__VELL_" + key + "__", value, attribute);
}

void VellApp::_LogInfo(const std::string& text) const {
  if (IsLogEnable()) VellLog(LOGSEVERITY_INFO, text);
}
