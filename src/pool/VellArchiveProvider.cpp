#include "pool/VellArchiveProvider.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QUrl>
#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "include/cef_stream.h"
#include "include/wrapper/cef_closure_task.h"
#include "include/wrapper/cef_helpers.h"
#include "include/wrapper/cef_stream_resource_handler.h"

namespace {

std::string WithSlash(std::string prefix) {
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  return prefix;
}

// The file a URL under `prefix` names: without query or fragment, decoded.
std::string RelativePath(const std::string& url, const std::string& prefix) {
  std::string rest = url.substr(prefix.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  return QUrl::fromPercentEncoding(QByteArray::fromStdString(rest)).toStdString();
}

std::string HttpDate(time_t when) {
  char text[64];
  tm parts{};
  gmtime_r(&when, &parts);
  strftime(text, sizeof(text), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

CefResponse::HeaderMap Validators(const std::string& strTag, time_t modified) {
  CefResponse::HeaderMap headers;
  headers.emplace("ETag", strTag);
  headers.emplace("Last-Modified", HttpDate(modified));
  headers.emplace("Cache-Control", "no-cache");
  return headers;
}

// FNV-1a: the same from run to run, so that a disk cache's tags stay valid.
unsigned long long NameHash(const std::string& strName) {
  unsigned long long hash = 14695981039346656037ull;
  for (unsigned char c : strName) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

}  // namespace

VellArchiveProvider::VellArchiveProvider(std::string strUrlPrefix, std::string strArchivePath, std::string strPassword)
    : m_strUrlPrefix(WithSlash(std::move(strUrlPrefix))),
      m_strArchivePath(std::move(strArchivePath)),
      m_strPassword(std::move(strPassword)) {}

void VellArchiveProvider::StartLoad() {
  if (m_bLoadStarted.exchange(true)) return;
  if (!CefPostTask(TID_FILE_BACKGROUND, base::Bind(&VellArchiveProvider::_Load, weak_from_this(), m_strArchivePath,
                                                   m_strPassword, m_strUrlPrefix))) {
    VellLog(LOGSEVERITY_ERROR, fmt::format("VellArchiveProvider: no file thread; {} is not served", m_strUrlPrefix));
  }
}

// File thread.
void VellArchiveProvider::_Load(std::weak_ptr<VellArchiveProvider> provider, std::string strArchivePath,
                                std::string strPassword, std::string strUrlPrefix) {
  CEF_REQUIRE_FILE_BACKGROUND_THREAD();
  Identity identity;
  struct stat info {};
  if (stat(strArchivePath.c_str(), &info) == 0) {
    identity.strTag = fmt::format("z-{:x}-{:x}-{:x}-{:x}", static_cast<unsigned long long>(info.st_dev),
                                  static_cast<unsigned long long>(info.st_ino), static_cast<unsigned long long>(info.st_size),
                                  static_cast<unsigned long long>(info.st_mtim.tv_sec) * 1000000000ull +
                                      static_cast<unsigned long long>(info.st_mtim.tv_nsec));
    identity.modified = info.st_mtim.tv_sec;
  }
  CefRefPtr<CefZipArchive> archive;
  if (CefRefPtr<CefStreamReader> stream = CefStreamReader::CreateForFile(strArchivePath)) {
    archive = new CefZipArchive();
    if (archive->Load(stream, strPassword, false) == 0) {
      VellLog(LOGSEVERITY_ERROR, fmt::format("VellArchiveProvider: no file of {} could be read (not a zip archive, "
                                             "damaged, or a wrong password); {} falls through",
                                             strArchivePath, strUrlPrefix));
    }
  } else {
    VellLog(LOGSEVERITY_ERROR,
            fmt::format("VellArchiveProvider: cannot open {}; {} falls through", strArchivePath, strUrlPrefix));
  }
  CefPostTask(TID_IO, base::Bind(&VellArchiveProvider::_OnLoadEnded, provider, archive, identity));
}

void VellArchiveProvider::_OnLoadEnded(std::weak_ptr<VellArchiveProvider> provider, CefRefPtr<CefZipArchive> archive,
                                       Identity identity) {
  CEF_REQUIRE_IO_THREAD();
  if (auto alive = provider.lock()) alive->_UseArchive(archive, identity);
}

void VellArchiveProvider::_UseArchive(CefRefPtr<CefZipArchive> archive, Identity identity) {
  VellLog(LOGSEVERITY_INFO, fmt::format("VellArchiveProvider: archive_load_ended_: {}", m_strUrlPrefix));
  m_bLoadEnded = true;
  m_pArchive = archive;
  m_identity = identity;
  auto pending = std::move(m_vecPendingRequests);
  m_vecPendingRequests.clear();
  for (const auto& request : pending) {
    if (!_Continue(request)) request->Continue(nullptr);
  }
}

bool VellArchiveProvider::OnRequest(CefRefPtr<CefResourceManager::Request> request) {
  if (request->url().compare(0, m_strUrlPrefix.size(), m_strUrlPrefix) != 0) return false;
  if (m_bLoadStarted && !m_bLoadEnded) {
    m_vecPendingRequests.push_back(request);
    return true;
  }
  return _Continue(request);
}

bool VellArchiveProvider::_Continue(const CefRefPtr<CefResourceManager::Request>& request) const {
  if (!m_pArchive) return false;
  const std::string strName = RelativePath(request->url(), m_strUrlPrefix);
  CefRefPtr<CefZipArchive::File> file = m_pArchive->GetFile(strName);
  if (!file) return false;
  const std::string strMime = request->mime_type_resolver()(request->url());
  if (m_identity.strTag.empty()) {
    request->Continue(new CefStreamResourceHandler(strMime, file->GetStreamReader()));
    return true;
  }
  const std::string strTag =
      fmt::format("\"{}-{:x}\"", m_identity.strTag, NameHash(CefZipArchive::NormalizeName(strName)));
  CefRefPtr<CefRequest> original = request->request();
  if (original && original->GetHeaderByName("If-None-Match").ToString() == strTag) {
    request->Continue(new CefStreamResourceHandler(304, "Not Modified", strMime, Validators(strTag, m_identity.modified),
                                                   CefStreamReader::CreateForData(nullptr, 0)));
    return true;
  }
  request->Continue(new CefStreamResourceHandler(200, "OK", strMime, Validators(strTag, m_identity.modified),
                                                 file->GetStreamReader()));
  return true;
}
