#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVector>

#include "base/VellError.h"
#include "include/cef_client.h"
#include "include/cef_context_menu_handler.h"
#include "include/cef_display_handler.h"
#include "include/cef_drag_handler.h"
#include "include/cef_keyboard_handler.h"
#include "include/cef_life_span_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_request_handler.h"
#include "include/cef_resource_request_handler.h"
#include "include/wrapper/cef_resource_manager.h"
#include "v8_api/VellV8PluginFactory.h"

#include "core/VellSignalsWidget.h"

class VellBrowserWrapper;

// The client of exactly one browser (browser process). Follows the browser's
// life span, owns its wrapper, routes every message of its render process to
// the browser's plugins, and reports loads, keys and crashes to the Qt side
// through the signals widget.
//
// Threads: CEF calls every callback on its UI thread; each notification
// crosses to the Qt thread through the signals widget (queued). LoadUrl,
// Cleanup and the getters are for the Qt thread.
//
// Developer keys: typing V E L L D E V T O O L S (twelve Windows virtual-key
// codes, kDevKeyPass) in a browser unlocks, for that browser, F5 (reload),
// F8 (developer tools) and F10 (the local development page, by default
// http://127.0.0.1:9000/, see SetLocalDevelopmentPageUrl). Escape starts the
// typing over. Alt+F4 always asks the launcher to quit (OnQuitKeyPress).
class VellHandler : public CefClient,
                    public CefLifeSpanHandler,
                    public CefLoadHandler,
                    public CefRequestHandler,
                    public CefKeyboardHandler,
                    public CefDisplayHandler,
                    public CefResourceRequestHandler,
                    public CefDragHandler,
                    public CefFocusHandler,
                    public CefContextMenuHandler {
 public:
  static const int kDevKeyPass[12];

  explicit VellHandler(VellSignalsWidget* signalsWidget);
  ~VellHandler() override;

  VellSignalsWidget* GetVellSignalsWidget() { return m_pSignalsWidget.data(); }
  VellBrowserWrapper* GetBrowser() { return m_pBrowser; }
  std::shared_ptr<VellError> GetBrowserId(int& out);
  std::shared_ptr<VellError> GetVellV8PluginFactory(VellV8PluginFactory*& out);
  CefRefPtr<CefResourceManager> GetResourceManager() { return m_pResourceManager; }
  // Qt thread; a browser still being created loads `url` once it exists.
  void LoadUrl(const std::string& url);
  // Forced close of the browser; one still being created is closed as soon
  // as it exists.
  void Cleanup();
  void SetShouldStop(bool stop) { m_bShouldStop = stop; }

  static void SetLocalDevelopmentPageUrl(const QString& url);
  static QString GetLocalDevelopmentPageUrl();

  // CefClient
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefDragHandler> GetDragHandler() override { return this; }
  CefRefPtr<CefFocusHandler> GetFocusHandler() override { return this; }
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefProcessId sourceProcess,
                                CefRefPtr<CefProcessMessage> message) override;

  // CefLifeSpanHandler
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& targetUrl,
                     const CefString& targetFrameName, CefLifeSpanHandler::WindowOpenDisposition targetDisposition,
                     bool userGesture, const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     CefRefPtr<CefDictionaryValue>& extraInfo, bool* noJavascriptAccess) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  bool DoClose(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefLoadHandler
  void OnLoadingStateChange(CefRefPtr<CefBrowser>, bool, bool, bool) override {}
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, TransitionType transitionType) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                   const CefString& errorText, const CefString& failedUrl) override;

  // Resource providers (Qt thread; the manager moves the insertion to the IO
  // thread). Requests under `strUrl` are answered from the zip archive (with
  // its password) or the directory; what they do not hold goes on to the next
  // provider and finally the network. Lower `order` is asked first.
  std::shared_ptr<VellError> AddArchiveResourceProvider(const std::string& strArchivePath, const std::string& strUrl,
                                                        const std::string& strPassword, int order);
  std::shared_ptr<VellError> AddLocalDirectoryResourceProvider(const std::string& strDirPath, const std::string& strUrl,
                                                               int order);

  // CefRequestHandler
  // A link a person opens in a new tab or window goes where pop-ups go: to
  // the user's browser; the page stays.
  bool OnOpenURLFromTab(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& targetUrl,
                        CefRequestHandler::WindowOpenDisposition targetDisposition, bool userGesture) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override;
  CefRefPtr<CefResourceRequestHandler> GetResourceRequestHandler(CefRefPtr<CefBrowser> browser,
                                                                 CefRefPtr<CefFrame> frame,
                                                                 CefRefPtr<CefRequest> request, bool isNavigation,
                                                                 bool isDownload, const CefString& requestInitiator,
                                                                 bool& disableDefaultHandling) override;

  // CefResourceRequestHandler (IO thread): every request goes through the
  // resource manager; failed responses are logged; schemes Chromium does not
  // load are never handed to the operating system.
  ReturnValue OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback) override;
  CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   CefRefPtr<CefRequest> request) override;
  bool OnResourceResponse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                          CefRefPtr<CefResponse> response) override;
  void OnProtocolExecution(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                           bool& allowOsExecution) override;

  // CefKeyboardHandler
  bool OnPreKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent&, CefEventHandle, bool*) override { return false; }
  bool OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle osEvent) override;

  // CefDisplayHandler
  bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level, const CefString& message,
                        const CefString& source, int line) override;
  void OnFullscreenModeChange(CefRefPtr<CefBrowser> browser, bool fullscreen) override;

  // CefDragHandler: every drag into the browser is refused (a file dropped
  // on a page would replace the launcher's page with the file).
  bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> dragData, DragOperationsMask mask) override;

  // CefFocusHandler: Tab past the page's ends moves on to the launcher's widgets.
  void OnTakeFocus(CefRefPtr<CefBrowser> browser, bool next) override;

  // CefContextMenuHandler: no context menu.
  void OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                           CefRefPtr<CefMenuModel> model) override {
    model->Clear();
  }

 private:
  bool _IsMainFrameEvent(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) const;
  bool _TrackIfEnableDevKeyPassMatch(int keyCode);
  void _ShowDevTool();
  // TID_UI: the halves of LoadUrl and Cleanup that need the browser.
  void _LoadUrlOnUi(const QString& strUrl);
  void _CloseOnUi();
  static void _OpenInUsersBrowser(const QUrl& url);
  // Runs `call` on the signals widget's thread (queued from the UI thread).
  void _Notify(std::function<void(VellSignalsWidget*)> call) const;
  void _Dispatch(VellV8PluginFactory& factory, CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 CefRefPtr<CefProcessMessage> message);
  void _DispatchAfterPluginRegistration(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                        CefRefPtr<CefProcessMessage> message);
  // A page that keeps calling what is not served logs each name once.
  void _LogUnservedOncePerPage(const std::string& action);
  // Refuses a call from a frame whose origin the launcher's allowlist lacks;
  // false when the call may go on.
  bool _RefuseForOrigin(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message);
  void _LogOriginRefusedOncePerFrame(const std::string& callerId, const std::string& origin, const std::string& action);

  bool m_bCloseOnCreation = false;  // UI thread
  QString m_strUrlOnCreation;       // UI thread
  bool m_bIsClosing = false;
  bool m_bIsCreated = false;
  bool m_bIsClosed = false;
  QPointer<VellSignalsWidget> m_pSignalsWidget;  // not owned
  bool m_bShouldStop = false;
  VellBrowserWrapper* m_pBrowser = nullptr;
  QVector<int> m_vecDevKeyTrack;
  bool m_bDevKeyEnabled = false;
  CefRefPtr<CefResourceManager> m_pResourceManager;
  static constexpr size_t kMaxUnservedLoggedPerPage = 16;
  std::mutex m_unservedMutex;
  std::set<std::string> m_setUnservedLogged;  // this page's, by m_unservedMutex
  std::mutex m_originMutex;
  std::set<std::string> m_setOriginRefusedFrames;  // callers whose refusal was logged, by m_originMutex

  IMPLEMENT_REFCOUNTING(VellHandler);
};
