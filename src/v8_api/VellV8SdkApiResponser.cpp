#include "v8_api/VellV8SdkApiResponser.h"

#include "v8_api/VellJsCallbackPayloadManager.h"
#include "v8_api/VellProcessMessage.h"

bool VellV8SdkApiResponser::Response(const VellProcessMessage& message) {
  if (message.GetRequestId() == VellJsCallbackPayloadManager::KnSkipCallbackId) return false;
  JsCallbackPayload payload;
  if (!VellJsCallbackPayloadManager::Instance()->Checkout(message.GetRequestId(), payload)) return false;
  // The error message alone decides: a code without a message is a success.
  if (!message.GetErrorMessage().empty()) {
    VellJsCallbackPayloadManager::InvokeErrorJsCallback(payload.errorCallback, payload.context,
                                                        message.GetErrorCode(), message.GetErrorMessage());
  } else {
    VellJsCallbackPayloadManager::InvokeSuccessJsCallback(payload.successCallback, payload.context,
                                                          message.GetResponseValue());
  }
  return true;
}
