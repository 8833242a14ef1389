#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "download/download_job.h"
#include "download/download_starter.h"
#include "include/internal/cef_ptr.h"
#include "protocol/connection.h"

namespace cefcompat {

class BrowserImpl;

// Every download of the runtime. Chromium downloads into the runtime's
// staging folder under names of its own (the protocol's "allowAndName", in
// each storage) and tells of each download and its progress on its own
// session; the router hands each to the browser whose page began it (or
// that asked for it, StartDownload) as a DownloadJob.
//
// Threads: TID_UI, except where said.
class DownloadRouter {
 public:
  // The start's thread, before anything else: makes the folder.
  void SetStagingDir(std::string dir);
  const std::string& StagingDir() const { return stagingDir_; }
  // The thread that starts Chromium: Chromium's default storage downloads
  // into the staging folder. False, with the reason, when Chromium refused.
  bool EnableDefault(Connection& connection, int timeoutMs, std::string& error);
  // The same for a storage Chromium made; `done(ok)`.
  void EnableFor(const std::string& contextId, std::function<void(bool ok)> done);

  // Browser.downloadWillBegin and Browser.downloadProgress.
  void OnEvent(const std::string& method, const Json& params);
  void StartDownload(CefRefPtr<BrowserImpl> browser, const std::string& url);
  // A paused job's rest, fetched as a download of its own.
  void StartPart(std::shared_ptr<DownloadJob> job, const DownloadStarter::Request& request);
  // The job ended.
  void Forget(uint32 id);
  void OnBrowserClosed(int browserId);
  // The runtime stops and its threads have ended: nothing of an unfinished
  // download is left.
  void DiscardAll();

 private:
  // A helper page fetching a URL as a download, by its target id.
  struct Fetch {
    std::shared_ptr<DownloadStarter> starter;
    CefRefPtr<BrowserImpl> browser;  // a new download of this browser's
    std::weak_ptr<DownloadJob> job;  // or the rest of this job's
    std::string url;
    std::string contextId;
  };

  void OnWillBegin(const Json& params);
  void BeginFetched(Fetch fetch, const std::string& guid, const Json& params);
  void BeginJob(CefRefPtr<BrowserImpl> browser, const std::string& guid, DownloadJob::Origin origin);
  void Launch(Fetch fetch, const DownloadStarter::Request& request, std::function<void(const std::string&)> failed);

  std::string stagingDir_;
  uint32 lastId_ = 0;
  std::map<uint32, std::shared_ptr<DownloadJob>> jobs_;
  std::map<std::string, uint32> byGuid_;
  std::map<std::string, Fetch> fetches_;
};

}  // namespace cefcompat
