#include "breadth_client.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <mutex>

#include "include/base/cef_bind.h"
#include "include/cef_app.h"
#include "include/cef_cookie.h"
#include "include/wrapper/cef_closure_task.h"
#include "include/wrapper/cef_helpers.h"

namespace {

const char kPageUrl[] = "launcher://app/index.html";
const char kCookieUrl[] = "launcher://app/";

// A run that stalls ends with a failure rather than hanging.
constexpr int64 kGiveUpMs = 60000;

std::mutex g_mutex;
std::string g_failure;
bool g_done = false;

class CookieSet : public CefSetCookieCallback {
 public:
  explicit CookieSet(std::function<void(bool)> done) : done_(std::move(done)) {}
  void OnComplete(bool success) OVERRIDE { done_(success); }

 private:
  std::function<void(bool)> done_;
  IMPLEMENT_REFCOUNTING(CookieSet);
};

// Collects "name=value" of every cookie visited; tells `done` on TID_UI once
// the runtime lets the visitor go (visiting ended, with or without cookies).
class CookieCollector : public CefCookieVisitor {
 public:
  explicit CookieCollector(std::function<void(const std::string&)> done) : done_(std::move(done)) {}
  ~CookieCollector() override { CefPostTask(TID_UI, base::Bind(&Report, done_, found_)); }
  bool Visit(const CefCookie& cookie, int, int, bool&) OVERRIDE {
    found_ += CefString(&cookie.name).ToString() + "=" + CefString(&cookie.value).ToString() + ";";
    return true;
  }

 private:
  static void Report(std::function<void(const std::string&)> done, std::string found) { done(found); }

  std::function<void(const std::string&)> done_;
  std::string found_;
  IMPLEMENT_REFCOUNTING(CookieCollector);
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

BreadthClient::BreadthClient(std::string download_url, std::string download_body)
    : download_url_(std::move(download_url)), download_body_(std::move(download_body)) {}

std::string BreadthClient::Failure() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_failure.empty()) return g_failure;
  return g_done ? std::string() : "the checks did not finish";
}

void BreadthClient::Fail(const std::string& why) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_failure.empty()) g_failure = why;
}

void BreadthClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  browser_ = browser;
  CefPostDelayedTask(TID_UI, base::Bind(&BreadthClient::Finish, this, std::string("timed out")), kGiveUpMs);
}

void BreadthClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser;
  browser_ = nullptr;
  CefQuitMessageLoop();
}

// 1. The page came from AppResourceHandler.
void BreadthClient::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser;
  if (!frame->IsMain() || frame->GetURL() != kPageUrl) return;
  if (httpStatusCode != 200) return Finish("the scheme's page answered " + std::to_string(httpStatusCode));
  std::cout << "scheme: " << kPageUrl << " loaded from the application's handler" << std::endl;
  CheckCookie();
}

void BreadthClient::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                                const CefString& errorText, const CefString& failedUrl) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser;
  if (errorCode == ERR_ABORTED || !frame->IsMain()) return;
  Finish("loading " + failedUrl.ToString() + " failed: " + errorText.ToString());
}

// 2. A cookie for the scheme's pages, then every cookie they would send.
void BreadthClient::CheckCookie() {
  CefCookie cookie;
  CefString(&cookie.name) = "region";
  CefString(&cookie.value) = "eu-west";
  CefString(&cookie.path) = "/";
  CefRefPtr<BreadthClient> self(this);
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager(nullptr);
  manager->SetCookie(kCookieUrl, cookie, new CookieSet([self, manager](bool success) {
                       if (!success) return self->Finish("the cookie was not set");
                       manager->VisitUrlCookies(kCookieUrl, true, new CookieCollector([self](const std::string& found) {
                                                  self->OnCookieRead(found);
                                                }));
                     }));
}

void BreadthClient::OnCookieRead(const std::string& found) {
  if (found != "region=eu-west;") return Finish("the cookie read back was \"" + found + "\"");
  std::cout << "cookie: " << found << " read back" << std::endl;
  // 3. A download into a folder of our own.
  char folder[] = "/tmp/cef_breadth.XXXXXX";
  if (!mkdtemp(folder)) return Finish("no temporary folder for the download");
  folder_ = folder;
  browser_->GetHost()->StartDownload(download_url_);
}

void BreadthClient::OnBeforeDownload(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                     const CefString& suggested_name, CefRefPtr<CefBeforeDownloadCallback> callback) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser, (void)download_item;
  callback->Continue(folder_ + "/" + suggested_name.ToString(), false);
}

void BreadthClient::OnDownloadUpdated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDownloadItem> download_item,
                                      CefRefPtr<CefDownloadItemCallback> callback) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser, (void)callback;
  if (download_item->IsComplete()) return CheckDownload(download_item->GetFullPath().ToString());
  if (download_item->IsCanceled()) return Finish("the download was cancelled");
  if (!download_item->IsInProgress()) return Finish("the download failed");
}

void BreadthClient::CheckDownload(const std::string& path) {
  const std::string saved = ReadFile(path);
  unlink(path.c_str());
  if (saved != download_body_) return Finish("the downloaded file holds \"" + saved + "\"");
  std::cout << "download: " << download_url_ << " saved whole to " << path << std::endl;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_done = true;
  }
  Finish(std::string());
}

void BreadthClient::Finish(const std::string& failure) {
  CEF_REQUIRE_UI_THREAD();
  if (finished_) return;
  finished_ = true;
  if (!failure.empty()) Fail(failure);
  if (!folder_.empty()) rmdir(folder_.c_str());
  if (browser_) browser_->GetHost()->CloseBrowser(true);
}
