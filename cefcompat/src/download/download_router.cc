#include "download/download_router.h"

#include <QMimeDatabase>
#include <QUrl>
#include <filesystem>

#include "base/log.h"
#include "browser/browser_impl.h"
#include "browser/page_session.h"
#include "browser/runtime.h"
#include "download/response_ledger.h"
#include "network/context_storage.h"
#include "network/request_context_impl.h"

namespace cefcompat {

namespace {

Json DownloadBehavior(const std::string& stagingDir, const std::string& contextId) {
  Json params = {{"behavior", "allowAndName"}, {"downloadPath", stagingDir}, {"eventsEnabled", true}};
  if (!contextId.empty()) params["browserContextId"] = contextId;
  return params;
}

// Chromium names no type for a download it fetched past the page's network
// events: the type the name suggests.
std::string TypeOfName(const std::string& name) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension);
  return type.isDefault() ? std::string() : type.name().toStdString();
}

}  // namespace

void DownloadRouter::SetStagingDir(std::string dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) Log(LOGSEVERITY_ERROR, "the downloads' staging folder " + dir + " cannot be made: " + ec.message());
  stagingDir_ = std::move(dir);
}

bool DownloadRouter::EnableDefault(Connection& connection, int timeoutMs, std::string& error) {
  const auto reply =
      connection.Call("Browser.setDownloadBehavior", DownloadBehavior(stagingDir_, std::string()), "", timeoutMs);
  if (!reply.ok) error = "Browser.setDownloadBehavior failed: " + reply.error;
  return reply.ok;
}

void DownloadRouter::EnableFor(const std::string& contextId, std::function<void(bool ok)> done) {
  PageSession::SendToChromium("Browser.setDownloadBehavior", DownloadBehavior(stagingDir_, contextId),
                              [done](const Connection::Reply& reply) {
                                if (!reply.ok)
                                  Log(LOGSEVERITY_ERROR, "downloads of a request context are off: " + reply.error);
                                done(reply.ok);
                              });
}

void DownloadRouter::OnEvent(const std::string& method, const Json& params) {
  if (method == "Browser.downloadWillBegin") return OnWillBegin(params);
  if (method != "Browser.downloadProgress") return;
  const auto guid = byGuid_.find(params.value("guid", std::string()));
  if (guid == byGuid_.end()) return;
  const auto job = jobs_.find(guid->second);
  if (job != jobs_.end()) job->second->OnProgress(params);
}

void DownloadRouter::OnWillBegin(const Json& params) {
  const std::string frameId = params.value("frameId", std::string());
  const std::string guid = params.value("guid", std::string());
  const std::string url = params.value("url", std::string());
  const auto fetch = fetches_.find(frameId);
  if (fetch != fetches_.end()) {
    Fetch fetched = std::move(fetch->second);
    fetches_.erase(fetch);
    return BeginFetched(std::move(fetched), guid, params);
  }
  Runtime* runtime = Runtime::Get();
  CefRefPtr<BrowserImpl> browser = runtime ? runtime->BrowserOfFrame(frameId) : nullptr;
  if (!browser) {
    Log(LOGSEVERITY_WARNING, "a download of " + url + " began in a page of no browser; cancelled");
    PageSession::SendToChromium("Browser.cancelDownload", {{"guid", guid}});
    return;
  }
  DownloadJob::Origin origin;
  origin.url = url;
  origin.originalUrl = url;
  origin.suggestedName = params.value("suggestedFilename", std::string());
  origin.contextId = browser->Context()->Storage()->Id();
  if (const ResponseLedger::Entry* response = browser->Responses().Find(url)) {
    origin.originalUrl = response->originalUrl;
    origin.mimeType = response->mimeType;
    origin.contentDisposition = response->contentDisposition;
    origin.validator = response->validator;
  } else {
    origin.mimeType = TypeOfName(origin.suggestedName);
  }
  BeginJob(browser, guid, std::move(origin));
}

void DownloadRouter::BeginFetched(Fetch fetch, const std::string& guid, const Json& params) {
  fetch.starter->Close();
  const DownloadStarter::Answer& answer = fetch.starter->GetAnswer();
  if (!fetch.browser) {
    auto job = fetch.job.lock();
    if (!job) {
      Json cancel = {{"guid", guid}};
      if (!fetch.contextId.empty()) cancel["browserContextId"] = fetch.contextId;
      PageSession::SendToChromium("Browser.cancelDownload", cancel);
      return;
    }
    byGuid_[guid] = job->Id();
    return job->OnPartStarted(guid, answer);
  }
  DownloadJob::Origin origin;
  origin.url = answer.url.empty() ? params.value("url", std::string()) : answer.url;
  origin.originalUrl = fetch.url;
  origin.suggestedName = params.value("suggestedFilename", std::string());
  origin.mimeType = answer.mimeType;
  origin.contentDisposition = answer.contentDisposition;
  origin.validator = answer.validator;
  origin.contextId = fetch.contextId;
  BeginJob(fetch.browser, guid, std::move(origin));
}

void DownloadRouter::BeginJob(CefRefPtr<BrowserImpl> browser, const std::string& guid, DownloadJob::Origin origin) {
  const uint32 id = ++lastId_;
  auto job = std::make_shared<DownloadJob>(id, browser, std::move(origin), *this);
  jobs_[id] = job;
  byGuid_[guid] = id;
  job->Begin(guid);
}

void DownloadRouter::StartDownload(CefRefPtr<BrowserImpl> browser, const std::string& url) {
  const QUrl parsed(QString::fromStdString(url));
  if (!parsed.isValid() || parsed.isRelative()) {
    Log(LOGSEVERITY_ERROR, "StartDownload: '" + url + "' is no URL; nothing is downloaded");
    return;
  }
  // Only what goes over the network can be made an attachment on its way.
  if (parsed.scheme() != "http" && parsed.scheme() != "https") {
    Log(LOGSEVERITY_ERROR, "StartDownload(" + url + "): only http and https URLs are downloaded; nothing is");
    return;
  }
  std::shared_ptr<ContextStorage> storage = browser->Context()->Storage();
  storage->WhenReady([this, browser, url](bool ok, const std::string& contextId) {
    if (!ok) return Log(LOGSEVERITY_ERROR, "StartDownload(" + url + "): the browser's request context is gone");
    Fetch fetch{nullptr, browser, {}, url, contextId};
    Launch(std::move(fetch), {url, contextId, 0, std::string()}, [url](const std::string& reason) {
      Log(LOGSEVERITY_WARNING, "StartDownload(" + url + ") failed: " + reason + "; nothing is downloaded");
    });
  });
}

void DownloadRouter::StartPart(std::shared_ptr<DownloadJob> job, const DownloadStarter::Request& request) {
  std::weak_ptr<DownloadJob> weak = job;
  Fetch fetch{nullptr, nullptr, weak, request.url, request.contextId};
  Launch(std::move(fetch), request, [weak](const std::string& reason) {
    if (auto alive = weak.lock()) alive->OnPartFailed(reason);
  });
}

// The starter keeps itself while it works; the router holds it from the
// moment its page exists until the download begins or it fails.
void DownloadRouter::Launch(Fetch fetch, const DownloadStarter::Request& request,
                            std::function<void(const std::string&)> failed) {
  auto slot = std::make_shared<std::weak_ptr<DownloadStarter>>();
  auto starter = std::make_shared<DownloadStarter>(
      request,
      [this, fetch, slot](const std::string& targetId) {
        fetches_[targetId] = fetch;
        fetches_[targetId].starter = slot->lock();
      },
      [this, slot, failed](const std::string& reason) {
        if (auto self = slot->lock()) fetches_.erase(self->TargetId());
        failed(reason);
      });
  *slot = starter;
  starter->Start();
}

void DownloadRouter::Forget(uint32 id) {
  for (auto it = byGuid_.begin(); it != byGuid_.end();) {
    it = it->second == id ? byGuid_.erase(it) : std::next(it);
  }
  jobs_.erase(id);
}

void DownloadRouter::OnBrowserClosed(int browserId) {
  std::vector<std::shared_ptr<DownloadJob>> dropped;
  for (const auto& [id, job] : jobs_) {
    if (job->BrowserId() == browserId) dropped.push_back(job);
  }
  for (auto& job : dropped) job->Drop();
  for (auto it = fetches_.begin(); it != fetches_.end();) {
    if (!it->second.browser || it->second.browser->GetIdentifier() != browserId) {
      ++it;
      continue;
    }
    it->second.starter->Close();
    it = fetches_.erase(it);
  }
}

void DownloadRouter::DiscardAll() {
  for (auto& [id, job] : jobs_) job->DiscardNow();
  jobs_.clear();
  byGuid_.clear();
  fetches_.clear();
}

}  // namespace cefcompat
