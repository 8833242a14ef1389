#pragma once

#include <atomic>
#include <string>

#include "include/cef_download_item.h"

namespace cefcompat {

// What a download is at one moment.
struct DownloadSnapshot {
  uint32 id = 0;
  bool inProgress = true;
  bool complete = false;
  bool canceled = false;
  int64 speed = 0;
  int64 totalBytes = 0;
  int64 receivedBytes = 0;
  CefTime startTime;
  CefTime endTime;
  std::string fullPath;
  std::string url;
  std::string originalUrl;
  std::string suggestedName;
  std::string contentDisposition;
  std::string mimeType;
};

// The download item a handler is given: a snapshot, valid until the
// callback it was given to returns.
//
// Threads: any; invalidated on TID_UI.
class DownloadItemImpl : public CefDownloadItem {
 public:
  explicit DownloadItemImpl(DownloadSnapshot snapshot) : snapshot_(std::move(snapshot)) {}
  void Invalidate() { valid_ = false; }

  bool IsValid() override { return valid_; }
  bool IsInProgress() override { return valid_ && snapshot_.inProgress; }
  bool IsComplete() override { return valid_ && snapshot_.complete; }
  bool IsCanceled() override { return valid_ && snapshot_.canceled; }
  int64 GetCurrentSpeed() override { return valid_ ? snapshot_.speed : 0; }
  int GetPercentComplete() override;
  int64 GetTotalBytes() override { return valid_ ? snapshot_.totalBytes : 0; }
  int64 GetReceivedBytes() override { return valid_ ? snapshot_.receivedBytes : 0; }
  CefTime GetStartTime() override { return valid_ ? snapshot_.startTime : CefTime(); }
  CefTime GetEndTime() override { return valid_ ? snapshot_.endTime : CefTime(); }
  CefString GetFullPath() override { return Text(snapshot_.fullPath); }
  uint32 GetId() override { return valid_ ? snapshot_.id : 0; }
  CefString GetURL() override { return Text(snapshot_.url); }
  CefString GetOriginalUrl() override { return Text(snapshot_.originalUrl); }
  CefString GetSuggestedFileName() override { return Text(snapshot_.suggestedName); }
  CefString GetContentDisposition() override { return Text(snapshot_.contentDisposition); }
  CefString GetMimeType() override { return Text(snapshot_.mimeType); }

 private:
  CefString Text(const std::string& text) const { return valid_ ? text : std::string(); }

  const DownloadSnapshot snapshot_;
  std::atomic<bool> valid_{true};
  IMPLEMENT_REFCOUNTING(DownloadItemImpl);
};

}  // namespace cefcompat
