#include "RecordingClient.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "include/cef_task.h"

void EventRecorder::Record(const std::string& kind, nlohmann::json data) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({kind, std::move(data)});
  }
  // One wake-up for a burst of events: each wait looks at all of them anyway.
  if (m_wakePending.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_wakePending = false;
        emit Changed();
      },
      Qt::QueuedConnection);
}

std::vector<EventRecorder::Event> EventRecorder::Events() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

std::vector<EventRecorder::Event> EventRecorder::Of(const std::string& kind) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<Event> found;
  for (const auto& event : m_events) {
    if (event.kind == kind) found.push_back(event);
  }
  return found;
}

size_t EventRecorder::Count(const std::string& kind) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<size_t>(
      std::count_if(m_events.begin(), m_events.end(), [&](const Event& event) { return event.kind == kind; }));
}

std::vector<std::string> EventRecorder::Kinds() const {
  std::vector<std::string> kinds;
  for (const auto& event : Events()) kinds.push_back(event.kind);
  return kinds;
}

bool EventRecorder::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(this, &EventRecorder::Changed, &loop, [&]() {
    if (done()) loop.quit();
  });
  timer.start(timeoutMs);
  loop.exec();
  return done();
}

bool EventRecorder::WaitForKind(const std::string& kind, size_t count, int timeoutMs) {
  return WaitFor([&]() { return Count(kind) >= count; }, timeoutMs);
}

namespace {

nlohmann::json FrameInfo(CefRefPtr<CefFrame> frame) {
  if (!frame) return {{"frame", nullptr}};
  return {{"url", frame->GetURL().ToString()}, {"main", frame->IsMain()}, {"frameId", frame->GetIdentifier()}};
}

nlohmann::json KeyInfo(const CefKeyEvent& event) {
  return {{"type", event.type}, {"code", event.windows_key_code}, {"modifiers", event.modifiers}};
}

}  // namespace

void RecordingClient::Record(const std::string& kind, nlohmann::json data) {
  data["onUiThread"] = CefCurrentlyOn(TID_UI);
  data["onQtThread"] = QThread::currentThread() == QCoreApplication::instance()->thread();
  recorder_->Record(kind, std::move(data));
}

bool RecordingClient::OnOpenURLFromTab(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, const CefString& target_url,
                                       CefRequestHandler::WindowOpenDisposition target_disposition, bool user_gesture) {
  Record("OnOpenURLFromTab", {{"url", target_url.ToString()},
                              {"disposition", target_disposition},
                              {"gesture", user_gesture},
                              {"main", frame && frame->IsMain()}});
  return cancelNewTabs;
}

bool RecordingClient::OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& target_url,
                                    const CefString& target_frame_name, CefLifeSpanHandler::WindowOpenDisposition,
                                    bool user_gesture, const CefPopupFeatures&, CefWindowInfo&,
                                    CefRefPtr<CefClient>&, CefBrowserSettings&, CefRefPtr<CefDictionaryValue>&,
                                    bool*) {
  Record("OnBeforePopup",
         {{"url", target_url.ToString()}, {"name", target_frame_name.ToString()}, {"gesture", user_gesture}});
  return refusePopups;
}

void RecordingClient::OnAfterCreated(CefRefPtr<CefBrowser> created) {
  {
    std::lock_guard<std::mutex> lock(browsersMutex);
    browsers.push_back(created);
  }
  if (!browser) browser = created;
  Record("OnAfterCreated", {{"id", created->GetIdentifier()},
                            {"handle", created->GetHost()->GetWindowHandle()},
                            {"popup", created->IsPopup()}});
}

void RecordingClient::ForgetBrowsers() {
  std::lock_guard<std::mutex> lock(browsersMutex);
  browsers.clear();
  browser = nullptr;
}

bool RecordingClient::DoClose(CefRefPtr<CefBrowser> closing) {
  Record("DoClose", {{"id", closing->GetIdentifier()}});
  return false;
}

void RecordingClient::OnBeforeClose(CefRefPtr<CefBrowser> closed) {
  Record("OnBeforeClose", {{"id", closed->GetIdentifier()}, {"valid", closed->IsValid()}});
}

void RecordingClient::OnLoadingStateChange(CefRefPtr<CefBrowser>, bool isLoading, bool canGoBack, bool canGoForward) {
  Record("OnLoadingStateChange", {{"loading", isLoading}, {"back", canGoBack}, {"forward", canGoForward}});
}

void RecordingClient::OnLoadStart(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, TransitionType transition) {
  auto data = FrameInfo(frame);
  data["transition"] = transition;
  Record("OnLoadStart", data);
}

void RecordingClient::OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, int httpStatusCode) {
  auto data = FrameInfo(frame);
  data["status"] = httpStatusCode;
  Record("OnLoadEnd", data);
}

void RecordingClient::OnLoadError(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                                  const CefString& errorText, const CefString& failedUrl) {
  auto data = FrameInfo(frame);
  data["error"] = errorCode;
  data["text"] = errorText.ToString();
  data["failedUrl"] = failedUrl.ToString();
  Record("OnLoadError", data);
}

bool RecordingClient::OnConsoleMessage(CefRefPtr<CefBrowser>, cef_log_severity_t level, const CefString& message,
                                       const CefString& source, int line) {
  Record("OnConsoleMessage",
         {{"level", level}, {"message", message.ToString()}, {"source", source.ToString()}, {"line", line}});
  return true;
}

void RecordingClient::OnTitleChange(CefRefPtr<CefBrowser>, const CefString& title) {
  Record("OnTitleChange", {{"title", title.ToString()}});
}

void RecordingClient::OnFullscreenModeChange(CefRefPtr<CefBrowser>, bool fullscreen) {
  Record("OnFullscreenModeChange", {{"fullscreen", fullscreen}});
}

bool RecordingClient::OnTooltip(CefRefPtr<CefBrowser>, CefString& text) {
  Record("OnTooltip", {{"text", text.ToString()}});
  return showsTooltips;
}

void RecordingClient::OnStatusMessage(CefRefPtr<CefBrowser>, const CefString& value) {
  Record("OnStatusMessage", {{"value", value.ToString()}});
}

void RecordingClient::OnLoadingProgressChange(CefRefPtr<CefBrowser>, double progress) {
  Record("OnLoadingProgressChange", {{"progress", progress}});
}

bool RecordingClient::OnCursorChange(CefRefPtr<CefBrowser>, CefCursorHandle, cef_cursor_type_t type,
                                     const CefCursorInfo&) {
  Record("OnCursorChange", {{"type", static_cast<int>(type)}});
  return showsCursor;
}

void RecordingClient::OnTakeFocus(CefRefPtr<CefBrowser>, bool next) { Record("OnTakeFocus", {{"next", next}}); }

bool RecordingClient::OnSetFocus(CefRefPtr<CefBrowser>, FocusSource source) {
  Record("OnSetFocus", {{"source", static_cast<int>(source)}});
  return refuseFocus;
}

void RecordingClient::OnGotFocus(CefRefPtr<CefBrowser>) { Record("OnGotFocus", {}); }

bool RecordingClient::OnPreKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent& event, CefEventHandle, bool*) {
  Record("OnPreKeyEvent", KeyInfo(event));
  return false;
}

bool RecordingClient::OnKeyEvent(CefRefPtr<CefBrowser>, const CefKeyEvent& event, CefEventHandle) {
  Record("OnKeyEvent", KeyInfo(event));
  return false;
}

void RecordingClient::OnRenderProcessTerminated(CefRefPtr<CefBrowser>, TerminationStatus status) {
  Record("OnRenderProcessTerminated", {{"status", status}});
}

bool RecordingClient::OnDragEnter(CefRefPtr<CefBrowser>, CefRefPtr<CefDragData> dragData, DragOperationsMask) {
  std::vector<CefString> names;
  dragData->GetFileNames(names);
  nlohmann::json files = nlohmann::json::array();
  for (const CefString& name : names) files.push_back(name.ToString());
  Record("OnDragEnter", {{"text", dragData->GetFragmentText().ToString()},
                         {"link", dragData->GetLinkURL().ToString()},
                         {"files", files}});
  return refuseDrags;
}

bool RecordingClient::OnJSDialog(CefRefPtr<CefBrowser>, const CefString& origin_url, JSDialogType dialog_type,
                                 const CefString& message_text, const CefString& default_prompt_text,
                                 CefRefPtr<CefJSDialogCallback> callback, bool& suppress_message) {
  const nlohmann::json dialog = {{"type", static_cast<int>(dialog_type)},
                                 {"origin", origin_url.ToString()},
                                 {"message", message_text.ToString()},
                                 {"default", default_prompt_text.ToString()}};
  Record("OnJSDialog", dialog);
  return onDialog && onDialog(dialog, callback, suppress_message);
}

bool RecordingClient::OnBeforeUnloadDialog(CefRefPtr<CefBrowser>, const CefString& message_text, bool,
                                           CefRefPtr<CefJSDialogCallback> callback) {
  const nlohmann::json dialog = {{"type", "beforeunload"}, {"message", message_text.ToString()}};
  Record("OnBeforeUnloadDialog", dialog);
  bool suppress = false;
  return onDialog && onDialog(dialog, callback, suppress);
}

bool RecordingClient::OnFileDialog(CefRefPtr<CefBrowser>, FileDialogMode mode, const CefString&, const CefString&,
                                   const std::vector<CefString>& accept_filters, int,
                                   CefRefPtr<CefFileDialogCallback> callback) {
  nlohmann::json filters = nlohmann::json::array();
  for (const auto& filter : accept_filters) filters.push_back(filter.ToString());
  Record("OnFileDialog", {{"mode", static_cast<int>(mode)}, {"filters", filters}});
  return onFileDialog && onFileDialog(callback);
}

void RecordingClient::OnResetDialogState(CefRefPtr<CefBrowser>) { Record("OnResetDialogState", {}); }

void RecordingClient::OnDialogClosed(CefRefPtr<CefBrowser>) { Record("OnDialogClosed", {}); }

void RecordingClient::OnBeforeContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
  auto data = FrameInfo(frame);
  data["x"] = params->GetXCoord();
  data["y"] = params->GetYCoord();
  data["items"] = model->GetCount();
  data["editable"] = params->IsEditable();
  if (clearMenus) model->Clear();
  Record("OnBeforeContextMenu", data);
}

bool RecordingClient::RunContextMenu(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                     CefRefPtr<CefMenuModel> model, CefRefPtr<CefRunContextMenuCallback> callback) {
  Record("RunContextMenu", {{"items", model->GetCount()}});
  return runMenu && runMenu(callback);
}

bool RecordingClient::OnContextMenuCommand(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefContextMenuParams>,
                                           int command_id, EventFlags) {
  Record("OnContextMenuCommand", {{"command", command_id}});
  return false;
}

void RecordingClient::OnContextMenuDismissed(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>) {
  Record("OnContextMenuDismissed", {});
}

bool RecordingClient::OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefProcessId source,
                                               CefRefPtr<CefProcessMessage> message) {
  auto data = FrameInfo(frame);
  data["name"] = message->GetName().ToString();
  data["source"] = source;
  nlohmann::json args = nlohmann::json::array();
  auto list = message->GetArgumentList();
  for (size_t i = 0; i < list->GetSize(); ++i) {
    switch (list->GetType(i)) {
      case VTYPE_INT: args.push_back(list->GetInt(i)); break;
      case VTYPE_STRING: args.push_back(list->GetString(i).ToString()); break;
      case VTYPE_BOOL: args.push_back(list->GetBool(i)); break;
      case VTYPE_DOUBLE: args.push_back(list->GetDouble(i)); break;
      default: args.push_back(nullptr); break;
    }
  }
  data["args"] = args;
  if (onMessage) onMessage(frame, message);
  Record("OnProcessMessageReceived", data);
  return true;
}
