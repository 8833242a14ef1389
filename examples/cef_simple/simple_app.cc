#include "simple_app.h"

#include <string>

#include "include/cef_browser.h"
#include "include/cef_command_line.h"
#include "include/cef_v8.h"
#include "include/wrapper/cef_helpers.h"
#include "simple_handler.h"

namespace {

// The page's default: a title and nothing to fetch.
const char kDefaultUrl[] = "data:text/html,<title>cef_simple</title><p>Hello from cef_simple.</p>";

// JavaScript installed in every page before its own scripts run.
const char kExtensionCode[] =
    "var simple;"
    "if (!simple) simple = {};"
    "(function() {"
    "  simple.send = function(text) {"
    "    native function sendToBrowser(text);"
    "    return sendToBrowser(text);"
    "  };"
    "})();";

// simple.send(text): the text goes to the browser process as "pong".
class SendToBrowserHandler : public CefV8Handler {
 public:
  SendToBrowserHandler() = default;

  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) OVERRIDE {
    CEF_REQUIRE_RENDERER_THREAD();
    if (name != "sendToBrowser") return false;
    if (arguments.size() != 1 || !arguments[0]->IsString()) {
      exception = "simple.send takes one string";
      return true;
    }
    CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
    CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create("pong");
    message->GetArgumentList()->SetString(0, arguments[0]->GetStringValue());
    context->GetFrame()->SendProcessMessage(PID_BROWSER, message);
    retval = CefV8Value::CreateBool(true);
    (void)object;
    return true;
  }

 private:
  IMPLEMENT_REFCOUNTING(SendToBrowserHandler);
  DISALLOW_COPY_AND_ASSIGN(SendToBrowserHandler);
};

}  // namespace

void SimpleApp::OnContextInitialized() {
  CEF_REQUIRE_UI_THREAD();
  CefRefPtr<CefCommandLine> command_line = CefCommandLine::GetGlobalCommandLine();
  std::string url = command_line->GetSwitchValue("url");
  if (url.empty()) url = kDefaultUrl;

  CefWindowInfo window_info;
  CefString(&window_info.window_name) = "cef_simple";
  CefBrowserSettings browser_settings;
  CefBrowserHost::CreateBrowser(window_info, new SimpleHandler(), url, browser_settings, nullptr, nullptr);
}

void SimpleApp::OnWebKitInitialized() {
  CEF_REQUIRE_RENDERER_THREAD();
  CefRegisterExtension("v8/simple", kExtensionCode, new SendToBrowserHandler());
}

bool SimpleApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                         CefProcessId source_process, CefRefPtr<CefProcessMessage> message) {
  CEF_REQUIRE_RENDERER_THREAD();
  (void)browser;
  if (source_process != PID_BROWSER || message->GetName() != "ping") return false;
  frame->ExecuteJavaScript("simple.send(document.title);", frame->GetURL(), 0);
  return true;
}
