#pragma once

#include <string>

#include "include/cef_client.h"
#include "include/cef_download_handler.h"

// The browser's client, which runs the checks in turn on TID_UI: the
// launcher page has loaded from the scheme's handler; a cookie set for it is
// read back with a visitor; a file started with StartDownload lands whole in
// a temporary folder. Then the browser closes, which ends the message loop.
class BreadthClient : public CefClient, public CefLifeSpanHandler, public CefLoadHandler, public CefDownloadHandler {
 public:
  BreadthClient(std::string download_url, std::string download_body);

  // The first check that failed, or why the checks did not finish; empty
  // when all three worked. Any thread.
  static std::string Failure();
  static void Fail(const std::string& why);

  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() OVERRIDE { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() OVERRIDE { return this; }
  CefRefPtr<CefDownloadHandler> GetDownloadHandler() OVERRIDE { return this; }

  // CefLifeSpanHandler
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) OVERRIDE;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) OVERRIDE;

  // CefLoadHandler
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) OVERRIDE;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                   const CefString& errorText, const CefString& failedUrl) OVERRIDE;

  // CefDownloadHandler
  void OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                        const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) OVERRIDE;
  void OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                         CefRefPtr<CefDownloadItemCallback> callback) OVERRIDE;

 private:
  void CheckCookie();
  void OnCookieRead(const std::string& found);
  void CheckDownload(const std::string& path);
  void Finish(const std::string& failure);

  const std::string download_url_;
  const std::string download_body_;
  // TID_UI.
  CefRefPtr<CefBrowser> browser_;
  std::string folder_;  // the download's temporary folder
  bool finished_ = false;

  IMPLEMENT_REFCOUNTING(BreadthClient);
  DISALLOW_COPY_AND_ASSIGN(BreadthClient);
};
