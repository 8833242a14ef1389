#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"

namespace cefcompat {

class ScreencastView;

// Windowless mode: where the caret of the page's focused field is, so that an
// input method's candidate window sits at it. The page reports the caret's
// rectangle (in the page's coordinates) when the focus or the selection
// moves; the surface answers Qt's input method with it. TID_UI.
class CaretReporter {
 public:
  CaretReporter(CefBrowser* browser, ScreencastView& view);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);

 private:
  CefBrowser* const browser_;  // owns this
  ScreencastView& view_;
};

}  // namespace cefcompat
