#pragma once

#include <string>

#include "browser/page_session.h"
#include "include/cef_browser.h"

namespace cefcompat {

// Windowless mode: the popups of a form field (a `<select>`'s list, a
// `<datalist>`'s suggestions, the picker of a date, time, month, week or
// color field) are windows of Chromium's own, which a page's screencast
// never shows. The page reports a popup about to open, or one Chromium
// opened, and the runtime shows its own under the field (a Qt list, a
// calendar, a time field, the color dialog), closing Chromium's. The choice
// reaches the page as a person's does (`input` and `change`, the field
// focused). TID_UI.
class FieldPopupRunner {
 public:
  explicit FieldPopupRunner(CefBrowser* browser);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);

 private:
  // A popup a document reported: its context, and its number there.
  struct Asker {
    int contextId;
    int id;
  };
  void OnReport(const Json& report, const Json& params);
  void ShowList(const Json& report, Asker asker);
  void ShowPicker(const Json& report, Asker asker);
  // Tells the page's field what was chosen: an option's index, a value, or null.
  void Answer(Asker asker, const std::string& answer);

  CefBrowser* const browser_;  // owns this
  PageSession* session_ = nullptr;
};

}  // namespace cefcompat
