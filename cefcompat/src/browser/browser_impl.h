#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include <QPointer>

#include "protocol/connection.h"
#include "browser/frame_impl.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"
#include "include/cef_drag_data.h"
#include "base/live_count.h"

namespace cefcompat {

class FetchInterceptor;
class RendererHost;
class SurfaceWindow;

// One browser: a page target of Chromium with its own protocol session.
// Protocol state is touched on TID_UI only; the CEF getters are thread-safe.
class BrowserImpl : public CefBrowser, public CefBrowserHost {
 public:
  BrowserImpl(int id, CefRefPtr<CefClient> client, const CefBrowserSettings& settings, bool isPopup);
  ~BrowserImpl() override;

  // CefBrowser
  CefRefPtr<CefBrowserHost> GetHost() override { return this; }
  bool IsValid() override { return valid_; }
  bool CanGoBack() override { return canGoBack_; }
  void GoBack() override { NavigateHistory(-1); }
  bool CanGoForward() override { return canGoForward_; }
  void GoForward() override { NavigateHistory(1); }
  bool IsLoading() override { return loading_; }
  void Reload() override { ReloadPage(false); }
  void ReloadIgnoreCache() override { ReloadPage(true); }
  void StopLoad() override;
  int GetIdentifier() override { return id_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that && that->GetIdentifier() == id_; }
  bool IsPopup() override { return isPopup_; }
  bool HasDocument() override;
  CefRefPtr<CefFrame> GetMainFrame() override;
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override;
  size_t GetFrameCount() override;
  void GetFrameIdentifiers(std::vector<int64>& identifiers) override;

  // CefBrowserHost
  CefRefPtr<CefBrowser> GetBrowser() override { return this; }
  void CloseBrowser(bool force_close) override;
  CefWindowHandle GetWindowHandle() override { return windowHandle_; }
  CefRefPtr<CefClient> GetClient() override { return client_; }
  CefRefPtr<CefRequestContext> GetRequestContext() override { return CefRequestContext::GetGlobalContext(); }
  void ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client, const CefBrowserSettings& settings,
                    const CefPoint& inspect_element_at) override;
  void CloseDevTools() override;
  bool HasDevTools() override;
  void WasResized() override;
  void WasHidden(bool hidden) override;
  void SendKeyEvent(const CefKeyEvent& event) override;
  void SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                           int clickCount) override;
  void SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) override;
  void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) override;

  // Runtime side.
  using Done = std::function<void()>;
  // TID_UI: attaches to `targetId` (or creates a target when empty), sets the
  // session up, starts loading `url` (when not empty) and reports OnAfterCreated.
  void Attach(const std::string& targetId, const std::string& url, bool notifyClient, bool withRenderer = true);
  // TID_UI: the target went away (closed, or Chromium died): OnBeforeClose.
  void OnTargetGone(const std::string& reason);
  // TID_UI: the opener of a popup target asks its client whether to allow it.
  bool AllowPopup(const std::string& url, const std::string& name, bool userGesture);
  void OnWindowOpen(const Json& params);
  std::string TakePendingPopupUrl(std::string& name, bool& userGesture);
  // TID_UI: the target's title as Chromium reports it (the URL when the page
  // has none); OnTitleChange when it differs from the last one.
  void OnTitle(const std::string& title);
  // TID_UI: asks Chromium for the title (after a main-frame load).
  void RefreshTitle();
  const std::string& TargetId() const { return targetId_; }
  const std::string& SessionId() const { return sessionId_; }
  // Any thread: runs a protocol command on this browser's session.
  void Send(const std::string& method, Json params, Connection::ReplyCallback callback = nullptr);
  // Qt thread: the surface (created on the Qt thread) and its geometry.
  void SetSurface(SurfaceWindow* surface, CefWindowHandle handle);
  void OnSurfaceGeometry(int width, int height, bool visible);
  void ExecuteInFrame(const std::string& protocolFrameId, const std::string& code, const std::string& scriptUrl);
  void LoadInFrame(const std::string& protocolFrameId, const std::string& url);
  void DeliverScreencastFrame(const Json& params);
  // Reader thread: a paused request of a frame already known goes straight to
  // the interceptor; false leaves the request to the UI thread's routing.
  bool DeliverRequestPaused(const Json& params);
  // TID_UI.
  pid_t RendererPid() const;
  // Any thread.
  CefRefPtr<FrameImpl> GetFrameByProtocolId(const std::string& id) { return FrameByProtocolId(id); }
  // Any thread: a process message for the render side of a frame.
  void SendToRenderer(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message);
  // Qt thread: a drag over the surface. The drag handler decides on TID_UI when
  // it enters; until then, and when it allows the drag, the surface accepts it.
  // Returns false once the handler refused this drag.
  enum class DragStage { Enter, Over, Drop, Cancel };
  bool Drag(DragStage stage, CefRefPtr<CefDragData> data, int x, int y);

 private:
  void OnSessionEvent(const std::string& method, const Json& params);
  void StartRenderer(std::function<void()> then);
  void FinishCreation(const std::string& url, bool notifyClient);
  void Announce(bool notifyClient);
  // TID_UI: navigates a frame now; `then` (may be null) runs once Chromium replied.
  void Navigate(const std::string& protocolFrameId, const std::string& url, std::function<void()> then);
  void OnRendererMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message);
  void OnRendererGone(const std::string& reason, bool killed);
  void OnFrameAttached(const Json& params);
  void OnFrameDetached(const Json& params);
  void OnFrameNavigated(const Json& frame);
  void OnFrameStoppedLoading(const std::string& frameId);
  void OnResponseReceived(const Json& params);
  void OnLoadingFailed(const Json& params);
  void OnConsole(const Json& params);
  void OnException(const Json& params);
  void OnContextMenuBinding(const Json& params);
  void SetLoading(bool loading);
  void RefreshHistory(std::function<void()> then);
  void NavigateHistory(int offset);
  void ReloadPage(bool ignoreCache);
  void ApplyScreencast();
  void ApplyWindowState(bool minimized);
  void FinishClose();
  void SendCloseTarget();
  CefRefPtr<FrameImpl> FrameByProtocolId(const std::string& id);
  CefRefPtr<FrameImpl> EnsureFrame(const std::string& id, const std::string& parentId);
  void PostToUi(std::function<void()> task);

  const int id_;
  const CefRefPtr<CefClient> client_;
  const CefBrowserSettings settings_;
  const bool isPopup_;
  std::atomic<bool> valid_{true};
  std::atomic<bool> loading_{false};
  std::atomic<bool> canGoBack_{false};
  std::atomic<bool> canGoForward_{false};
  std::atomic<CefWindowHandle> windowHandle_{0};
  std::atomic<bool> dragRefused_{false};

  // TID_UI only.
  std::string targetId_;
  std::string sessionId_;
  bool created_ = false;
  bool closing_ = false;
  std::string title_;  // TID_UI
  bool closed_ = false;
  std::map<int, std::string> contextFrames_;      // execution context id -> frame id
  struct Loader {
    std::string frameId;
    std::string url;
  };
  std::map<std::string, Loader> loaders_;         // document request (loader) id -> its frame and URL
  std::map<std::string, int> documentStatus_;     // frame id -> HTTP status of its last document
  std::map<std::string, bool> errorPage_;         // frame id -> showing Chromium's error page
  std::deque<Json> pendingPopups_;
  bool holdingEvents_ = false;                            // until OnAfterCreated (see FinishCreation)
  std::deque<std::pair<std::string, Json>> heldEvents_;  // session events held meanwhile
  bool historyReset_ = false;
  int surfaceWidth_ = 0;
  int surfaceHeight_ = 0;
  bool surfaceVisible_ = false;
  bool hidden_ = false;
  bool screencasting_ = false;
  bool minimized_ = false;  // the page's Chromium window
  std::mutex devToolsMutex_;
  CefRefPtr<BrowserImpl> devTools_;  // written on TID_UI under devToolsMutex_
  std::mutex rendererMutex_;                 // guards renderer_ for readers off TID_UI; written on TID_UI
  std::shared_ptr<RendererHost> renderer_;
  std::unique_ptr<FetchInterceptor> fetch_;

  std::mutex framesMutex_;
  std::map<std::string, CefRefPtr<FrameImpl>> frames_;
  CefRefPtr<FrameImpl> mainFrame_;

  QPointer<SurfaceWindow> surface_;  // Qt thread
  LiveCount<BrowserImpl> live_;
  IMPLEMENT_REFCOUNTING(BrowserImpl);
};

}  // namespace cefcompat
