#include "render/native_binding.h"

#include <utility>

#include "render/native_call.h"

namespace cefcompat {

void NativeBinding::OnCalled(const std::string& sessionId, const Json& params) {
  if (params.value("name", std::string()) != kBinding) return;
  const ContextTable::ContextKey key{sessionId, params.value("executionContextId", 0)};
  Json call = Json::parse(params.value("payload", std::string()), nullptr, false);
  if (call.is_object() && call.contains("collected")) return OnCollected(key, call["collected"]);
  if (call.is_object() && call.value("id", 0) > 0) return AnswerLater(contexts_.ContextFor(key), call);
  contexts_.State(key).calls.push_back(std::move(call));
}

void NativeBinding::AnswerNativeCall(CefRefPtr<V8ContextImpl> context) {
  auto& calls = contexts_.State({context->SessionId(), context->ContextId()}).calls;
  if (calls.empty()) return;  // the stub then throws "was not answered"
  const Json payload = std::move(calls.front());
  calls.pop_front();
  NativeCall call(context, payload);
  context->Evaluate("__cefcompat.state.result = " + call.Run());
}

void NativeBinding::AnswerLater(CefRefPtr<V8ContextImpl> context, const Json& payload) {
  NativeCall call(context, payload);
  const std::string answer = call.Run();
  context->Post("__cefcompat.settle(" + std::to_string(payload.value("id", 0)) + ", " + answer + ")",
                answer != NativeCall::kUndefinedAnswer);
}

void NativeBinding::OnCollected(const ContextTable::ContextKey& key, const Json& ids) {
  CefRefPtr<V8ContextImpl> context = contexts_.Find(key);
  if (!context || !ids.is_array()) return;
  for (const auto& id : ids) {
    if (id.is_number_integer()) context->Natives().Forget(id.get<int64_t>());
  }
}

}  // namespace cefcompat
