// What CEF offers besides showing a page, a few lines each: a custom scheme
// (launcher://app/...) served by the application's own resource handler, a
// cookie set for it and read back with a visitor, and a file downloaded with
// StartDownload into a temporary folder the download handler picks. Prints
// each check and exits 0 when all three worked. The same executable is its
// own render sub-process.
#include <iostream>

#include "VellLeakSanitizerDefaults.h"
#include "breadth_app.h"
#include "breadth_client.h"
#include "include/cef_app.h"

int main(int argc, char* argv[]) {
  CefMainArgs main_args(argc, argv);
  CefRefPtr<BreadthApp> app(new BreadthApp);

  const int exit_code = CefExecuteProcess(main_args, app.get(), nullptr);
  if (exit_code >= 0) return exit_code;

  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_WARNING;
  if (!CefInitialize(main_args, settings, app.get(), nullptr)) {
    std::cerr << "cef_breadth: the runtime did not start" << std::endl;
    return 2;
  }
  // Ends when the browser has closed, after the checks or on failure.
  CefRunMessageLoop();
  CefShutdown();
  app->StopFileServer();

  const std::string failure = BreadthClient::Failure();
  if (!failure.empty()) {
    std::cerr << "cef_breadth: FAILED: " << failure << std::endl;
    return 1;
  }
  std::cout << "cef_breadth: scheme, cookie and download all worked" << std::endl;
  return 0;
}
