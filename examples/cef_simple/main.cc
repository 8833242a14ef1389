// A small browser in the style of CEF's minimal sample: it opens one page
// (--url=..., by default a page of its own), sends it a message once it has
// loaded, prints the page's answer and exits when the browser has closed.
// The same executable is its own render sub-process.
#include "include/cef_app.h"
#include "include/cef_command_line.h"
#include "simple_app.h"
#include "simple_handler.h"
#include "VellLeakSanitizerDefaults.h"

int main(int argc, char* argv[]) {
  CefMainArgs main_args(argc, argv);
  CefRefPtr<SimpleApp> app(new SimpleApp);

  // A sub-process runs here and returns its exit code.
  const int exit_code = CefExecuteProcess(main_args, app.get(), nullptr);
  if (exit_code >= 0) return exit_code;

  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_WARNING;
  if (!CefInitialize(main_args, settings, app.get(), nullptr)) return 2;

  // Ends with the last browser (SimpleHandler::OnBeforeClose).
  CefRunMessageLoop();

  CefShutdown();
  return SimpleHandler::PageAnswered() ? 0 : 1;
}
