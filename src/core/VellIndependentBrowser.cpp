#include "core/VellIndependentBrowser.h"

#include "base/VellLoggerAgent.h"
#include "inter/VellLoadingStateTracker.h"

void VellIndependentBrowser::Init(const std::string& url) {
  m_pSignalsWidget = new VellSignalsWidget();
  m_pHandler = new VellHandler(m_pSignalsWidget);
  m_pTracker = new VellLoadingStateTracker(m_pSignalsWidget);
  m_pTracker->Track();
  m_pTracker->PrintLoadingState();
  CefBrowserSettings settings;
  _InitCefBrowserSettings(settings);
  const bool created = CefBrowserHost::CreateBrowser(CefWindowInfo(), m_pHandler.get(), url, settings, nullptr, nullptr);
  m_bInit = true;
  m_bInitFailed = !created;
  if (!created) {
    VellLog(LOGSEVERITY_ERROR, "VellWidget::Init: unable to create browser. It may because of cef has not initialized yet");
  }
}

void VellIndependentBrowser::_InitCefBrowserSettings(CefBrowserSettings& settings) {
  settings.universal_access_from_file_urls = STATE_ENABLED;
  settings.file_access_from_file_urls = STATE_ENABLED;
  settings.minimum_font_size = 8;
}
