#pragma once

#include <vector>

#include "include/cef_browser.h"

// Answers a file chooser once, from any thread.
class CefFileDialogCallback : public virtual CefBaseRefCounted {
 public:
  // The chosen files; `selected_accept_filter` is the index of the filter the person used.
  virtual void Continue(int selected_accept_filter, const std::vector<CefString>& file_paths) = 0;
  virtual void Cancel() = 0;
};

// File choosers a page opens (`<input type=file>`). Called on TID_UI.
class CefDialogHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_file_dialog_mode_t FileDialogMode;

  // Return true to answer through `callback` (now or later); false leaves the
  // chooser to the default. `accept_filters` are the input's accepted types
  // (".png", "image/*").
  virtual bool OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode, const CefString& title,
                            const CefString& default_file_path, const std::vector<CefString>& accept_filters,
                            int selected_accept_filter, CefRefPtr<CefFileDialogCallback> callback) {
    (void)browser, (void)mode, (void)title, (void)default_file_path, (void)accept_filters,
        (void)selected_accept_filter, (void)callback;
    return false;
  }
};
