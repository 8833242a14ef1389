#pragma once

// The browser side of the runtime: Chromium's page targets as CEF browsers.
// A browser wires the parts that each do one job (frame tree, navigation,
// console, context menu, popups, dialogs, developer tools, view and input) to its
// page's protocol session. Protocol state lives on TID_UI.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/live_count.h"
#include "browser/caret_reporter.h"
#include "browser/clipboard_bridge.h"
#include "browser/console_reporter.h"
#include "browser/context_menu_runner.h"
#include "browser/devtools_host.h"
#include "browser/display_reporter.h"
#include "browser/file_dialog_runner.h"
#include "browser/find_runner.h"
#include "browser/focus_reporter.h"
#include "browser/frame_tree.h"
#include "browser/js_dialog_runner.h"
#include "browser/key_reporter.h"
#include "browser/navigation_controller.h"
#include "browser/open_url_router.h"
#include "browser/page_session.h"
#include "browser/popup_broker.h"
#include "browser/field_popup_runner.h"
#include "browser/zoom_controller.h"
#include "download/response_ledger.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"
#include "network/intercepted_browser.h"
#include "network/request_context_impl.h"
#include "view/input_dispatcher.h"
#include "view/screencast_view.h"

namespace cefcompat {

class FetchInterceptor;
class RendererHost;

// One browser: a page target of Chromium with its own protocol session.
// Protocol state is touched on TID_UI only; the CEF getters are thread-safe.
class BrowserImpl : public CefBrowser, public CefBrowserHost, public InterceptedBrowser {
 public:
  // `context` null: the global request context.
  BrowserImpl(int id, CefRefPtr<CefClient> client, const CefBrowserSettings& settings, bool isPopup,
              CefRefPtr<RequestContextImpl> context = nullptr);
  ~BrowserImpl() override;

  // CefBrowser
  CefRefPtr<CefBrowserHost> GetHost() override { return this; }
  bool IsValid() override { return valid_; }
  bool CanGoBack() override { return navigation_.CanGoBack(); }
  void GoBack() override { NavigateHistory(-1); }
  bool CanGoForward() override { return navigation_.CanGoForward(); }
  void GoForward() override { NavigateHistory(1); }
  bool IsLoading() override { return navigation_.IsLoading(); }
  void Reload() override { ReloadPage(false); }
  void ReloadIgnoreCache() override { ReloadPage(true); }
  void StopLoad() override;
  int GetIdentifier() override { return id_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that && that->GetIdentifier() == id_; }
  bool IsPopup() override { return isPopup_; }
  bool HasDocument() override { return frames_.HasDocument(); }
  CefRefPtr<CefFrame> GetMainFrame() override { return frames_.Main().get(); }
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override { return frames_.ByIdentifier(identifier).get(); }
  size_t GetFrameCount() override { return frames_.Count(); }
  void GetFrameIdentifiers(std::vector<int64>& identifiers) override { identifiers = frames_.Identifiers(); }

  // CefBrowserHost
  CefRefPtr<CefBrowser> GetBrowser() override { return this; }
  void CloseBrowser(bool force_close) override;
  CefWindowHandle GetWindowHandle() override { return view_.WindowHandle(); }
  CefRefPtr<CefClient> GetClient() override { return client_; }
  CefRefPtr<CefRequestContext> GetRequestContext() override { return context_.get(); }
  void ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefBrowserSettings& settings,
                    const CefPoint& inspect_element_at) override;
  void CloseDevTools() override { devTools_.Close(); }
  bool HasDevTools() override { return devTools_.IsOpen(); }
  void WasResized() override {}
  void WasHidden(bool hidden) override { view_.SetHidden(hidden); }
  void SetFocus(bool focus) override {
    PostToUi([this, focus]() { focus_.SetFocus(focus); });
  }
  void SendKeyEvent(const CefKeyEvent& event) override {
    if (!display_.LeavesFullscreen(event)) input_.SendKeyEvent(event);
  }
  void SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                           int clickCount) override {
    input_.SendMouseClickEvent(event, type, mouseUp, clickCount);
  }
  void SendMouseMoveEvent(const CefMouseEvent& event, bool /*mouseLeave*/) override { input_.SendMouseMoveEvent(event); }
  void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) override {
    input_.SendMouseWheelEvent(event, deltaX, deltaY);
  }
  void ImeSetComposition(const CefString& text, const std::vector<CefCompositionUnderline>&, const CefRange&,
                         const CefRange& selection_range) override {
    input_.ImeSetComposition(text.ToString(), selection_range);
  }
  void ImeCommitText(const CefString& text, const CefRange&, int) override { input_.ImeCommitText(text.ToString()); }
  void ImeFinishComposingText(bool) override { input_.ImeFinishComposingText(); }
  void ImeCancelComposition() override { input_.ImeSetComposition(std::string(), CefRange(0, 0)); }
  double GetZoomLevel() override { return zoom_.Level(); }
  void SetZoomLevel(double zoomLevel) override {
    PostToUi([this, zoomLevel]() { zoom_.Apply(zoomLevel); });
  }
  void Find(int identifier, const CefString& searchText, bool forward, bool matchCase, bool findNext) override {
    PostToUi([this, identifier, text = searchText.ToString(), forward, matchCase, findNext]() { find_.Find(identifier, text, forward, matchCase, findNext); });
  }
  void StopFinding(bool clearSelection) override {
    PostToUi([this, clearSelection]() { find_.Stop(clearSelection); });
  }
  void StartDownload(const CefString& url) override;

  // InterceptedBrowser (any thread)
  CefRefPtr<CefBrowser> Browser() override { return this; }
  CefRefPtr<CefFrame> FrameByProtocolId(const std::string& id) override { return frames_.ByProtocolId(id).get(); }
  const std::string& SessionId() const override { return session_.SessionId(); }

  // Runtime side.
  // TID_UI: attaches to `targetId` (or creates a target when empty), sets the
  // session up, starts loading `url` (when not empty) and reports OnAfterCreated.
  void Attach(const std::string& targetId, const std::string& url, bool notifyClient, bool withRenderer = true);
  // TID_UI: the target went away (closed, or Chromium died): OnBeforeClose.
  void OnTargetGone(const std::string& reason);
  // Before Attach, windowed mode: Chromium's window goes into the X window
  // `parent` at `bounds` (a CEF child window) instead of a surface.
  void SetForeignParent(unsigned long parent, const CefRect& bounds) {
    foreignParent_ = parent;
    foreignBounds_ = bounds;
  }
  // TID_UI: the page's popups.
  PopupBroker& Popups() { return popups_; }
  // Any thread: the request context the browser loads in.
  const CefRefPtr<RequestContextImpl>& Context() const { return context_; }
  // TID_UI: the page's last document responses, for its downloads.
  const ResponseLedger& Responses() const { return responses_; }
  // TID_UI: the target's title as Chromium reports it (the URL when the page
  // has none); OnTitleChange when it differs from the last one.
  void OnTitle(const std::string& title);
  const std::string& TargetId() const { return session_.TargetId(); }
  // Any thread: runs a protocol command on this browser's session.
  void Send(const std::string& method, Json params, Connection::ReplyCallback callback = nullptr) {
    session_.Send(method, std::move(params), std::move(callback));
  }
  ScreencastView& View() { return view_; }
  InputDispatcher& Input() { return input_; }
  void ExecuteInFrame(const std::string& protocolFrameId, const std::string& code, const std::string& scriptUrl);
  void LoadInFrame(const std::string& protocolFrameId, const std::string& url) override;
  // Reader thread.
  void DeliverScreencastFrame(const Json& params) { view_.DeliverFrame(params); }
  // Reader thread: a paused request of a frame already known goes straight to
  // the interceptor; false leaves the request to the UI thread's routing.
  bool DeliverRequestPaused(const Json& params);
  // TID_UI: pauses the requests the runtime answers: all of them for a client
  // with a request handler, else those of custom schemes and scheme handler
  // factories (again after factories change).
  void InterceptRequests();
  // TID_UI.
  pid_t RendererPid() const;
  // Any thread: a process message for the render side of a frame.
  void SendToRenderer(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message);

 private:
  void Subscribe();
  // TID_UI: a page target of its own in the browser's storage, then Attach.
  void CreateTarget(const std::string& url, bool notifyClient, bool withRenderer);
  void OnAttached(const std::string& sessionId, const std::string& url, bool notifyClient, bool withRenderer);
  void OnSessionEvent(const std::string& method, const Json& params);
  void StartRenderer(std::function<void()> then);
  // Windowed mode: finds the page's Chromium window and puts it in place.
  void FindWindowThen(std::function<void()> then);
  void WriteTokenUntilFound(const std::string& token, std::shared_ptr<std::function<void()>> done);
  void PlaceWindow(unsigned long window);
  void DescribeFramesThen(const std::string& url, bool notifyClient, bool withRenderer);
  void OnWindowOpened(const std::string& targetId, const std::string& error, const std::string& url, bool notifyClient,
                      bool withRenderer);
  void FinishCreation(const std::string& url, bool notifyClient);
  void Announce(bool notifyClient);
  void OnRendererMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message);
  void OnRendererGone(const std::string& reason, bool killed);
  void RefreshTitle();
  void NavigateHistory(int offset);
  void ReloadPage(bool ignoreCache);
  void FinishClose();
  void SendCloseTarget();
  // TID_UI: checks every half second that a closing browser closed.
  void WatchClose(int elapsedMs);
  void PostToUi(std::function<void()> task);

  const int id_;
  const CefRefPtr<CefClient> client_;
  const CefBrowserSettings settings_;
  const bool isPopup_;
  const CefRefPtr<RequestContextImpl> context_;
  std::atomic<bool> valid_{true};

  // TID_UI only.
  bool created_ = false;
  bool closing_ = false;
  bool closed_ = false;
  std::string title_;
  unsigned long foreignParent_ = 0;
  CefRect foreignBounds_;
  bool holdingEvents_ = false;                            // until OnAfterCreated (see FinishCreation)
  std::deque<std::pair<std::string, Json>> heldEvents_;  // session events held meanwhile

  PageSession session_;
  FrameTree frames_;
  NavigationController navigation_;
  ConsoleReporter console_;
  ContextMenuRunner contextMenu_;
  PopupBroker popups_;
  OpenUrlRouter openUrls_;
  JsDialogRunner dialogs_;
  FileDialogRunner fileDialogs_;
  DevToolsHost devTools_;
  ScreencastView view_;
  InputDispatcher input_;
  DisplayReporter display_;
  FocusReporter focus_;
  KeyReporter keys_;
  FieldPopupRunner fieldPopups_;
  ClipboardBridge clipboard_;
  CaretReporter caret_;
  ZoomController zoom_;
  FindRunner find_;
  ResponseLedger responses_;
  std::unique_ptr<FetchInterceptor> fetch_;
  bool intercepting_ = false;  // TID_UI: the Fetch domain is enabled
  std::mutex rendererMutex_;  // guards renderer_ for readers off TID_UI; written on TID_UI
  std::shared_ptr<RendererHost> renderer_;

  LiveCount<BrowserImpl> live_;
  IMPLEMENT_REFCOUNTING(BrowserImpl);
};

}  // namespace cefcompat
