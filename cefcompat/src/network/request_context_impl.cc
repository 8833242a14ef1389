#include "network/request_context_impl.h"

#include <QDir>
#include <mutex>
#include <set>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/runtime.h"
#include "network/context_storage.h"
#include "network/cookie_manager.h"

namespace cefcompat {

namespace {

std::string CleanPath(const CefString& path) {
  if (path.empty()) return std::string();
  return QDir::cleanPath(QDir(QString::fromStdString(path.ToString())).absolutePath()).toStdString();
}

// Settings a CEF application may give a context that this runtime does not act on.
void WarnAboutIgnoredContextSettings(const CefRequestContextSettings& settings) {
  const std::pair<const char*, bool> ignored[] = {
      {"persist_session_cookies", settings.persist_session_cookies != 0},
      {"persist_user_preferences", settings.persist_user_preferences != 0},
      {"ignore_certificate_errors", settings.ignore_certificate_errors != 0},
      {"accept_language_list", settings.accept_language_list.length != 0},
  };
  for (const auto& [name, set] : ignored) {
    if (set)
      Log(LOGSEVERITY_WARNING, std::string("CefRequestContextSettings::") + name + " is not used by this runtime");
  }
}

// The storage a context made with `path` uses: its own for none, the
// global one for the global cache path, else the one shared by that path.
std::shared_ptr<ContextStorage> StorageForPath(const std::string& path, const std::string& globalPath) {
  if (path.empty()) return ContextStorage::Own();
  if (path == globalPath) return ContextStorage::Global();
  static std::mutex mutex;
  static std::set<std::string> warned;
  std::lock_guard<std::mutex> lock(mutex);
  if (warned.insert(path).second) {
    Log(LOGSEVERITY_WARNING, "request context cache path " + path +
                                 ": kept in memory for this run only (one Chromium holds one profile on disk, "
                                 "the global context's); contexts with this path share it meanwhile");
  }
  return ContextStorage::ForPath(path);
}

}  // namespace

RequestContextImpl::RequestContextImpl(std::shared_ptr<ContextStorage> storage, std::string cachePath,
                                       CefRefPtr<CefRequestContextHandler> handler)
    : storage_(std::move(storage)), cachePath_(std::move(cachePath)), handler_(std::move(handler)) {}

CefRefPtr<RequestContextImpl> RequestContextImpl::Global() {
  static CefRefPtr<RequestContextImpl> global(new RequestContextImpl(ContextStorage::Global(), std::string(), nullptr));
  return global;
}

CefRefPtr<RequestContextImpl> RequestContextImpl::Of(CefRefPtr<CefRequestContext> context) {
  if (!context) return Global();
  return static_cast<RequestContextImpl*>(context.get());
}

bool RequestContextImpl::IsSame(CefRefPtr<CefRequestContext> other) {
  if (!other) return false;
  if (other.get() == this) return true;
  return IsGlobal() && other->IsGlobal();
}

bool RequestContextImpl::IsSharingWith(CefRefPtr<CefRequestContext> other) {
  if (!other) return false;
  return storage_ == Of(other)->storage_;
}

bool RequestContextImpl::IsGlobal() { return this == Global().get(); }

CefString RequestContextImpl::GetCachePath() {
  if (!IsGlobal()) return cachePath_;
  Runtime* runtime = Runtime::Get();
  return runtime ? CefString(&runtime->Settings().cache_path).ToString() : std::string();
}

CefRefPtr<CefCookieManager> RequestContextImpl::GetCookieManager(CefRefPtr<CefCompletionCallback> callback) {
  if (IsGlobal()) return CefCookieManager::GetGlobalManager(callback);
  if (!Runtime::Get()) {
    Log(LOGSEVERITY_ERROR, "CefRequestContext::GetCookieManager: the runtime is not running");
    return nullptr;
  }
  std::shared_ptr<ContextStorage> storage = storage_;
  Threads::Post(TID_UI, [storage, callback] {
    storage->WhenReady([callback](bool, const std::string&) {
      if (callback) callback->OnComplete();
    });
  });
  return new CookieManager(storage_);
}

void RequestContextImpl::Initialize() {
  CefRefPtr<RequestContextImpl> self(this);
  Threads::Post(TID_UI, [self] {
    self->storage_->WhenReady([self](bool ok, const std::string&) {
      if (ok && self->handler_) self->handler_->OnRequestContextInitialized(self.get());
    });
  });
}

}  // namespace cefcompat

CefRefPtr<CefRequestContext> CefRequestContext::GetGlobalContext() {
  return cefcompat::RequestContextImpl::Global().get();
}

CefRefPtr<CefRequestContext> CefRequestContext::CreateContext(const CefRequestContextSettings& settings,
                                                              CefRefPtr<CefRequestContextHandler> handler) {
  cefcompat::Runtime* runtime = cefcompat::Runtime::Get();
  if (!runtime) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefRequestContext::CreateContext: CefInitialize has not run");
    return nullptr;
  }
  cefcompat::WarnAboutIgnoredContextSettings(settings);
  const std::string path = cefcompat::CleanPath(CefString(&settings.cache_path));
  const std::string globalPath = cefcompat::CleanPath(CefString(&runtime->Settings().cache_path));
  CefRefPtr<cefcompat::RequestContextImpl> context(new cefcompat::RequestContextImpl(
      cefcompat::StorageForPath(path, globalPath), CefString(&settings.cache_path).ToString(), handler));
  context->Initialize();
  return context.get();
}

CefRefPtr<CefRequestContext> CefRequestContext::CreateContext(CefRefPtr<CefRequestContext> other,
                                                              CefRefPtr<CefRequestContextHandler> handler) {
  if (!cefcompat::Runtime::Get()) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefRequestContext::CreateContext: CefInitialize has not run");
    return nullptr;
  }
  if (!other) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefRequestContext::CreateContext: no context to share with");
    return nullptr;
  }
  CefRefPtr<cefcompat::RequestContextImpl> base = cefcompat::RequestContextImpl::Of(other);
  CefRefPtr<cefcompat::RequestContextImpl> context(
      new cefcompat::RequestContextImpl(base->Storage(), other->GetCachePath().ToString(), handler));
  context->Initialize();
  return context.get();
}
