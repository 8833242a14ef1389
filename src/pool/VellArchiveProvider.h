#pragma once

#include <atomic>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "include/wrapper/cef_resource_manager.h"
#include "include/wrapper/cef_zip_archive.h"

// Serves a URL prefix from a zip archive, for every browser of the pool. The
// archive is read once, on the file thread, as soon as StartLoad is called;
// requests that arrive before the read ends wait and are answered in arrival
// order when it ends. A path the archive does not hold, or an archive that
// could not be read, goes on to the next provider (and finally the network).
//
// Responses carry validators, so that Chromium keeps what it was sent and
// asks only whether it changed: an ETag from the archive file's identity when
// it was read (device, inode, size, modification time) and the entry's name,
// Last-Modified, and `Cache-Control: no-cache` (another archive may be put at
// the prefix later). A request naming the current tag in If-None-Match gets
// 304 and the entry is not read.
//
// Threads: StartLoad from any thread; requests and all state on the IO thread.
// Made as a shared object: the read reaches it through a weak reference, so
// a result that comes after the provider is gone is dropped.
class VellArchiveProvider : public CefResourceManager::Provider,
                            public std::enable_shared_from_this<VellArchiveProvider> {
 public:
  // A '/' is appended to `strUrlPrefix` when it has none.
  VellArchiveProvider(std::string strUrlPrefix, std::string strArchivePath, std::string strPassword);

  void StartLoad();
  const std::string& GetUrlPrefix() const { return m_strUrlPrefix; }

  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override;
  void OnRequestCanceled(CefRefPtr<CefResourceManager::Request>) override {}

 private:
  // The archive file when it was read; empty `strTag` when it could not be told.
  struct Identity {
    std::string strTag;  // the part of every entry's tag that names the archive
    time_t modified = 0;
  };
  static void _Load(std::weak_ptr<VellArchiveProvider> provider, std::string strArchivePath, std::string strPassword,
                    std::string strUrlPrefix);
  // TID_IO: the loaded archive (null when it could not be read) reaches the provider, if it is still there.
  static void _OnLoadEnded(std::weak_ptr<VellArchiveProvider> provider, CefRefPtr<CefZipArchive> archive, Identity identity);
  void _UseArchive(CefRefPtr<CefZipArchive> archive, Identity identity);
  // Answers `request` from the archive; false (nothing answered) when it
  // does not hold the file.
  bool _Continue(const CefRefPtr<CefResourceManager::Request>& request) const;

  const std::string m_strUrlPrefix;
  const std::string m_strArchivePath;
  const std::string m_strPassword;
  std::atomic<bool> m_bLoadStarted{false};
  bool m_bLoadEnded = false;
  CefRefPtr<CefZipArchive> m_pArchive;
  Identity m_identity;
  std::vector<CefRefPtr<CefResourceManager::Request>> m_vecPendingRequests;
};
