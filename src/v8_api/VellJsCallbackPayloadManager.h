#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "include/cef_v8.h"
#include "utils/VellAutoSingleton.h"

// A page's pending callback: the functions to run and the context to run them in.
struct JsCallbackPayload {
  CefRefPtr<CefV8Value> successCallback;
  CefRefPtr<CefV8Value> errorCallback;
  CefRefPtr<CefV8Context> context;
};

// The render process's pending callbacks by request id (1, 2, 3, ... per
// process). Serialised by its own mutex; callbacks run outside it.
class VellJsCallbackPayloadManager : public VellAutoSingleton<VellJsCallbackPayloadManager> {
  friend class VellAutoSingleton<VellJsCallbackPayloadManager>;

 public:
  static const int KnSkipCallbackId;

  // The new request id, or KnSkipCallbackId when the payload has no callback.
  int CheckIn(JsCallbackPayload payload);
  // Takes the payload out (once); false for KnSkipCallbackId or an unknown id.
  bool Checkout(int requestId, JsCallbackPayload& payload);
  // Drops the payloads made from the frame whose context is being released,
  // and every payload whose context is already gone.
  void EraseByFrameId(int64 frameId);
  // How many callbacks wait for an answer.
  size_t PendingCount();

  // Success: one argument, the response text or null when it is empty.
  static void InvokeSuccessJsCallback(CefRefPtr<CefV8Value> callback, CefRefPtr<CefV8Context> context,
                                      const std::string& response);
  // Failure: "[code]: message", then the code alone.
  static void InvokeErrorJsCallback(CefRefPtr<CefV8Value> callback, CefRefPtr<CefV8Context> context,
                                    const std::string& errorCode, const std::string& errorMessage);

 protected:
  VellJsCallbackPayloadManager() = default;

 private:
  static void _SafeInvokeJsCallback(CefRefPtr<CefV8Value> callback, CefRefPtr<CefV8Context> context,
                                    const CefV8ValueList& arguments);

  std::mutex m_mutex;
  int m_nLastRequestId = 0;
  std::map<int, JsCallbackPayload> m_mapPayload;
};
