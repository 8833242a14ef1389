#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>
#include <nlohmann/json.hpp>

#include "include/cef_client.h"

// Collects runtime callbacks; emits Changed() (queued to the Qt thread) after
// each one so that tests can wait on it.
class EventRecorder : public QObject {
  Q_OBJECT

 public:
  struct Event {
    std::string kind;
    nlohmann::json data;
  };

  void Record(const std::string& kind, nlohmann::json data);
  std::vector<Event> Events() const;
  std::vector<Event> Of(const std::string& kind) const;
  std::vector<std::string> Kinds() const;
  size_t Count(const std::string& kind) const;
  // Waits (running the Qt event loop) until `done` holds; false on time-out.
  bool WaitFor(const std::function<bool()>& done, int timeoutMs = 15000);
  bool WaitForKind(const std::string& kind, size_t count = 1, int timeoutMs = 15000);

 signals:
  void Changed();

 private:
  mutable std::mutex m_mutex;
  std::vector<Event> m_events;
  std::atomic<bool> m_wakePending{false};  // a Changed() is queued to the recorder's thread
};

// A client that records every callback of every handler.
class RecordingClient : public CefClient,
                        public CefLifeSpanHandler,
                        public CefLoadHandler,
                        public CefDisplayHandler,
                        public CefKeyboardHandler,
                        public CefRequestHandler,
                        public CefDragHandler,
                        public CefFocusHandler,
                        public CefJSDialogHandler,
                        public CefDialogHandler,
                        public CefContextMenuHandler {
 public:
  explicit RecordingClient(EventRecorder* recorder) : recorder_(recorder) {}

  bool refusePopups = true;
  bool cancelNewTabs = true;  // OnOpenURLFromTab's answer
  bool refuseDrags = true;
  CefRefPtr<CefBrowser> browser;  // set by OnAfterCreated (the first browser)
  std::vector<CefRefPtr<CefBrowser>> browsers;  // every browser this client was told of (TID_UI)
  std::mutex browsersMutex;
  // Drops this client's references to its browsers: a browser holds its
  // client, so a test ends with this once its browsers have closed.
  void ForgetBrowsers();

  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefDragHandler> GetDragHandler() override { return this; }
  CefRefPtr<CefFocusHandler> GetFocusHandler() override { return this; }
  CefRefPtr<CefJSDialogHandler> GetJSDialogHandler() override { return this; }
  CefRefPtr<CefDialogHandler> GetDialogHandler() override { return this; }
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }

  bool OnOpenURLFromTab(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, const CefString& target_url,
                        CefRequestHandler::WindowOpenDisposition target_disposition, bool user_gesture) override;
  bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& target_url,
                     const CefString& target_frame_name, CefLifeSpanHandler::WindowOpenDisposition, bool user_gesture,
                     const CefPopupFeatures&, CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&,
                     CefRefPtr<CefDictionaryValue>&, bool*) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  bool DoClose(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;
  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack, bool canGoForward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, TransitionType transition) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                   const CefString& errorText, const CefString& failedUrl) override;
  bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, cef_log_severity_t level, const CefString& message,
                        const CefString& source, int line) override;
  void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) override;
  void OnFullscreenModeChange(CefRefPtr<CefBrowser> browser, bool fullscreen) override;
  bool OnTooltip(CefRefPtr<CefBrowser> browser, CefString& text) override;
  void OnStatusMessage(CefRefPtr<CefBrowser> browser, const CefString& value) override;
  void OnLoadingProgressChange(CefRefPtr<CefBrowser> browser, double progress) override;
  bool OnCursorChange(CefRefPtr<CefBrowser> browser, CefCursorHandle cursor, cef_cursor_type_t type,
                      const CefCursorInfo& custom_cursor_info) override;
  void OnTakeFocus(CefRefPtr<CefBrowser> browser, bool next) override;
  bool OnSetFocus(CefRefPtr<CefBrowser> browser, FocusSource source) override;
  void OnGotFocus(CefRefPtr<CefBrowser> browser) override;
  std::atomic<bool> refuseFocus{false};  // read on TID_UI
  // Whether the cursor and tooltips are shown by this client (true) or left to the view.
  bool showsCursor = false;
  bool showsTooltips = false;
  bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle, bool*) override;
  bool OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event, CefEventHandle) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override;
  bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> dragData, DragOperationsMask mask) override;
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) override;
  bool RunContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefContextMenuParams> params,
                      CefRefPtr<CefMenuModel> model, CefRefPtr<CefRunContextMenuCallback> callback) override;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params, int command_id, EventFlags event_flags) override;
  void OnContextMenuDismissed(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  bool clearMenus = true;  // no menu is shown unless a test wants one
  // Shows the menu itself when set and returning true (TID_UI).
  std::function<bool(CefRefPtr<CefRunContextMenuCallback> callback)> runMenu;
  // Dialogs are recorded; `onDialog` (TID_UI) answers them, or the
  // default takes them when it is empty or returns false.
  bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& origin_url, JSDialogType dialog_type,
                  const CefString& message_text, const CefString& default_prompt_text,
                  CefRefPtr<CefJSDialogCallback> callback, bool& suppress_message) override;
  bool OnBeforeUnloadDialog(CefRefPtr<CefBrowser> browser, const CefString& message_text, bool is_reload,
                            CefRefPtr<CefJSDialogCallback> callback) override;
  void OnResetDialogState(CefRefPtr<CefBrowser> browser) override;
  void OnDialogClosed(CefRefPtr<CefBrowser> browser) override;
  std::function<bool(const nlohmann::json& dialog, CefRefPtr<CefJSDialogCallback> callback, bool& suppress)> onDialog;
  // File choosers are recorded; `onFileDialog` (TID_UI) answers them.
  bool OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode, const CefString& title,
                    const CefString& default_file_path, const std::vector<CefString>& accept_filters,
                    int selected_accept_filter, CefRefPtr<CefFileDialogCallback> callback) override;
  std::function<bool(CefRefPtr<CefFileDialogCallback> callback)> onFileDialog;
  // Records the name and the string or number arguments; `onMessage` may answer.
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefProcessId source,
                                CefRefPtr<CefProcessMessage> message) override;
  std::function<void(CefRefPtr<CefFrame>, CefRefPtr<CefProcessMessage>)> onMessage;

 private:
  void Record(const std::string& kind, nlohmann::json data);
  EventRecorder* recorder_;
  IMPLEMENT_REFCOUNTING(RecordingClient);
};
