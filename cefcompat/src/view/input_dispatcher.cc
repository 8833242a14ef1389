#include "view/input_dispatcher.h"

#include <algorithm>
#include <utility>

#include "base/log.h"
#include "base/task_thread.h"
#include "view/keys.h"

namespace cefcompat {

InputDispatcher::InputDispatcher(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session)
    : browser_(browser), client_(std::move(client)), session_(session) {}

namespace {

// Longer compositions wait unseen until they end (see HoldLongComposition).
constexpr uint32 kLongestComposition = 2000;

bool IsPasteKey(const CefKeyEvent& event) {
  if (event.type != KEYEVENT_RAWKEYDOWN && event.type != KEYEVENT_KEYDOWN) return false;
  const uint32 held = event.modifiers & (EVENTFLAG_CONTROL_DOWN | EVENTFLAG_SHIFT_DOWN | EVENTFLAG_ALT_DOWN);
  return (event.windows_key_code == 0x56 && held == EVENTFLAG_CONTROL_DOWN) ||
         (event.windows_key_code == 0x2D && held == EVENTFLAG_SHIFT_DOWN);
}

}  // namespace

void InputDispatcher::PostToUi(std::function<void()> task) {
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::Post(TID_UI, [this, keep, task = std::move(task)]() {
    if (holding_) return held_.push_back(std::move(task));
    task();
  });
}

void InputDispatcher::Paste() {
  PostToUi([this]() { RunPaste([] {}); });
}

void InputDispatcher::RunPaste(std::function<void()> then) {
  if (!paste_) return then();
  holding_ = true;
  CefRefPtr<CefBrowser> keep(browser_);
  paste_([this, keep, then = std::move(then)]() {
    then();
    Release();
  });
}

void InputDispatcher::Release() {
  holding_ = false;
  while (!held_.empty() && !holding_) {
    auto task = std::move(held_.front());
    held_.pop_front();
    task();
  }
}

void InputDispatcher::SendKeyEvent(const CefKeyEvent& event) {
  PostToUi([this, event]() {
    if (keysToPage_) return session_.Send("Input.dispatchKeyEvent", KeyEventToProtocol(event));
    auto handler = client_ ? client_->GetKeyboardHandler() : nullptr;
    bool isShortcut = false;
    if (handler && handler->OnPreKeyEvent(browser_, event, nullptr, &isShortcut)) return;
    CefRefPtr<CefBrowser> keep(browser_);
    if (paste_ && IsPasteKey(event)) {
      return RunPaste([keep, handler, event]() {
        if (handler && keep->IsValid()) handler->OnKeyEvent(keep, event, nullptr);
      });
    }
    session_.Send("Input.dispatchKeyEvent", KeyEventToProtocol(event), [keep, handler, event](const Connection::Reply&) {
      if (handler && keep->IsValid()) handler->OnKeyEvent(keep, event, nullptr);
    });
  });
}

void InputDispatcher::SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                                          int clickCount) {
  static const char* kButtons[] = {"left", "middle", "right"};
  PostToUi([this, event, type, mouseUp, clickCount]() {
    session_.Send("Input.dispatchMouseEvent", {{"type", mouseUp ? "mouseReleased" : "mousePressed"},
                                               {"x", event.x},
                                               {"y", event.y},
                                               {"button", kButtons[type]},
                                               {"clickCount", clickCount},
                                               {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

void InputDispatcher::SendMouseMoveEvent(const CefMouseEvent& event) {
  PostToUi([this, event]() {
    session_.Send("Input.dispatchMouseEvent",
                  {{"type", "mouseMoved"}, {"x", event.x}, {"y", event.y}, {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

void InputDispatcher::SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) {
  // CEF's positive delta scrolls up/left, the protocol's down/right.
  PostToUi([this, event, deltaX, deltaY]() {
    session_.Send("Input.dispatchMouseEvent", {{"type", "mouseWheel"},
                                               {"x", event.x},
                                               {"y", event.y},
                                               {"deltaX", -deltaX},
                                               {"deltaY", -deltaY},
                                               {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

void InputDispatcher::ImeSetComposition(const std::string& text, const CefRange& selection) {
  PostToUi([this, text, selection]() {
    if (text.empty() && composing_.empty()) return;
    composing_ = text;
    // Chromium's caret is in UTF-16 units, as CEF's range is.
    const uint32 end = static_cast<uint32>(CefString(text).ToString16().size());
    if (end > kLongestComposition) return HoldLongComposition(end);
    compositionShown_ = !text.empty();
    const uint32 from = std::min(selection.from, end);
    session_.Send("Input.imeSetComposition",
                  {{"text", text}, {"selectionStart", from}, {"selectionEnd", std::max(from, std::min(selection.to, end))}});
  });
}

// Chromium takes seconds to replace a composition of thousands of characters
// (its renderer stalls meanwhile): such a one is kept here, unseen, until it
// is committed or finished, and then typed at once.
void InputDispatcher::HoldLongComposition(uint32 length) {
  Log(LOGSEVERITY_WARNING, "input method: a composition of " + std::to_string(length) +
                               " characters is not shown until it ends (more than " +
                               std::to_string(kLongestComposition) + ")");
  if (std::exchange(compositionShown_, false)) ClearComposition();
}

void InputDispatcher::ClearComposition() {
  session_.Send("Input.imeSetComposition", {{"text", ""}, {"selectionStart", 0}, {"selectionEnd", 0}});
}

void InputDispatcher::ImeCommitText(const std::string& text) {
  PostToUi([this, text]() {
    const bool shown = std::exchange(compositionShown_, false);
    composing_.clear();
    if (!text.empty()) return session_.Send("Input.insertText", {{"text", text}});
    if (shown) ClearComposition();
  });
}

void InputDispatcher::ImeFinishComposingText() {
  PostToUi([this]() {
    compositionShown_ = false;
    if (composing_.empty()) return;
    session_.Send("Input.insertText", {{"text", std::exchange(composing_, std::string())}});
  });
}

bool InputDispatcher::Drag(DragStage stage, CefRefPtr<CefDragData> data, int x, int y) {
  if (stage == DragStage::Enter) dragRefused_ = false;
  if (dragRefused_) return false;
  static const char* kTypes[] = {"dragEnter", "dragOver", "drop", "dragCancel"};
  constexpr int kOperations = DRAG_OPERATION_COPY | DRAG_OPERATION_LINK | DRAG_OPERATION_MOVE;
  Json items = Json::array();
  if (data->IsFragment()) items.push_back({{"mimeType", "text/plain"}, {"data", data->GetFragmentText().ToString()}});
  if (data->IsLink()) items.push_back({{"mimeType", "text/uri-list"}, {"data", data->GetLinkURL().ToString()}});
  std::vector<CefString> names;
  data->GetFileNames(names);
  Json files = Json::array();
  for (const auto& name : names) files.push_back(name.ToString());
  Json params = {{"type", kTypes[static_cast<int>(stage)]},
                 {"x", x},
                 {"y", y},
                 {"data", {{"items", items}, {"files", files}, {"dragOperationsMask", kOperations}}}};
  PostToUi([this, stage, data, params = std::move(params)]() {
    if (stage == DragStage::Enter && client_) {
      if (auto handler = client_->GetDragHandler()) {
        dragRefused_ = handler->OnDragEnter(browser_, data, static_cast<cef_drag_operations_mask_t>(kOperations));
      }
    }
    if (!dragRefused_) session_.Send("Input.dispatchDragEvent", params);
  });
  return true;
}

}  // namespace cefcompat
