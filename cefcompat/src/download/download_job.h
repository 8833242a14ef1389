#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "download/download_item_impl.h"
#include "download/download_starter.h"
#include "download/download_target.h"
#include "protocol/connection.h"

namespace cefcompat {

class BrowserImpl;
class DownloadRouter;

// One download of a browser, from Chromium's first byte to the file whole
// in its place (or nothing left of it). Chromium downloads into the
// runtime's staging folder; the client's handler says where the file goes
// (OnBeforeDownload), hears its progress (OnDownloadUpdated) and may cancel,
// pause and resume it. A pause keeps the bytes so far and stops Chromium's
// download; a resume has the rest fetched as a download of its own. The
// parts are put together in the file's folder once all have arrived.
//
// Threads: TID_UI; the callbacks given to the handler may be called on any
// thread and post here.
class DownloadJob : public std::enable_shared_from_this<DownloadJob> {
 public:
  struct Origin {
    std::string url;
    std::string originalUrl;
    std::string suggestedName;
    std::string mimeType;
    std::string contentDisposition;
    std::string validator;
    std::string contextId;  // Chromium's storage of the download
  };

  DownloadJob(uint32 id, CefRefPtr<BrowserImpl> browser, Origin origin, DownloadRouter& router);
  uint32 Id() const { return id_; }
  int BrowserId() const;

  // Chromium began the download as `guid`; the handler is asked.
  void Begin(const std::string& guid);
  // Browser.downloadProgress of the part under way.
  void OnProgress(const Json& params);
  // A resumed part began as `guid` (or could not).
  void OnPartStarted(const std::string& guid, const DownloadStarter::Answer& answer);
  void OnPartFailed(const std::string& reason);
  // The handler's answers.
  void OnContinue(const std::string& path, bool showDialog);
  void OnNotContinued();
  void Cancel();
  void Pause();
  void Resume();
  // The browser closed: the download stops unreported, nothing of it left.
  void Drop();
  // The runtime stops (its threads have ended): nothing of it left.
  void DiscardNow();

 private:
  void Ask();
  void Choose(const std::string& path);
  void OnCompleted(const std::string& filePath);
  void OnStopped();
  void KeepPausedPart();
  void Finish();
  void EndCanceled();
  void Fail(const std::string& reason);
  void End();
  void StopPart();
  void Sample();
  void Report();
  DownloadSnapshot Snapshot() const;
  std::string Name() const;

  const uint32 id_;
  const CefRefPtr<BrowserImpl> browser_;
  const Origin origin_;
  DownloadRouter& router_;
  DownloadTarget target_;
  CefTime startTime_;
  CefTime endTime_;

  std::string guid_;                // Chromium's part under way; empty when none runs
  std::vector<std::string> parts_;  // arrived parts in the staging folder, in order
  std::string pausedPart_;          // the running part's bytes, linked when pausing
  int64 keptBytes_ = 0;             // the bytes in parts_
  int64 received_ = 0;
  int64 total_ = 0;
  int partsMade_ = 0;
  std::deque<std::pair<std::chrono::steady_clock::time_point, int64>> samples_;  // for the speed

  bool decided_ = false;   // continued, and the file's place reserved
  bool choosing_ = false;  // a save dialog is open
  bool arrived_ = false;   // every byte is in parts_
  bool pausing_ = false;
  bool paused_ = false;
  bool resuming_ = false;
  bool canceling_ = false;
  bool finishing_ = false;
  bool ended_ = false;
  bool complete_ = false;
  bool canceled_ = false;

  // What the handler was last told, so that an unchanged state is not told again.
  std::string lastReport_;
};

}  // namespace cefcompat
