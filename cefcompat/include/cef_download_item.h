#pragma once

#include "include/cef_base.h"

// What a download is at the moment a download handler is told of it. Valid
// only during that callback: afterwards IsValid() is false and the getters
// answer as for nothing (false, 0, empty).
class CefDownloadItem : public virtual CefBaseRefCounted {
 public:
  virtual bool IsValid() = 0;
  // Still running (a paused download is too).
  virtual bool IsInProgress() = 0;
  // The file is whole at GetFullPath().
  virtual bool IsComplete() = 0;
  // Cancelled: by CefDownloadItemCallback::Cancel, by a handler that did not
  // continue it, or by its browser closing. A download that failed (its
  // folder unwritable, the server gone) is neither in progress, complete
  // nor cancelled, as CEF 89 reports an interrupted one.
  virtual bool IsCanceled() = 0;
  // Bytes per second, lately.
  virtual int64 GetCurrentSpeed() = 0;
  // -1 while the size is unknown.
  virtual int GetPercentComplete() = 0;
  // 0 while the size is unknown.
  virtual int64 GetTotalBytes() = 0;
  virtual int64 GetReceivedBytes() = 0;
  virtual CefTime GetStartTime() = 0;
  // Zero until the download has ended.
  virtual CefTime GetEndTime() = 0;
  // Where the file goes; empty until the handler has continued the download.
  virtual CefString GetFullPath() = 0;
  virtual uint32 GetId() = 0;
  // The URL the file came from (after redirects), and the one asked for.
  virtual CefString GetURL() = 0;
  virtual CefString GetOriginalUrl() = 0;
  virtual CefString GetSuggestedFileName() = 0;
  virtual CefString GetContentDisposition() = 0;
  virtual CefString GetMimeType() = 0;
};
