#include "network/context_storage.h"

#include <map>
#include <mutex>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/page_session.h"
#include "browser/runtime.h"

namespace cefcompat {

namespace {

std::mutex g_pathsMutex;
std::map<std::string, std::weak_ptr<ContextStorage>>& Paths() {
  static std::map<std::string, std::weak_ptr<ContextStorage>> paths;
  return paths;
}

}  // namespace

std::shared_ptr<ContextStorage> ContextStorage::Global() {
  static std::shared_ptr<ContextStorage> global(new ContextStorage(true, std::string()));
  return global;
}

std::shared_ptr<ContextStorage> ContextStorage::Own() {
  return std::shared_ptr<ContextStorage>(new ContextStorage(false, std::string()));
}

std::shared_ptr<ContextStorage> ContextStorage::ForPath(const std::string& cachePath) {
  std::lock_guard<std::mutex> lock(g_pathsMutex);
  std::weak_ptr<ContextStorage>& entry = Paths()[cachePath];
  if (auto shared = entry.lock()) return shared;
  std::shared_ptr<ContextStorage> made(new ContextStorage(false, cachePath));
  entry = made;
  return made;
}

// The last holder is gone: nothing else runs on this storage any more.
ContextStorage::~ContextStorage() {
  if (!path_.empty()) {
    std::lock_guard<std::mutex> lock(g_pathsMutex);
    const auto it = Paths().find(path_);
    if (it != Paths().end() && it->second.expired()) Paths().erase(it);
  }
  Runtime* runtime = Runtime::Get();
  if (id_.empty() || !runtime || madeOn_ != &runtime->GetConnection() || !runtime->IsRunning()) return;
  const std::string id = id_;
  PageSession::SendToChromium(
      "Target.disposeBrowserContext", {{"browserContextId", id}}, [id](const Connection::Reply& reply) {
        Runtime* now = Runtime::Get();
        if (!now || !now->IsRunning()) return;  // Chromium took it with it
        if (!reply.ok) {
          Log(LOGSEVERITY_WARNING, "disposing of request context storage " + id + " failed: " + reply.error);
          return;
        }
        Log(LOGSEVERITY_INFO, "request context storage " + id + " disposed of");
      });
}

void ContextStorage::WhenReady(Ready ready) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return ready(false, std::string());
  if (global_) return ready(true, std::string());
  if (!id_.empty() && madeOn_ == &runtime->GetConnection()) return ready(true, id_);
  waiting_.push_back(std::move(ready));
  if (creating_) return;
  creating_ = true;
  id_.clear();
  Create();
}

void ContextStorage::Create() {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return Finish(false);
  // Held by the request: a storage being made is not dropped halfway.
  std::shared_ptr<ContextStorage> self = shared_from_this();
  runtime->WhenRunning([this, self](bool running) {
    Runtime* rt = Runtime::Get();
    if (!running || !rt) return Finish(false);
    const Connection* connection = &rt->GetConnection();
    PageSession::SendToChromium("Target.createBrowserContext", {{"disposeOnDetach", false}},
                                [this, self, connection](const Connection::Reply& reply) {
                                  if (!reply.ok) {
                                    Log(LOGSEVERITY_ERROR,
                                        "a request context's storage could not be made: " + reply.error);
                                    return Finish(false);
                                  }
                                  id_ = reply.result.value("browserContextId", std::string());
                                  madeOn_ = connection;
                                  Runtime* now = Runtime::Get();
                                  if (!now) return Finish(false);
                                  now->Downloads().EnableFor(id_, [this, self](bool) { Finish(!id_.empty()); });
                                });
  });
}

void ContextStorage::Finish(bool ok) {
  creating_ = false;
  std::vector<Ready> waiting;
  waiting.swap(waiting_);
  for (auto& ready : waiting) ready(ok, ok ? id_ : std::string());
}

}  // namespace cefcompat
