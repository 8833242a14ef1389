#include "include/wrapper/cef_resource_manager.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>
#include <ctime>

#include "include/cef_task.h"
#include "include/wrapper/cef_stream_resource_handler.h"
#include "include/wrapper/cef_zip_archive.h"
#include "base/log.h"
#include "base/task_thread.h"

namespace {

using cefcompat::Log;
using cefcompat::Threads;

// The path of `url` below `prefix` without query or fragment; empty when the
// URL is not under the prefix.
std::string RelativePath(const std::string& url, const std::string& prefix) {
  if (url.compare(0, prefix.size(), prefix) != 0) return {};
  std::string rest = url.substr(prefix.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  return QUrl::fromPercentEncoding(QByteArray::fromStdString(rest)).toStdString();
}

std::string WithSlash(std::string prefix) {
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  return prefix;
}

// An entity tag from the numbers that tell one version of a file from another.
std::string EntityTag(const char* kind, std::initializer_list<unsigned long long> parts) {
  std::string tag = std::string("\"") + kind;
  char number[24];
  for (unsigned long long part : parts) {
    snprintf(number, sizeof(number), "-%llx", part);
    tag += number;
  }
  return tag + "\"";
}

std::string HttpDate(time_t when) {
  char text[64];
  tm parts{};
  gmtime_r(&when, &parts);
  strftime(text, sizeof(text), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

unsigned long long NameHash(const std::string& name) {
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a: stable from run to run
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// What lets Chromium keep a response and ask again only whether it changed:
// the tag, the modification time, and revalidation at every use (a folder's
// files change; another archive can be put at an archive's prefix).
CefResponse::HeaderMap Validators(const std::string& tag, time_t modified) {
  CefResponse::HeaderMap headers;
  headers.emplace("ETag", tag);
  headers.emplace("Last-Modified", HttpDate(modified));
  headers.emplace("Cache-Control", "no-cache");
  return headers;
}

// A 304 when the request names `tag` in If-None-Match (the body is neither
// read nor sent); null otherwise.
CefRefPtr<CefResourceHandler> NotModified(CefRefPtr<CefResourceManager::Request> request, const std::string& tag,
                                          time_t modified) {
  CefRefPtr<CefRequest> original = request->request();
  if (!original || original->GetHeaderByName("If-None-Match").ToString() != tag) return nullptr;
  return new CefStreamResourceHandler(304, "Not Modified", "", Validators(tag, modified),
                                      CefStreamReader::CreateForData(nullptr, 0));
}

// The handler of a file version `tag`: a 304 when the request holds it already, else its stream.
CefRefPtr<CefResourceHandler> Versioned(CefRefPtr<CefResourceManager::Request> request, const std::string& tag,
                                        time_t modified, const std::function<CefRefPtr<CefStreamReader>()>& open) {
  if (CefRefPtr<CefResourceHandler> unchanged = NotModified(request, tag, modified)) return unchanged;
  CefRefPtr<CefStreamReader> stream = open();
  if (!stream) return nullptr;
  return new CefStreamResourceHandler(200, "OK", request->mime_type_resolver()(request->url()), Validators(tag, modified), stream);
}

class ContentProvider : public CefResourceManager::Provider {
 public:
  ContentProvider(std::string url, std::string content, std::string mime)
      : url_(std::move(url)), content_(std::move(content)), mime_(std::move(mime)) {}
  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    if (request->url() != url_) return false;
    request->Continue(new CefStreamResourceHandler(mime_, CefStreamReader::CreateForData(content_.data(), content_.size())));
    return true;
  }

 private:
  std::string url_, content_, mime_;
};

class DirectoryProvider : public CefResourceManager::Provider {
 public:
  DirectoryProvider(std::string prefix, std::string directory)
      : prefix_(WithSlash(std::move(prefix))), directory_(std::move(directory)) {}
  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    if (request->url().compare(0, prefix_.size(), prefix_) != 0) return false;
    // The same rule as archive entries: nothing outside the directory.
    const std::string relative = CefZipArchive::NormalizeName(RelativePath(request->url(), prefix_));
    const std::string path = directory_ + "/" + RelativePath(request->url(), prefix_);
    if (relative.empty() || !IsInside(path)) {
      Log(LOGSEVERITY_WARNING, "directory provider: refused " + request->url());
      request->Continue(nullptr);
      return true;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      request->Continue(nullptr);
      return true;
    }
    // Size and modification time: a file rewritten is a new version.
    const std::string tag = EntityTag("d", {static_cast<unsigned long long>(info.st_size),
                                            static_cast<unsigned long long>(info.st_mtim.tv_sec) * 1000000000ull +
                                                static_cast<unsigned long long>(info.st_mtim.tv_nsec)});
    request->Continue(Versioned(request, tag, info.st_mtim.tv_sec, [&path] { return CefStreamReader::CreateForFile(path); }));
    return true;
  }

 private:
  // Links are followed: the file they reach must lie in the directory too.
  bool IsInside(const std::string& path) const {
    const QString root = QFileInfo(QString::fromStdString(directory_)).canonicalFilePath();
    const QString target = QFileInfo(QString::fromStdString(path)).canonicalFilePath();
    return target.isEmpty() || (!root.isEmpty() && target.startsWith(root + "/"));
  }

  std::string prefix_, directory_;
};

// Reads its archive on TID_FILE_BACKGROUND at the first request; requests that
// come before it is read wait, in order.
class ArchiveProvider : public CefResourceManager::Provider {
 public:
  ArchiveProvider(std::string prefix, std::string path, std::string password)
      : prefix_(WithSlash(std::move(prefix))), path_(std::move(path)), password_(std::move(password)),
        alive_(std::make_shared<ArchiveProvider*>(this)) {}
  ~ArchiveProvider() override { *alive_ = nullptr; }

  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    if (request->url().compare(0, prefix_.size(), prefix_) != 0) return false;
    if (loaded_) {
      Answer(request);
      return true;
    }
    waiting_.push_back(request);
    if (!started_) Load();
    return true;
  }

  void OnRequestCanceled(CefRefPtr<CefResourceManager::Request> request) override {
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (it->get() == request.get()) {
        waiting_.erase(it);
        return;
      }
    }
  }

 private:
  void Load() {
    started_ = true;
    std::shared_ptr<ArchiveProvider*> alive = alive_;
    const std::string path = path_, password = password_, prefix = prefix_;
    auto read = [alive, path, password, prefix]() {
      CefRefPtr<CefZipArchive> archive(new CefZipArchive());
      // The archive's file as it was opened: its entries cannot change while it is loaded.
      struct stat info {};
      const bool known = stat(path.c_str(), &info) == 0;
      auto stream = CefStreamReader::CreateForFile(path);
      if (!stream) {
        Log(LOGSEVERITY_ERROR, "archive provider " + prefix + ": cannot open " + path);
        archive = nullptr;
      } else if (archive->Load(stream, password, false) == 0) {
        Log(LOGSEVERITY_ERROR, "archive provider " + prefix + ": no file could be read from " + path);
      }
      const Identity identity{known, static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
                              static_cast<unsigned long long>(info.st_size),
                              static_cast<unsigned long long>(info.st_mtim.tv_sec) * 1000000000ull +
                                  static_cast<unsigned long long>(info.st_mtim.tv_nsec),
                              info.st_mtim.tv_sec};
      auto done = [alive, archive, identity]() {
        if (*alive) (*alive)->Loaded(archive, identity);
      };
      if (!Threads::Post(TID_IO, done)) done();
    };
    if (!Threads::Post(TID_FILE_BACKGROUND, read)) read();
  }

  // The archive's file when it was read; no validators when it could not be told.
  struct Identity {
    bool known;
    unsigned long long device, inode, size, modifiedNs;
    time_t modified;
  };

  void Loaded(CefRefPtr<CefZipArchive> archive, const Identity& identity) {
    identity_ = identity;
    Log(LOGSEVERITY_INFO, "archive provider " + prefix_ + ": loaded " + (archive ? std::to_string(archive->GetFileCount()) : "0") + " files");
    archive_ = archive;
    loaded_ = true;
    auto waiting = std::move(waiting_);
    for (auto& request : waiting) Answer(request);
  }

  void Answer(CefRefPtr<CefResourceManager::Request> request) {
    const std::string relative = RelativePath(request->url(), prefix_);
    auto file = archive_ ? archive_->GetFile(relative) : nullptr;
    if (!file) {
      request->Continue(nullptr);
      return;
    }
    if (!identity_.known) {
      request->Continue(new CefStreamResourceHandler(request->mime_type_resolver()(request->url()), file->GetStreamReader()));
      return;
    }
    const std::string tag = EntityTag("z", {identity_.device, identity_.inode, identity_.size, identity_.modifiedNs,
                                            NameHash(CefZipArchive::NormalizeName(relative))});
    request->Continue(Versioned(request, tag, identity_.modified, [file] { return file->GetStreamReader(); }));
  }

  const std::string prefix_, path_, password_;
  std::shared_ptr<ArchiveProvider*> alive_;
  bool started_ = false;
  bool loaded_ = false;
  CefRefPtr<CefZipArchive> archive_;
  Identity identity_{};
  std::vector<CefRefPtr<CefResourceManager::Request>> waiting_;
};

}  // namespace

// ---- request ----------------------------------------------------------------

CefResourceManager::Request::Request(std::string url, CefRefPtr<CefRequest> request, UrlFilter filter,
                                     MimeTypeResolver resolver,
                                     std::function<void(CefRefPtr<CefResourceHandler>, bool)> answer)
    : url_(std::move(url)), request_(std::move(request)), url_filter_(std::move(filter)),
      mime_type_resolver_(std::move(resolver)), answer_(std::move(answer)) {}

CefResourceManager::Request::~Request() {
  // A provider that took the request and forgot it: the next provider gets it.
  if (!answered_.exchange(true)) answer_(nullptr, false);
}

void CefResourceManager::Request::Continue(CefRefPtr<CefResourceHandler> handler) {
  if (!answered_.exchange(true)) answer_(handler, false);
}

void CefResourceManager::Request::Stop() {
  if (!answered_.exchange(true)) answer_(nullptr, true);
}

// ---- manager ----------------------------------------------------------------

struct CefResourceManager::State {
  CefRefPtr<CefRequest> request;
  std::string url;
  CefRefPtr<CefRequestCallback> callback;
  std::vector<std::shared_ptr<Provider>> providers;  // a snapshot: removal does not pull one from under a request
  size_t next = 0;
  CefRefPtr<CefResourceHandler> handler;
  bool finished = false;
};

CefResourceManager::CefResourceManager()
    : url_filter_([](const std::string& url) { return url; }),
      mime_type_resolver_(&CefResourceManager::MimeTypeForUrl) {}

CefResourceManager::~CefResourceManager() = default;

std::string CefResourceManager::MimeTypeForUrl(const std::string& url) {
  static const QMimeDatabase database;
  const QString path = QUrl(QString::fromStdString(url)).path();
  return database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toStdString();
}

void CefResourceManager::OnIo(std::function<void()> task) {
  if (Threads::CurrentlyOn(TID_IO) || !Threads::Post(TID_IO, task)) {
    if (!Threads::CurrentlyOn(TID_IO)) Log(LOGSEVERITY_VERBOSE, "resource manager: no IO thread; running here");
    task();
  }
}

void CefResourceManager::AddContentProvider(const std::string& url, const std::string& content, const std::string& mime_type,
                                            int order, const std::string& identifier) {
  AddProvider(new ContentProvider(url, content, mime_type), order, identifier);
}

void CefResourceManager::AddDirectoryProvider(const std::string& url_path, const std::string& directory_path, int order,
                                              const std::string& identifier) {
  AddProvider(new DirectoryProvider(url_path, directory_path), order, identifier);
}

void CefResourceManager::AddArchiveProvider(const std::string& url_path, const std::string& archive_path,
                                            const std::string& password, int order, const std::string& identifier) {
  AddProvider(new ArchiveProvider(url_path, archive_path, password), order, identifier);
}

void CefResourceManager::AddProvider(Provider* provider, int order, const std::string& identifier) {
  if (!provider) return;
  std::shared_ptr<Provider> owned(provider);
  CefRefPtr<CefResourceManager> self(this);
  OnIo([self, owned, order, identifier]() {
    auto at = self->providers_.begin();
    while (at != self->providers_.end() && at->order <= order) ++at;
    self->providers_.insert(at, Entry{owned, order, identifier});
  });
}

void CefResourceManager::RemoveProviders(const std::string& identifier) {
  CefRefPtr<CefResourceManager> self(this);
  OnIo([self, identifier]() { self->providers_.remove_if([&](const Entry& e) { return e.identifier == identifier; }); });
}

void CefResourceManager::RemoveAllProviders() {
  CefRefPtr<CefResourceManager> self(this);
  OnIo([self]() { self->providers_.clear(); });
}

void CefResourceManager::SetMimeTypeResolver(const MimeTypeResolver& resolver) {
  CefRefPtr<CefResourceManager> self(this);
  OnIo([self, resolver]() { self->mime_type_resolver_ = resolver ? resolver : &CefResourceManager::MimeTypeForUrl; });
}

void CefResourceManager::SetUrlFilter(const UrlFilter& filter) {
  CefRefPtr<CefResourceManager> self(this);
  OnIo([self, filter]() {
    self->url_filter_ = filter ? filter : UrlFilter([](const std::string& url) { return url; });
  });
}

cef_return_value_t CefResourceManager::OnBeforeResourceLoad(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                            CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback) {
  auto state = std::make_shared<State>();
  state->request = request;
  state->url = url_filter_(request->GetURL().ToString());
  state->callback = callback;
  for (auto& entry : providers_) state->providers.push_back(entry.provider);
  pending_[request->GetIdentifier()] = state;
  Offer(state);
  return RV_CONTINUE_ASYNC;
}

void CefResourceManager::Offer(std::shared_ptr<State> state) {
  while (state->next < state->providers.size()) {
    std::shared_ptr<Provider> provider = state->providers[state->next++];
    CefRefPtr<CefResourceManager> self(this);
    CefRefPtr<Request> request(new Request(
        state->url, state->request, url_filter_, mime_type_resolver_,
        [self, state](CefRefPtr<CefResourceHandler> handler, bool stop) {
          self->OnIo([self, state, handler, stop]() {
            if (state->finished) return;
            if (handler || stop) {
              state->handler = handler;
              state->finished = true;
              if (state->callback) state->callback->Continue(true);
              return;
            }
            self->Offer(state);
          });
        }));
    bool taken = false;
    try {
      taken = provider->OnRequest(request);
    } catch (const std::exception& e) {
      Log(LOGSEVERITY_ERROR, std::string("resource provider threw: ") + e.what() + "; next provider");
    } catch (...) {
      Log(LOGSEVERITY_ERROR, "resource provider threw; next provider");
    }
    if (taken) return;  // its answer (or the request's release) continues the offer
    request->Discard();
  }
  // No provider answered: the request goes to the network.
  if (state->finished) return;
  state->finished = true;
  if (state->callback) state->callback->Continue(true);
}

CefRefPtr<CefResourceHandler> CefResourceManager::GetResourceHandler(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                                     CefRefPtr<CefRequest> request) {
  const auto it = pending_.find(request->GetIdentifier());
  if (it == pending_.end()) return nullptr;
  CefRefPtr<CefResourceHandler> handler = it->second->handler;
  pending_.erase(it);
  return handler;
}

// ---- stream resource handler -------------------------------------------------

CefStreamResourceHandler::CefStreamResourceHandler(const CefString& mime_type, CefRefPtr<CefStreamReader> stream)
    : CefStreamResourceHandler(200, "OK", mime_type, {}, stream) {}

CefStreamResourceHandler::CefStreamResourceHandler(int status_code, const CefString& status_text,
                                                   const CefString& mime_type, CefResponse::HeaderMap header_map,
                                                   CefRefPtr<CefStreamReader> stream)
    : status_code_(status_code), status_text_(status_text), mime_type_(mime_type), header_map_(std::move(header_map)),
      stream_(stream) {}

bool CefStreamResourceHandler::Open(CefRefPtr<CefRequest>, bool& handle_request, CefRefPtr<CefCallback>) {
  handle_request = true;
  return true;
}

void CefStreamResourceHandler::GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString&) {
  response->SetStatus(status_code_);
  response->SetStatusText(status_text_);
  response->SetMimeType(mime_type_);
  if (!header_map_.empty()) response->SetHeaderMap(header_map_);
  response_length = -1;
  if (!stream_) return;
  const int64 here = stream_->Tell();
  if (stream_->Seek(0, SEEK_END) == 0) response_length = stream_->Tell() - here;
  stream_->Seek(here, SEEK_SET);
}

bool CefStreamResourceHandler::Skip(int64 bytes_to_skip, int64& bytes_skipped, CefRefPtr<CefResourceSkipCallback>) {
  bytes_skipped = -2;
  if (!stream_ || bytes_to_skip <= 0 || stream_->Seek(bytes_to_skip, SEEK_CUR) != 0) return false;
  bytes_skipped = bytes_to_skip;
  return true;
}

bool CefStreamResourceHandler::Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback>) {
  bytes_read = 0;
  if (!stream_ || bytes_to_read <= 0) return false;
  bytes_read = static_cast<int>(stream_->Read(data_out, 1, static_cast<size_t>(bytes_to_read)));
  return bytes_read > 0;
}
