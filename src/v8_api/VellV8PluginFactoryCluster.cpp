#include "v8_api/VellV8PluginFactoryCluster.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "include/cef_browser.h"
#include "plugins/VellPluginRegister.h"
#include "v8_api/VellJsCallbackPayloadManager.h"

std::shared_ptr<VellError> VellV8PluginFactoryCluster::Register(int nBrowserId, QObject* owner) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto factory = std::make_shared<VellV8PluginFactory>();
  if (auto error = VellPluginRegister::Register(owner, factory.get())) {
    return std::make_shared<VellError>("VellV8PluginFactoryCluster::Register Failed.", __FILE__, __LINE__,
                                       "VellV8PluginFactoryCluster::Register", error);
  }
  if (m_mapFactory.emplace(nBrowserId, factory).second && owner) {
    // Plugins die with their owner: so does the entry that reaches them.
    QObject::connect(owner, &QObject::destroyed, [this, nBrowserId, weak = std::weak_ptr<VellV8PluginFactory>(factory)] {
      std::lock_guard<std::mutex> guard(m_mutex);
      const auto it = m_mapFactory.find(nBrowserId);
      if (it != m_mapFactory.end() && it->second == weak.lock()) m_mapFactory.erase(it);
    });
  }
  VellLog(LOGSEVERITY_INFO, fmt::format("VellV8PluginFactoryCluster::Register nBrowserId = {}", nBrowserId));
  return nullptr;
}

std::shared_ptr<VellError> VellV8PluginFactoryCluster::UnRegister(int nBrowserId) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mapFactory.erase(nBrowserId)) return nullptr;
  return std::make_shared<VellError>(
      fmt::format("VellV8PluginFactoryCluster::UnRegister Failed. Unable to find nBrowserId = {}. It may already "
                  "unregister or never be register at the beginning",
                  nBrowserId),
      __FILE__, __LINE__, "VellV8PluginFactoryCluster::UnRegister");
}

std::shared_ptr<VellError> VellV8PluginFactoryCluster::GetFactory(int nBrowserId,
                                                                  std::shared_ptr<VellV8PluginFactory>& out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto it = m_mapFactory.find(nBrowserId);
  if (it == m_mapFactory.end()) {
    return std::make_shared<VellError>(
        fmt::format("VellV8PluginFactoryCluster::GetFactory Failed. Unable to get factory by nBrowserId = {}. "
                    "m_mapFactory.size = {}",
                    nBrowserId, m_mapFactory.size()),
        __FILE__, __LINE__, "VellV8PluginFactoryCluster::GetFactory");
  }
  out = it->second;
  return nullptr;
}

std::shared_ptr<VellError> VellV8PluginFactoryCluster::GetFactory(int nBrowserId, VellV8PluginFactory*& out) {
  std::shared_ptr<VellV8PluginFactory> factory;
  if (auto error = GetFactory(nBrowserId, factory)) return error;
  out = factory.get();
  return nullptr;
}

std::shared_ptr<VellError> VellV8PluginFactoryCluster::GetFactory(const CefRefPtr<CefV8Context>& pCefV8Context,
                                                                  VellV8PluginFactory*& out) {
  const char* problem = nullptr;
  CefRefPtr<CefBrowser> browser;
  if (!pCefV8Context) {
    problem = "VellV8PluginFactoryCluster::GetFactory Failed. Unable to get pCefV8Context";
  } else if (!pCefV8Context->IsValid()) {
    problem = "VellV8PluginFactoryCluster::GetFactory Failed. pCefV8Context is invalid";
  } else if (!(browser = pCefV8Context->GetBrowser())) {
    problem = "VellV8PluginFactoryCluster::GetFactory Failed. Unable to get browser from pCefV8Context";
  }
  if (problem) return std::make_shared<VellError>(problem, __FILE__, __LINE__, "VellV8PluginFactoryCluster::GetFactory");
  return GetFactory(browser->GetIdentifier(), out);
}

void VellV8PluginFactoryCluster::ForwardStandardJsonPayloadFromCefBrowserMessage(VellProcessMessage message) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  message.SetRequestId(VellJsCallbackPayloadManager::Instance()->CheckIn(
      {message.GetSuccessCallback(), message.GetErrorCallback(), context}));
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(message, wire);
  VellProcessMessage::SetCaller(wire, context ? context->GetFrame() : nullptr);
  CefRefPtr<CefBrowser> browser = context ? context->GetBrowser() : nullptr;
  CefRefPtr<CefFrame> mainFrame = browser ? browser->GetMainFrame() : nullptr;
  if (mainFrame) mainFrame->SendProcessMessage(PID_BROWSER, wire);
}
