#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <nlohmann/json.hpp>

#include "base/VellError.h"
#include "v8_api/VellV8ApiPluginInterface.h"

class VellHandler;
class VellWidget;

// A response the host supplies as ready JSON text: sent verbatim.
struct VellRawStringResponse {
  std::string strJson;
};

// The base of every plugin, and the one plugin flow they all follow:
//   1. copy the message; the call is answered on the copy;
//   2. parse the copy's value into the request model (strict; a failure is
//      answered at once with "#ParseValue2JsonError" and nothing is emitted);
//   3. queue to the plugin's thread (the Qt thread that created it) a task
//      that emits the plugin's signal;
//   4. answer: emit shape - null right after the emission, whoever listens;
//      callback shape - each time the host calls the callback, the response
//      model as compact JSON, built on the calling thread (direct) or on the
//      plugin's thread (posted).
// A concrete plugin (QObject first, this second) names its model, signal and
// shape by calling one of the Flow operations from HandleFromCefProcessMessage.
class VellV8ApiPluginAbstract : public VellV8ApiPluginInterface {
 public:
  enum class Answer { Direct, Posted };

  // Sends the message back unchanged: the page's call succeeds with its response value.
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  static bool IsStandardJsonPayload(const CefRefPtr<CefV8Value>& value);
  static std::string GetStandardJsonPayload(const CefRefPtr<CefV8Value>& value);

  // Runs `script` in the main frame of the handler's browser (Qt thread).
  // With waitForLoad the script waits for the load in progress, if any, and
  // is dropped when the page then is "about:blank"; without, it runs now.
  static std::shared_ptr<VellError> S_RunJavascript(VellHandler* handler, const std::string& script,
                                                    bool waitForLoad);

 protected:
  // The same in the browser a widget shows: how notifications reach pages.
  static std::shared_ptr<VellError> S_RunJavascript(const VellWidget* widget, const std::string& script,
                                                    bool waitForLoad);
  std::shared_ptr<VellError> RunJavascript(const VellWidget* widget, const std::string& script, bool waitForLoad) {
    return S_RunJavascript(widget, script, waitForLoad);
  }

  // Emit shape with a request model: emits signal(model).
  template <class Model, class Plugin, class... Params>
  static void EmitFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                       void (Plugin::*signal)(Params...)) {
    VellProcessMessage copy = message;
    Model model;
    if (!_ParseRequest(copy, frame, model)) return;
    _RunOnPluginThread(plugin, [plugin, signal, model, copy, frame] {
      (plugin->*signal)(model);
      copy.SendProcessMessage(PID_RENDERER, frame);
    });
  }

  // Emit shape without a model: emits signal() and ignores the payload.
  template <class Plugin>
  static void EmitFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                       void (Plugin::*signal)()) {
    _RunOnPluginThread(plugin, [plugin, signal, copy = message, frame] {
      (plugin->*signal)();
      copy.SendProcessMessage(PID_RENDERER, frame);
    });
  }

  // Emit shape with the payload as received (any text, JSON or not).
  template <class Plugin, class Param>
  static void EmitRawFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                          void (Plugin::*signal)(Param)) {
    _RunOnPluginThread(plugin, [plugin, signal, copy = message, frame] {
      (plugin->*signal)(copy.GetValue());
      copy.SendProcessMessage(PID_RENDERER, frame);
    });
  }

  // Callback shape with a request model: emits signal(model, callback).
  template <class Model, class Response, class Plugin, class... Params>
  static void CallbackFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                           void (Plugin::*signal)(Params...), Answer answer) {
    VellProcessMessage copy = message;
    Model model;
    if (!_ParseRequest(copy, frame, model)) return;
    auto callback = _MakeCallback<Response>(plugin, frame, copy, answer);
    _RunOnPluginThread(plugin, [plugin, signal, model, callback] { (plugin->*signal)(model, callback); });
  }

  // Callback shape without a model: emits signal(callback).
  template <class Response, class Plugin, class Param>
  static void CallbackFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                           void (Plugin::*signal)(Param), Answer answer) {
    auto callback = _MakeCallback<Response>(plugin, frame, message, answer);
    _RunOnPluginThread(plugin, [plugin, signal, callback] { (plugin->*signal)(callback); });
  }

  // Callback shape whose callback carries nothing: each call answers null.
  template <class Model, class Plugin, class... Params>
  static void EmptyCallbackFlow(Plugin* plugin, CefRefPtr<CefFrame> frame, const VellProcessMessage& message,
                                void (Plugin::*signal)(Params...)) {
    VellProcessMessage copy = message;
    Model model;
    if (!_ParseRequest(copy, frame, model)) return;
    std::function<void()> callback = [frame, copy] { copy.SendProcessMessage(PID_RENDERER, frame); };
    _RunOnPluginThread(plugin, [plugin, signal, model, callback] { (plugin->*signal)(model, callback); });
  }

  // The response as the page receives it: JSON (objects with keys in byte
  // order), compact, UTF-8 (invalid bytes from the host become U+FFFD); a raw
  // string response as the host wrote it.
  template <class Response>
  static std::string _ToResponseJson(const Response& response) {
    if constexpr (std::is_base_of_v<VellRawStringResponse, Response>) {
      return response.strJson;
    } else {
      return nlohmann::json(response).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
  }

  // Fills a notification template ("...({});") and runs it once the page has loaded.
  static std::shared_ptr<VellError> _Notify(const VellWidget* widget, const char* scriptTemplate,
                                            const std::string& text);

  // Parses the copy's value; on failure answers the error through `frame`.
  template <class Model>
  static bool _ParseRequest(VellProcessMessage& copy, CefRefPtr<CefFrame> frame, Model& model) {
    std::shared_ptr<VellError> error;
    model = copy.ParseValue<Model>(error, true);
    if (!error) return true;
    copy.SendProcessMessage(PID_RENDERER, frame);
    return false;
  }

  // Runs `task` on the plugin's thread: now when already there, else queued.
  static void _RunOnPluginThread(QObject* plugin, std::function<void()> task);

 private:
  template <class Response>
  static std::function<void(const Response&)> _MakeCallback(QObject* plugin, CefRefPtr<CefFrame> frame,
                                                             const VellProcessMessage& copy, Answer answer) {
    auto send = [frame, copy](const Response& response) {
      VellProcessMessage answered = copy;
      answered.SetResponseValue(_ToResponseJson(response));
      answered.SendProcessMessage(PID_RENDERER, frame);
    };
    if (answer == Answer::Direct) return send;
    return [guard = QPointer<QObject>(plugin), send](const Response& response) {
      if (guard) _RunOnPluginThread(guard, [send, response] { send(response); });
    };
  }
};
