#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_download_item.h"

// Continues a download that OnBeforeDownload was told of. Any thread; only
// the first call counts.
class CefBeforeDownloadCallback : public virtual CefBaseRefCounted {
 public:
  // `download_path` is the file's full path (its folder is made when
  // missing), or empty for the suggested name in the temporary folder.
  // `show_dialog` asks the person where to save it first, in a "Save As"
  // dialog proposing that path.
  virtual void Continue(const CefString& download_path, bool show_dialog) = 0;
};

// Acts on a running download. Any thread.
class CefDownloadItemCallback : public virtual CefBaseRefCounted {
 public:
  virtual void Cancel() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

// Downloads of a client's browsers. Called on TID_UI.
class CefDownloadHandler : public virtual CefBaseRefCounted {
 public:
  // A download begins. It is cancelled unless `callback` is continued, here
  // or later; a callback released without being continued cancels it.
  virtual void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) = 0;
  // The download's progress or state changed (once it was continued, and
  // when it ends).
  virtual void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                 CefRefPtr<CefDownloadItemCallback> callback) {
    (void)browser, (void)download_item, (void)callback;
  }
};
