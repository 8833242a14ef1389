#include "simple_handler.h"

#include <atomic>
#include <iostream>

#include "include/base/cef_bind.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_closure_task.h"
#include "include/wrapper/cef_helpers.h"

namespace {

std::atomic<bool> g_page_answered{false};

// A page that never answers does not keep the program open.
constexpr int64 kGiveUpMs = 60000;

}  // namespace

bool SimpleHandler::PageAnswered() { return g_page_answered; }

bool SimpleHandler::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                             CefProcessId source_process, CefRefPtr<CefProcessMessage> message) {
  CEF_REQUIRE_UI_THREAD();
  (void)frame;
  if (source_process != PID_RENDERER || message->GetName() != "pong") return false;
  std::cout << "page answered: " << message->GetArgumentList()->GetString(0).ToString() << std::endl;
  g_page_answered = true;
  browser->GetHost()->CloseBrowser(false);
  return true;
}

void SimpleHandler::OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
  CEF_REQUIRE_UI_THREAD();
  std::cout << "browser " << browser->GetIdentifier() << " title: " << title << std::endl;
}

void SimpleHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  browser_list_.push_back(browser);
  CefPostDelayedTask(TID_UI, base::Bind(&SimpleHandler::CloseAllBrowsers, this, true), kGiveUpMs);
}

bool SimpleHandler::DoClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  (void)browser;
  // Let the browser close; OnBeforeClose follows.
  return false;
}

void SimpleHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  browser_list_.remove_if([&browser](const CefRefPtr<CefBrowser>& each) { return each->IsSame(browser); });
  if (browser_list_.empty()) CefQuitMessageLoop();
}

void SimpleHandler::OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, int httpStatusCode) {
  CEF_REQUIRE_UI_THREAD();
  if (!frame->IsMain()) return;
  std::cout << "browser " << browser->GetIdentifier() << " loaded " << frame->GetURL().ToString().substr(0, 60)
            << " (status " << httpStatusCode << ")" << std::endl;
  frame->SendProcessMessage(PID_RENDERER, CefProcessMessage::Create("ping"));
}

void SimpleHandler::OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, ErrorCode errorCode,
                                const CefString& errorText, const CefString& failedUrl) {
  CEF_REQUIRE_UI_THREAD();
  if (errorCode == ERR_ABORTED || !frame->IsMain()) return;
  std::cerr << "failed to load " << failedUrl << ": " << errorText << " (" << errorCode << ")" << std::endl;
  browser->GetHost()->CloseBrowser(true);
}

void SimpleHandler::CloseAllBrowsers(bool force_close) {
  if (!CefCurrentlyOn(TID_UI)) {
    CefPostTask(TID_UI, base::Bind(&SimpleHandler::CloseAllBrowsers, this, force_close));
    return;
  }
  for (const auto& browser : browser_list_) browser->GetHost()->CloseBrowser(force_close);
}
