#include "download/download_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <atomic>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/browser_impl.h"
#include "browser/page_session.h"
#include "download/download_router.h"
#include "view/default_dialogs.h"

namespace cefcompat {

namespace {

// The speed is over the last second's progress.
constexpr auto kSpeedWindow = std::chrono::seconds(1);

// Runs `action` on the job on TID_UI, when it is still there.
void OnJob(const std::weak_ptr<DownloadJob>& job, std::function<void(DownloadJob&)> action) {
  Threads::Post(TID_UI, [job, action] {
    if (auto alive = job.lock()) action(*alive);
  });
}

// OnBeforeDownload's callback: the first Continue counts; released without
// one, the download is cancelled, as CEF does.
class DownloadContinueCallback : public CefBeforeDownloadCallback {
 public:
  explicit DownloadContinueCallback(std::weak_ptr<DownloadJob> job) : job_(std::move(job)) {}
  ~DownloadContinueCallback() override {
    if (!continued_) OnJob(job_, [](DownloadJob& job) { job.OnNotContinued(); });
  }
  void Continue(const CefString& download_path, bool show_dialog) override {
    if (continued_.exchange(true)) return;
    const std::string path = download_path.ToString();
    OnJob(job_, [path, show_dialog](DownloadJob& job) { job.OnContinue(path, show_dialog); });
  }

 private:
  const std::weak_ptr<DownloadJob> job_;
  std::atomic<bool> continued_{false};
  IMPLEMENT_REFCOUNTING(DownloadContinueCallback);
};

class DownloadItemActions : public CefDownloadItemCallback {
 public:
  explicit DownloadItemActions(std::weak_ptr<DownloadJob> job) : job_(std::move(job)) {}
  void Cancel() override {
    OnJob(job_, [](DownloadJob& job) { job.Cancel(); });
  }
  void Pause() override {
    OnJob(job_, [](DownloadJob& job) { job.Pause(); });
  }
  void Resume() override {
    OnJob(job_, [](DownloadJob& job) { job.Resume(); });
  }

 private:
  const std::weak_ptr<DownloadJob> job_;
  IMPLEMENT_REFCOUNTING(DownloadItemActions);
};

CefTime Now() {
  CefTime now;
  now.Now();
  return now;
}

int64 FileSize(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<int64>(info.st_size) : 0;
}

}  // namespace

DownloadJob::DownloadJob(uint32 id, CefRefPtr<BrowserImpl> browser, Origin origin, DownloadRouter& router)
    : id_(id), browser_(std::move(browser)), origin_(std::move(origin)), router_(router), startTime_(Now()) {}

int DownloadJob::BrowserId() const { return browser_->GetIdentifier(); }

std::string DownloadJob::Name() const { return "download " + std::to_string(id_) + " (" + origin_.url + ")"; }

// ---- the handler's decision ------------------------------------------------

void DownloadJob::Begin(const std::string& guid) {
  guid_ = guid;
  Ask();
}

void DownloadJob::Ask() {
  CefRefPtr<CefClient> client = browser_->GetClient();
  CefRefPtr<CefDownloadHandler> handler = client ? client->GetDownloadHandler() : nullptr;
  if (!handler) {
    Log(LOGSEVERITY_WARNING, Name() + ": cancelled: the browser's client has no download handler");
    StopPart();
    return EndCanceled();
  }
  CefRefPtr<DownloadItemImpl> item(new DownloadItemImpl(Snapshot()));
  handler->OnBeforeDownload(browser_.get(), item.get(), origin_.suggestedName,
                            new DownloadContinueCallback(weak_from_this()));
  item->Invalidate();
}

void DownloadJob::OnContinue(const std::string& path, bool showDialog) {
  if (ended_ || decided_ || choosing_) return;
  const std::string proposed =
      path.empty() ? QDir::temp().filePath(QString::fromStdString(origin_.suggestedName)).toStdString() : path;
  if (!showDialog) return Choose(proposed);
  choosing_ = true;
  std::weak_ptr<DownloadJob> job = weak_from_this();
  DefaultDialogs::ShowSaveDialog(browser_->GetWindowHandle(), proposed, [job](const std::string& chosen) {
    OnJob(job, [chosen](DownloadJob& self) { self.Choose(chosen); });
  });
}

void DownloadJob::OnNotContinued() {
  if (ended_ || decided_ || choosing_) return;
  Log(LOGSEVERITY_WARNING, Name() + ": cancelled: the download handler did not continue it");
  Cancel();
}

void DownloadJob::Choose(const std::string& path) {
  choosing_ = false;
  if (ended_) return;
  if (path.empty()) {
    Log(LOGSEVERITY_WARNING, Name() + ": cancelled: no file was chosen to save it as");
    return Cancel();
  }
  std::string error;
  if (!target_.Reserve(path, error)) return Fail("it cannot be saved as " + path + ": " + error);
  decided_ = true;
  Report();
  if (arrived_) Finish();
}

// ---- Chromium's progress -----------------------------------------------------

void DownloadJob::OnProgress(const Json& params) {
  if (ended_ || params.value("guid", std::string()) != guid_) return;
  const std::string state = params.value("state", std::string());
  if (state == "completed") return OnCompleted(params.value("filePath", std::string()));
  if (state == "canceled") return OnStopped();
  const int64 total = params.value("totalBytes", static_cast<int64>(0));
  received_ = keptBytes_ + params.value("receivedBytes", static_cast<int64>(0));
  if (total > 0) total_ = keptBytes_ + total;
  Sample();
  if (decided_ && !pausing_) Report();
}

void DownloadJob::OnCompleted(const std::string& filePath) {
  guid_.clear();
  if (!pausedPart_.empty()) unlink(pausedPart_.c_str());  // it finished before it could pause
  pausedPart_.clear();
  pausing_ = false;
  parts_.push_back(filePath);
  keptBytes_ += FileSize(filePath);
  received_ = keptBytes_;
  total_ = keptBytes_;
  arrived_ = true;
  samples_.clear();
  if (canceling_) return EndCanceled();
  if (decided_) Finish();
}

void DownloadJob::OnStopped() {
  guid_.clear();
  if (canceling_) return EndCanceled();
  if (pausing_) return KeepPausedPart();
  Fail("Chromium stopped it (the connection or the file failed)");
}

// ---- the handler's actions -----------------------------------------------------

void DownloadJob::Cancel() {
  if (ended_ || finishing_ || canceling_) return;
  canceling_ = true;
  if (guid_.empty()) return EndCanceled();
  CefRefPtr<BrowserImpl> keep = browser_;
  std::weak_ptr<DownloadJob> job = weak_from_this();
  Json params = {{"guid", guid_}};
  if (!origin_.contextId.empty()) params["browserContextId"] = origin_.contextId;
  PageSession::SendToChromium("Browser.cancelDownload", params, [job](const Connection::Reply& reply) {
    if (reply.ok) return;  // its end comes as progress
    if (auto self = job.lock()) self->EndCanceled();
  });
}

// Chromium cannot pause a download: the bytes so far are kept (a second
// name for Chromium's file, which stays when Chromium removes its own) and
// its download is stopped.
void DownloadJob::Pause() {
  if (ended_ || !decided_ || guid_.empty() || pausing_ || canceling_) return;
  pausing_ = true;
  const std::string running = router_.StagingDir() + "/" + guid_ + ".crdownload";
  const std::string kept =
      router_.StagingDir() + "/" + std::to_string(id_) + "-" + std::to_string(++partsMade_) + ".part";
  if (link(running.c_str(), kept.c_str()) == 0) pausedPart_ = kept;
  StopPart();
}

void DownloadJob::KeepPausedPart() {
  pausing_ = false;
  paused_ = true;
  if (!pausedPart_.empty() && FileSize(pausedPart_) > 0) {
    keptBytes_ += FileSize(pausedPart_);
    parts_.push_back(pausedPart_);
  } else if (!pausedPart_.empty()) {
    unlink(pausedPart_.c_str());
  }
  pausedPart_.clear();
  received_ = keptBytes_;
  samples_.clear();
  Report();
}

void DownloadJob::Resume() {
  if (ended_ || !paused_ || resuming_) return;
  resuming_ = true;
  router_.StartPart(shared_from_this(), {origin_.url, origin_.contextId, keptBytes_, origin_.validator});
}

void DownloadJob::OnPartStarted(const std::string& guid, const DownloadStarter::Answer& answer) {
  resuming_ = false;
  guid_ = guid;
  if (ended_) return StopPart();
  if (!answer.partial && keptBytes_ > 0) {
    Log(LOGSEVERITY_INFO, Name() + ": the server sent the whole file again; the kept bytes are dropped");
    for (const std::string& part : parts_) unlink(part.c_str());
    parts_.clear();
    keptBytes_ = 0;
  }
  paused_ = false;
  received_ = keptBytes_;
  Report();
}

void DownloadJob::OnPartFailed(const std::string& reason) {
  resuming_ = false;
  if (!ended_) Fail("resuming failed: " + reason);
}

// ---- the end ---------------------------------------------------------------------

void DownloadJob::Finish() {
  finishing_ = true;
  std::shared_ptr<DownloadJob> self = shared_from_this();
  target_.Assemble(std::exchange(parts_, {}), [self](const std::string& error) {
    self->finishing_ = false;
    if (!error.empty()) return self->Fail("the file could not be put in place: " + error);
    self->complete_ = true;
    self->End();
  });
}

void DownloadJob::EndCanceled() {
  if (ended_) return;
  canceled_ = true;
  End();
}

void DownloadJob::Fail(const std::string& reason) {
  if (ended_) return;
  Log(LOGSEVERITY_WARNING, Name() + " failed: " + reason + "; nothing of it is kept");
  StopPart();
  End();
}

void DownloadJob::End() {
  ended_ = true;
  endTime_ = Now();
  samples_.clear();
  DiscardNow();
  Report();
  router_.Forget(id_);
}

void DownloadJob::Drop() {
  if (ended_ || finishing_) return;
  ended_ = true;
  StopPart();
  DiscardNow();
  router_.Forget(id_);
}

void DownloadJob::DiscardNow() {
  target_.Discard(parts_);
  parts_.clear();
  if (!pausedPart_.empty()) unlink(pausedPart_.c_str());
  pausedPart_.clear();
}

// Stops Chromium's part under way, if any; its end is reported as progress.
void DownloadJob::StopPart() {
  if (guid_.empty()) return;
  Json params = {{"guid", guid_}};
  if (!origin_.contextId.empty()) params["browserContextId"] = origin_.contextId;
  PageSession::SendToChromium("Browser.cancelDownload", params);
}

// ---- what the handler is told --------------------------------------------------

void DownloadJob::Sample() {
  const auto now = std::chrono::steady_clock::now();
  samples_.emplace_back(now, received_);
  while (samples_.size() > 2 && now - samples_[1].first > kSpeedWindow) samples_.pop_front();
}

DownloadSnapshot DownloadJob::Snapshot() const {
  DownloadSnapshot snapshot;
  snapshot.id = id_;
  snapshot.complete = complete_;
  snapshot.canceled = canceled_;
  snapshot.inProgress = !ended_;
  if (samples_.size() >= 2) {
    const auto& [firstTime, firstBytes] = samples_.front();
    const auto& [lastTime, lastBytes] = samples_.back();
    const double seconds = std::chrono::duration<double>(lastTime - firstTime).count();
    if (seconds > 0) snapshot.speed = static_cast<int64>((lastBytes - firstBytes) / seconds);
  }
  snapshot.totalBytes = total_;
  snapshot.receivedBytes = received_;
  snapshot.startTime = startTime_;
  snapshot.endTime = endTime_;
  snapshot.fullPath = target_.Path();
  snapshot.url = origin_.url;
  snapshot.originalUrl = origin_.originalUrl;
  snapshot.suggestedName = origin_.suggestedName;
  snapshot.contentDisposition = origin_.contentDisposition;
  snapshot.mimeType = origin_.mimeType;
  return snapshot;
}

void DownloadJob::Report() {
  CefRefPtr<CefClient> client = browser_->GetClient();
  CefRefPtr<CefDownloadHandler> handler = client ? client->GetDownloadHandler() : nullptr;
  if (!handler || !browser_->IsValid()) return;
  const DownloadSnapshot snapshot = Snapshot();
  const std::string state = std::to_string(snapshot.receivedBytes) + "/" + std::to_string(snapshot.totalBytes) +
                            (ended_ ? "e" : "") + (complete_ ? "c" : "") + (canceled_ ? "x" : "") +
                            (paused_ ? "p" : "") + snapshot.fullPath;
  if (state == lastReport_) return;
  lastReport_ = state;
  CefRefPtr<DownloadItemImpl> item(new DownloadItemImpl(snapshot));
  handler->OnDownloadUpdated(browser_.get(), item.get(), new DownloadItemActions(weak_from_this()));
  item->Invalidate();
}

}  // namespace cefcompat
