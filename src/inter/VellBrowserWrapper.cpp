#include "inter/VellBrowserWrapper.h"

#include "base/VellLoggerAgent.h"

VellBrowserWrapper::VellBrowserWrapper(QObject* parent, CefRefPtr<CefBrowser> browser)
    : QObject(parent), m_pCefBrowser(std::move(browser)) {}

void VellBrowserWrapper::SetCefBrowser(CefRefPtr<CefBrowser> browser) {
  m_pCefBrowser = std::move(browser);
  _ConsumePendingUrl();
}

void VellBrowserWrapper::_ConsumePendingUrl() {
  if (m_strPendingUrl.isEmpty()) return;
  LoadUrl(m_strPendingUrl, true);
  m_strPendingUrl.clear();
}

int VellBrowserWrapper::GetBrowserId() const { return m_pCefBrowser ? m_pCefBrowser->GetIdentifier() : -1; }

CefRefPtr<CefBrowserHost> VellBrowserWrapper::GetHost() { return m_pCefBrowser ? m_pCefBrowser->GetHost() : nullptr; }

CefWindowHandle VellBrowserWrapper::GetWindowHandle() const {
  CefRefPtr<CefBrowserHost> host = m_pCefBrowser ? m_pCefBrowser->GetHost() : nullptr;
  return host ? host->GetWindowHandle() : CefWindowHandle();
}

void VellBrowserWrapper::CloseBrowser(bool force) const {
  CefRefPtr<CefBrowserHost> host = m_pCefBrowser ? m_pCefBrowser->GetHost() : nullptr;
  if (host) host->CloseBrowser(force);
}

bool VellBrowserWrapper::CanGoBack() const { return m_pCefBrowser && m_pCefBrowser->CanGoBack(); }
bool VellBrowserWrapper::CanGoForward() const { return m_pCefBrowser && m_pCefBrowser->CanGoForward(); }
bool VellBrowserWrapper::IsLoading() const { return m_pCefBrowser && m_pCefBrowser->IsLoading(); }

void VellBrowserWrapper::Reload() const {
  if (m_pCefBrowser) m_pCefBrowser->Reload();
}

void VellBrowserWrapper::StopLoad() const {
  if (m_pCefBrowser) m_pCefBrowser->StopLoad();
}

bool VellBrowserWrapper::IsMainFrameUsable() const {
  return m_pCefBrowser && IsCefFrameUsable(m_pCefBrowser->GetMainFrame());
}

CefRefPtr<CefFrame> VellBrowserWrapper::GetMainFrame() {
  return IsMainFrameUsable() ? m_pCefBrowser->GetMainFrame() : nullptr;
}

int VellBrowserWrapper::GetMainFrameId() const {
  return IsMainFrameUsable() ? static_cast<int>(m_pCefBrowser->GetMainFrame()->GetIdentifier()) : -1;
}

CefString VellBrowserWrapper::GetMainFrameCefUrl() {
  CefRefPtr<CefFrame> frame = GetMainFrame();
  return frame ? frame->GetURL() : CefString();
}

void VellBrowserWrapper::LoadUrl(const QString& url, bool stopFirst) {
  if (url.isEmpty()) {
    VellLog(LOGSEVERITY_WARNING, "VellBrowserWrapper::LoadUrl: url is empty! skip load");
    return;
  }
  CefRefPtr<CefFrame> frame = GetMainFrame();
  if (!frame) {
    m_strPendingUrl = url;
    return;
  }
  if (stopFirst) StopLoad();
  m_strLastRequestLoadingUrl = url;
  frame->LoadURL(url.toStdString());
}

std::shared_ptr<VellError> VellBrowserWrapper::RunJavascript(const std::string& code) {
  if (code.empty()) {
    return std::make_shared<VellError>("VellBrowserWrapper::RunJavascript failed! code is empty!", __FILE__, __LINE__,
                                       "VellBrowserWrapper::RunJavascript");
  }
  CefRefPtr<CefFrame> frame = GetMainFrame();
  if (!frame) {
    return std::make_shared<VellError>("VellBrowserWrapper::RunJavascript failed! pMainFrame is nullptr!", __FILE__,
                                       __LINE__, "VellBrowserWrapper::RunJavascript");
  }
  frame->ExecuteJavaScript(code, frame->GetURL(), 0);
  return nullptr;
}

void VellBrowserWrapper::GetBrowserInfo(QMap<QString, QVariant>& info) {
  info["_browserId"] = QString::number(GetBrowserId());
  info["_mainFrameUrl"] = GetMainFrameQUrl();
  info["_lastRequestLoadingUrl"] = m_strLastRequestLoadingUrl;
}
