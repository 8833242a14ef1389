#include "breadth_app.h"

#include "app_resource_handler.h"
#include "breadth_client.h"
#include "include/cef_browser.h"
#include "include/cef_scheme.h"
#include "include/wrapper/cef_helpers.h"

namespace {

const char kDownloadBody[] = "Patch notes: the north bridge is open again.\n";

}  // namespace

void BreadthApp::OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) {
  registrar->AddCustomScheme("launcher", CEF_SCHEME_OPTION_STANDARD | CEF_SCHEME_OPTION_SECURE);
}

void BreadthApp::OnContextInitialized() {
  CEF_REQUIRE_UI_THREAD();
  AppResourceHandler::RegisterFactory();
  file_server_.reset(new FileServer("patch-notes.txt", kDownloadBody));
  if (!file_server_->Started()) BreadthClient::Fail("the download's file server did not start");

  CefRefPtr<BreadthClient> client(new BreadthClient(file_server_->Url(), kDownloadBody));
  CefWindowInfo window_info;
  CefString(&window_info.window_name) = "cef_breadth";
  CefBrowserHost::CreateBrowser(window_info, client, "launcher://app/index.html", CefBrowserSettings(), nullptr,
                                nullptr);
}
