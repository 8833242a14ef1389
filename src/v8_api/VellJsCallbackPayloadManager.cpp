#include "v8_api/VellJsCallbackPayloadManager.h"

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "include/cef_frame.h"

const int VellJsCallbackPayloadManager::KnSkipCallbackId = -1;

int VellJsCallbackPayloadManager::CheckIn(JsCallbackPayload payload) {
  if (!payload.successCallback && !payload.errorCallback) return KnSkipCallbackId;
  std::lock_guard<std::mutex> lock(m_mutex);
  const int requestId = ++m_nLastRequestId;
  m_mapPayload[requestId] = std::move(payload);
  return requestId;
}

bool VellJsCallbackPayloadManager::Checkout(int requestId, JsCallbackPayload& payload) {
  if (requestId == KnSkipCallbackId) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto it = m_mapPayload.find(requestId);
  if (it == m_mapPayload.end()) return false;
  payload = it->second;
  m_mapPayload.erase(it);
  return true;
}

size_t VellJsCallbackPayloadManager::PendingCount() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mapPayload.size();
}

void VellJsCallbackPayloadManager::EraseByFrameId(int64 frameId) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_mapPayload.begin(); it != m_mapPayload.end();) {
    CefRefPtr<CefV8Context> context = it->second.context;
    CefRefPtr<CefFrame> frame = context && context->IsValid() ? context->GetFrame() : nullptr;
    // A payload whose context is gone (or was never captured) can never run
    // its callback: it goes too, instead of staying until the process ends.
    if (!frame || frame->GetIdentifier() == frameId) {
      it = m_mapPayload.erase(it);
    } else {
      ++it;
    }
  }
}

void VellJsCallbackPayloadManager::InvokeSuccessJsCallback(CefRefPtr<CefV8Value> callback,
                                                           CefRefPtr<CefV8Context> context, const std::string& response) {
  if (!context || !context->IsValid()) {
    VellLog(2, "VellJsCallbackPayloadManager::InvokeSuccessJsCallback will stop due to cef context is in valid");
    return;
  }
  _SafeInvokeJsCallback(callback, context,
                        {response.empty() ? CefV8Value::CreateNull() : CefV8Value::CreateString(response)});
}

void VellJsCallbackPayloadManager::InvokeErrorJsCallback(CefRefPtr<CefV8Value> callback,
                                                         CefRefPtr<CefV8Context> context, const std::string& errorCode,
                                                         const std::string& errorMessage) {
  if (!context || !context->IsValid()) {
    VellLog(2, "VellJsCallbackPayloadManager::InvokeErrorJsCallback will stop due to cef context is in valid");
    return;
  }
  _SafeInvokeJsCallback(callback, context,
                        {CefV8Value::CreateString(fmt::format("[{}]: {}", errorCode, errorMessage)),
                         CefV8Value::CreateString(errorCode)});
}

void VellJsCallbackPayloadManager::_SafeInvokeJsCallback(CefRefPtr<CefV8Value> callback,
                                                         CefRefPtr<CefV8Context> context,
                                                         const CefV8ValueList& arguments) {
  if (!callback || !callback->IsFunction() || !callback->IsValid() || !context || !context->IsValid()) return;
  callback->ExecuteFunctionWithContext(context, nullptr, arguments);
}
