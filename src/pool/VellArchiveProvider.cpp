#include "pool/VellArchiveProvider.h"

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
  CefPostTask(TID_IO, base::Bind(&VellArchiveProvider::_OnLoadEnded, provider, archive));
}

void VellArchiveProvider::_OnLoadEnded(std::weak_ptr<VellArchiveProvider> provider, CefRefPtr<CefZipArchive> archive) {
  CEF_REQUIRE_IO_THREAD();
  if (auto alive = provider.lock()) alive->_UseArchive(archive);
}

void VellArchiveProvider::_UseArchive(CefRefPtr<CefZipArchive> archive) {
  VellLog(LOGSEVERITY_INFO, fmt::format("VellArchiveProvider: archive_load_ended_: {}", m_strUrlPrefix));
  m_bLoadEnded = true;
  m_pArchive = archive;
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
  CefRefPtr<CefZipArchive::File> file = m_pArchive->GetFile(RelativePath(request->url(), m_strUrlPrefix));
  if (!file) return false;
  request->Continue(new CefStreamResourceHandler(request->mime_type_resolver()(request->url()), file->GetStreamReader()));
  return true;
}
