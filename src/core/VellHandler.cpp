#include "core/VellHandler.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMetaObject>
#include <QUrl>
#include <QtDebug>
#include <fmt/format.h>

#include <mutex>

#include "base/VellLoggerAgent.h"
#include "include/cef_task.h"
#include "include/wrapper/cef_closure_task.h"
#include "include/wrapper/cef_helpers.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellSdkOriginAllowlist.h"
#include "core/VellSignalsWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "utils/VellVarHelper.h"
#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8PluginFactoryCluster.h"

namespace {

constexpr int kVkEscape = 0x1B;
constexpr int kVkF4 = 0x73;
constexpr int kVkF5 = 0x74;
constexpr int kVkF8 = 0x77;
constexpr int kVkF10 = 0x79;
constexpr uint32 kAltModifier = 1 << 3;
// WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE, and
// CW_USEDEFAULT: the developer tools' window as the system places it.
constexpr unsigned int kDevToolsWindowStyle = 0x16CF0000;
constexpr int kUseDefault = static_cast<int>(0x80000000);

std::mutex g_developmentUrlMutex;
QString g_developmentUrl = "http://127.0.0.1:9000/";

}  // namespace

// V E L L D E V T O O L S
const int VellHandler::kDevKeyPass[12] = {0x56, 0x45, 0x4C, 0x4C, 0x44, 0x45, 0x56, 0x54, 0x4F, 0x4F, 0x4C, 0x53};

VellHandler::VellHandler(VellSignalsWidget* signalsWidget)
    : m_pSignalsWidget(signalsWidget), m_pResourceManager(new CefResourceManager()) {}

VellHandler::~VellHandler() { delete m_pBrowser; }

void VellHandler::SetLocalDevelopmentPageUrl(const QString& url) {
  std::lock_guard<std::mutex> lock(g_developmentUrlMutex);
  g_developmentUrl = url;
}

QString VellHandler::GetLocalDevelopmentPageUrl() {
  std::lock_guard<std::mutex> lock(g_developmentUrlMutex);
  return g_developmentUrl;
}

std::shared_ptr<VellError> VellHandler::GetBrowserId(int& out) {
  if (!m_pBrowser) {
    return std::make_shared<VellError>("GetBrowserId Failed. No browser instance. It may not be created or destroyed.",
                                       __FILE__, __LINE__, "VellHandler::GetBrowserId");
  }
  out = m_pBrowser->GetBrowserId();
  return nullptr;
}

std::shared_ptr<VellError> VellHandler::GetVellV8PluginFactory(VellV8PluginFactory*& out) {
  int browserId = -1;
  auto error = GetBrowserId(browserId);
  if (!error) error = VellV8PluginFactoryCluster::Instance()->GetFactory(browserId, out);
  if (!error) return nullptr;
  return std::make_shared<VellError>("VellHandler::GetVellV8PluginFactory failed.", __FILE__, __LINE__,
                                     "VellHandler::GetVellV8PluginFactory", error);
}

// The load itself is started on the UI thread, in order with OnAfterCreated:
// a URL asked for while the browser is still being created loads once it exists.
void VellHandler::LoadUrl(const std::string& url) {
  const QString strUrl = QString::fromStdString(url);
  CefPostTask(TID_UI, base::Bind(&VellHandler::_LoadUrlOnUi, this, strUrl));
  if (m_pSignalsWidget) emit m_pSignalsWidget->OnLoadUrl(strUrl);
}

void VellHandler::_LoadUrlOnUi(const QString& strUrl) {
  CEF_REQUIRE_UI_THREAD();
  if (m_bIsClosing || m_bIsClosed) return;
  if (!m_pBrowser) {
    m_strUrlOnCreation = strUrl;
    return;
  }
  m_pBrowser->LoadUrl(strUrl, true);
}

// Decided on the UI thread, where OnAfterCreated sets the browser.
void VellHandler::Cleanup() { CefPostTask(TID_UI, base::Bind(&VellHandler::_CloseOnUi, this)); }

void VellHandler::_CloseOnUi() {
  CEF_REQUIRE_UI_THREAD();
  if (!m_pBrowser) {
    m_bCloseOnCreation = true;
    return;
  }
  CefRefPtr<CefBrowserHost> host = m_pBrowser->GetHost();
  if (host) host->CloseBrowser(true);
}

void VellHandler::_OpenInUsersBrowser(const QUrl& url) {
  // QDesktopServices belongs to the Qt thread.
  QMetaObject::invokeMethod(qApp, [url] { QDesktopServices::openUrl(url); }, Qt::AutoConnection);
}

void VellHandler::_Notify(std::function<void(VellSignalsWidget*)> call) const {
  VellSignalsWidget* widget = m_pSignalsWidget.data();
  if (!widget) return;
  // Queued with the widget as context: dropped if the widget goes first.
  QMetaObject::invokeMethod(widget, [widget, call] { call(widget); }, Qt::AutoConnection);
}

bool VellHandler::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                           CefProcessId /*sourceProcess*/, CefRefPtr<CefProcessMessage> message) {
  // A closed browser's plugins may already be gone: its late messages are dropped.
  if (!m_pBrowser || m_bIsClosed || browser->GetIdentifier() != m_pBrowser->GetBrowserId()) return false;
  if (_RefuseForOrigin(frame, message)) return true;
  std::shared_ptr<VellV8PluginFactory> factory;
  if (VellV8PluginFactoryCluster::Instance()->GetFactory(browser->GetIdentifier(), factory)) {
    _DispatchAfterPluginRegistration(browser, frame, message);
    return true;
  }
  _Dispatch(*factory, browser, frame, message);
  return true;
}

// Any thread: every call is answered, by its plugin or with a rejection.
void VellHandler::_Dispatch(VellV8PluginFactory& factory, CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefProcessMessage> message) {
  if (factory.HandleFromCefProcessMessage(browser, frame, PID_RENDERER, message)) return;
  _LogUnservedOncePerPage(message->GetName().ToString());
  VellV8PluginFactory::RejectUnserved(frame, message);
}

// The plugins are registered on the Qt thread once it learns of the browser,
// which may come after the page's first calls. Queued behind that news, a call
// finds them; a browser that still has none rejects it.
void VellHandler::_DispatchAfterPluginRegistration(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   CefRefPtr<CefProcessMessage> message) {
  CefRefPtr<VellHandler> self(this);
  auto dispatch = [self, browser, frame, message] {
    std::shared_ptr<VellV8PluginFactory> factory;
    if (auto error = VellV8PluginFactoryCluster::Instance()->GetFactory(browser->GetIdentifier(), factory)) {
      VellError::LogErrorChain(error);
      self->_LogUnservedOncePerPage(message->GetName().ToString());
      VellV8PluginFactory::RejectUnserved(frame, message);
      return;
    }
    self->_Dispatch(*factory, browser, frame, message);
  };
  VellSignalsWidget* widget = m_pSignalsWidget.data();
  if (!widget) return dispatch();
  QMetaObject::invokeMethod(widget, dispatch, Qt::QueuedConnection);
}

void VellHandler::_LogUnservedOncePerPage(const std::string& action) {
  std::lock_guard<std::mutex> lock(m_unservedMutex);
  if (m_setUnservedLogged.size() > kMaxUnservedLoggedPerPage || !m_setUnservedLogged.insert(action).second) return;
  if (m_setUnservedLogged.size() > kMaxUnservedLoggedPerPage) {
    VellLog(LOGSEVERITY_WARNING, "VellHandler: further unserved actions of this page are not logged");
    return;
  }
  VellLog(LOGSEVERITY_WARNING, fmt::format("VellHandler: the page called an action no plugin serves: {}; answered {}",
                                           VellV8PluginFactory::QuotedActionName(action), kActionNotFound));
}

bool VellHandler::_RefuseForOrigin(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
  // The calling frame's URL, put in by the render process's native side
  // (calls travel through the main frame, so `frame` is not the caller);
  // what the page passes as its host is the page's own word and is not asked.
  const std::string url = VellProcessMessage::GetCallerUrl(message);
  if (VellSdkOriginAllowlist::Instance()->Allows(url)) return false;
  const std::string origin = VellSdkOriginAllowlist::OriginOf(url);
  VellProcessMessage record;
  VellProcessMessage::ConvertToVellProcessMessage(message, record);
  _LogOriginRefusedOncePerFrame(VellProcessMessage::GetCallerId(message), origin, record.GetMessageName());
  record.SetErrorCode(VellSdkOriginAllowlist::kOriginNotAllowed);
  record.SetErrorMessage(fmt::format("frames of the origin {} may not call the SDK", origin));
  record.SetValue(std::string());  // the payload does not travel back
  record.SendProcessMessage(PID_RENDERER, frame);
  return true;
}

void VellHandler::_LogOriginRefusedOncePerFrame(const std::string& callerId, const std::string& origin,
                                                const std::string& action) {
  {
    std::lock_guard<std::mutex> lock(m_originMutex);
    if (!m_setOriginRefusedFrames.insert(callerId).second) return;
  }
  VellLog(LOGSEVERITY_INFO,
          fmt::format("VellHandler: SDK calls of a frame of the origin {} are refused ({}), the first was {}; the "
                      "origin is not on the launcher's allowlist",
                      origin, VellSdkOriginAllowlist::kOriginNotAllowed, VellV8PluginFactory::QuotedActionName(action)));
}

bool VellHandler::OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& targetUrl,
                                const CefString&, CefLifeSpanHandler::WindowOpenDisposition, bool, const CefPopupFeatures&,
                                CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&,
                                CefRefPtr<CefDictionaryValue>&, bool*) {
  if (targetUrl.empty()) return false;
  _OpenInUsersBrowser(QUrl(QString::fromStdString(targetUrl.ToString()), QUrl::TolerantMode));
  return true;
}

bool VellHandler::OnOpenURLFromTab(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& targetUrl,
                                   CefRequestHandler::WindowOpenDisposition, bool) {
  if (targetUrl.empty()) return false;
  _OpenInUsersBrowser(QUrl(QString::fromStdString(targetUrl.ToString()), QUrl::TolerantMode));
  return true;
}

void VellHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  const int browserId = browser->GetIdentifier();
  VellBrowserLifeSpanMonitor::Instance()->UpdateBrowserCounter(true);
  if (m_bIsClosing || m_bIsClosed) return;
  m_pBrowser = new VellBrowserWrapper(nullptr, browser);
  VellLog(LOGSEVERITY_INFO, fmt::format("VellHandler::OnAfterCreated: browser (id = {}) created", m_pBrowser->GetBrowserId()));
  _Notify([browserId](VellSignalsWidget* widget) { emit widget->OnBrowserCreated(browserId); });
  m_bIsCreated = true;
  if (m_bCloseOnCreation) {
    browser->GetHost()->CloseBrowser(true);
    return;
  }
  if (!m_strUrlOnCreation.isEmpty()) m_pBrowser->LoadUrl(m_strUrlOnCreation, true);
}

bool VellHandler::DoClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  const QString url = m_pSignalsWidget ? m_pSignalsWidget->GetUrl() : QString();
  qInfo().noquote() << QString("VellHandler::DoClose: browser (id = %1) closed. strUrl = %2").arg(browser->GetIdentifier()).arg(url);
  m_bIsClosing = true;
  return false;
}

void VellHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  const QString url = m_pSignalsWidget ? m_pSignalsWidget->GetUrl() : QString();
  const int browserId = browser->GetIdentifier();
  qInfo().noquote() << QString("VellHandler::OnBeforeClose: browser (id = %1) closed. strUrl = %2").arg(browserId).arg(url);
  m_bIsClosed = true;
  VellBrowserLifeSpanMonitor::Instance()->UpdateBrowserCounter(false);
  _Notify([browserId, self = CefRefPtr<VellHandler>(this)](VellSignalsWidget* widget) {
    emit widget->OnBeforeClose(browserId);
    // The closed browser is let go, as the runtime lets its client go: the
    // wrapper stays (empty) until the handler goes, and the two no longer
    // keep each other alive. Here, on the Qt thread, where the wrapper is used.
    if (self->m_pBrowser) self->m_pBrowser->SetCefBrowser(nullptr);
  });
}

bool VellHandler::_IsMainFrameEvent(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) const {
  if (m_bIsClosing || m_bIsClosed || !frame || !frame->IsValid()) return false;
  CefRefPtr<CefFrame> main = browser->GetMainFrame();
  return main && main->GetIdentifier() == frame->GetIdentifier();
}

void VellHandler::OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, TransitionType) {
  CEF_REQUIRE_UI_THREAD();
  if (!_IsMainFrameEvent(browser, frame)) return;
  {
    std::lock_guard<std::mutex> lock(m_unservedMutex);
    m_setUnservedLogged.clear();
  }
  _Notify([frame](VellSignalsWidget* widget) {
    emit widget->OnLoadStart(QString::fromStdString(frame->GetURL().ToString()));
  });
}

void VellHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) {
  CEF_REQUIRE_UI_THREAD();
  if (!_IsMainFrameEvent(browser, frame)) return;
  const std::string url = frame->GetURL().ToString();
  // No response at all (status 0) is a success for local files and for the
  // empty document a browser starts on (a pooled browser's page meanwhile).
  const bool success = httpStatusCode == 200 || httpStatusCode == -3 ||
                       (httpStatusCode == 0 && (VellVarHelper::IsFileProtocol(url) || VellVarHelper::IsBlankPage(url)));
  const QString strUrl = QString::fromStdString(url);
  _Notify([strUrl, httpStatusCode, success](VellSignalsWidget* widget) {
    if (success) {
      emit widget->OnLoadSuccess(strUrl, httpStatusCode);
    } else {
      emit widget->OnLoadError(strUrl, httpStatusCode, "invalid http status code");
    }
  });
}

void VellHandler::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                              const CefString& errorText, const CefString& failedUrl) {
  CEF_REQUIRE_UI_THREAD();
  if (!_IsMainFrameEvent(browser, frame)) return;
  const QString url = QString::fromStdString(failedUrl.ToString());
  const QString text = QString::fromStdString(errorText.ToString());
  const int code = static_cast<int>(errorCode);
  _Notify([url, code, text](VellSignalsWidget* widget) { emit widget->OnLoadError(url, code, text); });
}

bool VellHandler::OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level, const CefString& message,
                                   const CefString& source, int line) {
  const std::string text = fmt::format("OnConsoleMessage: browser(id={browserId})[level={level}]: {source}:{line} {message}",
                                       fmt::arg("browserId", browser->GetIdentifier()),
                                       fmt::arg("level", static_cast<int>(level)), fmt::arg("source", source.ToString()),
                                       fmt::arg("line", line), fmt::arg("message", message.ToString()));
  const int severity = static_cast<int>(level);
  if (severity >= 1 && severity <= 5) {
    VellLog(severity, text);
  } else {
    VellLog(LOGSEVERITY_WARNING, fmt::format("VellHandler::OnConsoleMessage: level not handled! {}", text));
  }
  return false;
}

void VellHandler::OnFullscreenModeChange(CefRefPtr<CefBrowser>, bool fullscreen) {
  _Notify([fullscreen](VellSignalsWidget* widget) { emit widget->OnFullscreenModeChange(fullscreen); });
}

bool VellHandler::OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData>, DragOperationsMask) {
  VellLog(LOGSEVERITY_INFO, fmt::format("VellHandler::OnDragEnter: a drag into browser (id = {}) is refused",
                                        browser->GetIdentifier()));
  return true;
}

void VellHandler::OnTakeFocus(CefRefPtr<CefBrowser>, bool next) {
  _Notify([next](VellSignalsWidget* widget) { emit widget->OnTakeFocus(next); });
}

bool VellHandler::OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle) {
  const bool rawKeyDown = event.type == KEYEVENT_RAWKEYDOWN;
  if (rawKeyDown) m_bDevKeyEnabled = _TrackIfEnableDevKeyPassMatch(event.windows_key_code);
  if (m_bDevKeyEnabled) {
    if (!rawKeyDown) return false;
    switch (event.windows_key_code) {
      case kVkF10:
        _OpenInUsersBrowser(QUrl(GetLocalDevelopmentPageUrl()));
        return true;
      case kVkF8:
        _ShowDevTool();
        return true;
      case kVkF5:
        browser->Reload();
        return true;
      default:
        break;
    }
  }
  if (rawKeyDown && event.windows_key_code == kVkF4 && (event.modifiers & kAltModifier)) {
    if (m_pSignalsWidget) emit m_pSignalsWidget->OnQuitKeyPress();
    return true;
  }
  return false;
}

bool VellHandler::_TrackIfEnableDevKeyPassMatch(int keyCode) {
  if (m_bDevKeyEnabled) {
    m_vecDevKeyTrack.clear();
    return true;
  }
  if (keyCode == kVkEscape || m_vecDevKeyTrack.size() > 11) {
    m_vecDevKeyTrack.clear();
    return false;
  }
  const QVector<int> pass(std::begin(kDevKeyPass), std::end(kDevKeyPass));
  if (!pass.contains(keyCode)) {
    m_vecDevKeyTrack.clear();
    return false;
  }
  m_vecDevKeyTrack.append(keyCode);
  return m_vecDevKeyTrack == pass;
}

void VellHandler::_ShowDevTool() {
  CefRefPtr<CefBrowserHost> host = m_pBrowser ? m_pBrowser->GetHost() : nullptr;
  if (!host) return;
  if (host->HasDevTools()) {
    host->CloseDevTools();
    return;
  }
  CefWindowInfo windowInfo;
  CefString(&windowInfo.window_name) = m_pBrowser->GetMainFrameCefUrl();
  windowInfo.style = kDevToolsWindowStyle;
  windowInfo.x = windowInfo.y = windowInfo.width = windowInfo.height = kUseDefault;
  host->ShowDevTools(windowInfo, nullptr, CefBrowserSettings(), CefPoint{0, 0});
}

void VellHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) {
  const std::string url = m_pSignalsWidget ? m_pSignalsWidget->GetUrl().toStdString() : std::string();
  const int browserId = browser->GetIdentifier();
  _Notify([browser, browserId, url, status](VellSignalsWidget* widget) {
    CefRefPtr<CefFrame> main = browser->GetMainFrame();
    if (main && main->IsValid()) browser->Reload();
    emit widget->OnRenderProcessTerminated(browserId, url, static_cast<int>(status));
  });
}
