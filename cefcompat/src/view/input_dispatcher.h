#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <string>

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"
#include "include/cef_drag_data.h"

namespace cefcompat {

// A person's input to a browser's page: keys (through the client's keyboard
// handler first), mouse buttons, moves and wheel, and drags from the desktop
// (through the client's drag handler).
//
// Threads: called from any thread (the surface's input arrives on the Qt
// thread); the client's handlers and the protocol commands run on TID_UI, in
// the order the input came.
class InputDispatcher {
 public:
  InputDispatcher(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session);

  void SendKeyEvent(const CefKeyEvent& event);
  // TID_UI, before the first key: the page's own script tells the keyboard
  // handler of each key (windowed mode, see KeyReporter), so a key sent here
  // goes to the page only, and the handler hears of it once.
  void LeaveKeysToPage() { keysToPage_ = true; }
  void SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp, int clickCount);
  void SendMouseMoveEvent(const CefMouseEvent& event);
  void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY);

  // A drag over the surface. The drag handler decides on TID_UI when it
  // enters; until then, and when it allows the drag, the surface accepts it.
  // Returns false once the handler refused this drag.
  enum class DragStage { Enter, Over, Drop, Cancel };
  bool Drag(DragStage stage, CefRefPtr<CefDragData> data, int x, int y);

  // TID_UI, before the first input: a paste (Ctrl+V, Shift+Insert, Paste())
  // runs `paste` instead of reaching Chromium, whose clipboard is not the
  // desktop's; later input waits until `paste` calls its `done`.
  using PasteRunner = std::function<void(std::function<void()> done)>;
  void PasteThrough(PasteRunner paste) { paste_ = std::move(paste); }
  // Any thread: pastes into the focused element, in order with the input.
  void Paste();

  // Any thread: an input method's composition (empty: none), with the caret
  // at `selection` inside it; text committed in its place; the composition
  // kept as it stands.
  void ImeSetComposition(const std::string& text, const CefRange& selection);
  void ImeCommitText(const std::string& text);
  void ImeFinishComposingText();

 private:
  void PostToUi(std::function<void()> task);
  void RunPaste(std::function<void()> then);
  void Release();
  void HoldLongComposition(uint32 length);
  // TID_UI: the page's composition goes, leaving nothing.
  void ClearComposition();

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  PageSession& session_;
  std::atomic<bool> dragRefused_{false};
  // TID_UI.
  bool keysToPage_ = false;
  PasteRunner paste_;
  bool holding_ = false;  // a paste runs: input waits in held_
  std::deque<std::function<void()>> held_;
  std::string composing_;          // the input method's composition
  bool compositionShown_ = false;  // composing_ is in the page
};

}  // namespace cefcompat
