// The handler's resource part: providers on the browser's resource manager
// and the per-request callbacks.
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <regex>

#include "base/VellLoggerAgent.h"
#include "core/VellHandler.h"
#include "include/wrapper/cef_helpers.h"
#include "utils/VellQFileEnhance.h"

namespace {

std::shared_ptr<VellError> AddError(const std::string& message, int line, const char* function) {
  return std::make_shared<VellError>(message, __FILE__, line, function);
}

bool IsHttpUrl(const std::string& url) {
  static const std::regex pattern(R"(^(https?):\/\/([^\s/$.?#].[^\s]*)$)",
                                  std::regex::ECMAScript | std::regex::icase);
  return std::regex_match(url, pattern);
}

}  // namespace

std::shared_ptr<VellError> VellHandler::AddArchiveResourceProvider(const std::string& strArchivePath,
                                                                   const std::string& strUrl,
                                                                   const std::string& strPassword, int order) {
  constexpr const char* kFunction = "VellHandler::AddArchiveResourceProvider";
  if (strArchivePath.empty()) {
    return AddError("AddArchiveResourceProvider failed, strArchivePath cannot be empty", __LINE__, kFunction);
  }
  if (!VellQFileEnhance::IsZipFilePathExtension(strArchivePath)) {
    return AddError(fmt::format("AddArchiveResourceProvider failed, strArchivePath file extension should be zip, "
                                "strArchivePath = {}",
                                strArchivePath),
                    __LINE__, kFunction);
  }
  // A directory named like an archive is no archive either.
  if (!VellQFileEnhance::IsFile(strArchivePath)) {
    return AddError(
        fmt::format("AddArchiveResourceProvider failed, strArchivePath is not exist, strArchivePath = {}", strArchivePath),
        __LINE__, kFunction);
  }
  if (strUrl.empty()) return AddError("AddArchiveResourceProvider failed, strUrl cannot be empty", __LINE__, kFunction);
  if (!IsHttpUrl(strUrl)) {
    return AddError(fmt::format("AddArchiveResourceProvider failed, strUrl is invalid, strUrl = {}", strUrl), __LINE__,
                    kFunction);
  }
  if (!m_pResourceManager) {
    return AddError("AddArchiveResourceProvider failed, m_pResourceManager is nullptr", __LINE__, kFunction);
  }
  m_pResourceManager->AddArchiveProvider(strUrl, strArchivePath, strPassword, order, std::string());
  return nullptr;
}

std::shared_ptr<VellError> VellHandler::AddLocalDirectoryResourceProvider(const std::string& strDirPath,
                                                                          const std::string& strUrl, int order) {
  constexpr const char* kFunction = "VellHandler::AddLocalDirectoryResourceProvider";
  if (strDirPath.empty() || strUrl.empty()) {
    return AddError("AddLocalDirectoryResourceProvider failed, strDirPath cannot be empty", __LINE__, kFunction);
  }
  if (strDirPath.back() == '/') {
    return AddError("AddLocalDirectoryResourceProvider failed, strDirPath should not end with '/'", __LINE__, kFunction);
  }
  if (!m_pResourceManager) {
    return AddError("AddLocalDirectoryResourceProvider failed, m_pResourceManager is nullptr", __LINE__, kFunction);
  }
  m_pResourceManager->AddDirectoryProvider(strUrl, strDirPath, order, std::string());
  return nullptr;
}

CefRefPtr<CefResourceRequestHandler> VellHandler::GetResourceRequestHandler(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                                            CefRefPtr<CefRequest>, bool, bool,
                                                                            const CefString&, bool&) {
  return this;
}

CefResourceRequestHandler::ReturnValue VellHandler::OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                     CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback) {
  CEF_REQUIRE_IO_THREAD();
  return m_pResourceManager->OnBeforeResourceLoad(browser, frame, request, callback);
}

CefRefPtr<CefResourceHandler> VellHandler::GetResourceHandler(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                              CefRefPtr<CefRequest> request) {
  return m_pResourceManager->GetResourceHandler(browser, frame, request);
}

bool VellHandler::OnResourceResponse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                     CefRefPtr<CefRequest> request, CefRefPtr<CefResponse> response) {
  const int errorCode = static_cast<int>(response->GetError());
  const int status = response->GetStatus();
  if (errorCode == 0 && status >= 200 && status <= 399) return false;
  const nlohmann::json report = {
      {"nBrowserId", browser ? browser->GetIdentifier() : -1},
      {"nFrameId", frame ? frame->GetIdentifier() : -1},
      {"strCurrentPageUrl", frame ? frame->GetURL().ToString() : std::string()},
      {"strGetStatusText", response->GetStatusText().ToString()},
      {"strRequestUrl", request ? request->GetURL().ToString() : std::string()},
      {"nErrorCode", errorCode},
      {"nHttpStatus", status},
  };
  VellLog(LOGSEVERITY_WARNING,
          fmt::format("OnResourceResponse: Load resource error. {}",
                      report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
  return false;
}

void VellHandler::OnProtocolExecution(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>,
                                      bool& allowOsExecution) {
  allowOsExecution = false;
}
