#pragma once

#include <atomic>
#include <string>

#include "browser/frame_tree.h"
#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

class ScreencastView;

// What the page shows around its content: the cursor, `title` tooltips, the
// link under the mouse, fullscreen and the main frame's loading progress. A
// script in every document reports the first four through a binding; the
// progress comes from the session's network events. Each goes to the client's
// display handler; the cursor and tooltip are shown by the view when the
// handler leaves them. TID_UI.
class DisplayReporter {
 public:
  DisplayReporter(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames, ScreencastView& view);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);
  // Any thread: Escape leaves the page's fullscreen, as a browser's own key;
  // true when `event` was that key (it does not reach the page then).
  bool LeavesFullscreen(const CefKeyEvent& event);

 private:
  void OnReport(const Json& report);
  void OnCursor(const std::string& css);
  void OnTooltip(const std::string& text);
  void OnFullscreen(bool fullscreen);
  void StartProgress();
  void OnRequest(bool finished);
  void ReportProgress(double progress);
  CefRefPtr<CefDisplayHandler> Handler() const;

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  FrameTree& frames_;
  ScreencastView& view_;
  PageSession* session_ = nullptr;
  std::atomic<bool> fullscreen_{false};
  bool loading_ = false;
  int requestsStarted_ = 0;
  int requestsFinished_ = 0;
  double progress_ = 0;
};

}  // namespace cefcompat
