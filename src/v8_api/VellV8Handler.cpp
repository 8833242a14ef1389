#include "v8_api/VellV8Handler.h"

#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8PluginFactoryCluster.h"

namespace {

// An absent position reads as undefined.
CefRefPtr<CefV8Value> Argument(const CefV8ValueList& arguments, size_t index) {
  return index < arguments.size() && arguments[index] ? arguments[index] : CefV8Value::CreateUndefined();
}

}  // namespace

bool VellV8Handler::Execute(const CefString& /*name*/, CefRefPtr<CefV8Value> /*object*/,
                            const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& /*retval*/,
                            CefString& exception) {
  VellProcessMessage message;
  message.SetMessageName(Argument(arguments, 0)->GetStringValue().ToString());
  CefRefPtr<CefV8Value> payload = Argument(arguments, 1);
  message.SetValue(payload->HasValue("json") ? payload->GetValue("json")->GetStringValue().ToString() : std::string());
  CefRefPtr<CefV8Value> callback = Argument(arguments, 3);
  if (callback->IsFunction()) {
    message.SetSuccessCallback(callback);
    message.SetErrorCallback(callback);
  }
  message.SetExtra(Argument(arguments, 5));
  if (!message.IsMessageNameValid()) {
    exception = "Validation error: message name is invalid. message name = " + message.GetMessageName();
    return true;
  }
  if (!message.IsValueValid() || !message.IsHostnameValid() || !message.IsHostValid()) return true;
  VellV8PluginFactoryCluster::ForwardStandardJsonPayloadFromCefBrowserMessage(message);
  return true;
}
