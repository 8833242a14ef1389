#include <cstdint>

#include "base/log.h"
#include "include/cef_v8.h"
#include "render/array_buffer_transfer.h"
#include "render/page_script.h"
#include "render/render_browser.h"
#include "render/render_process.h"
#include "render/v8_context_impl.h"
#include "render/v8_value_codec.h"

using cefcompat::ArrayBufferTransfer;
using cefcompat::JsString;
using cefcompat::Log;
using cefcompat::NativeTargets;
using cefcompat::V8ContextImpl;
using cefcompat::V8ValueCodec;

namespace {

// The context a value is made in: the live one entered on TID_RENDERER.
V8ContextImpl* ContextToMakeIn(const std::string& what) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  if (context && context->IsValid()) return static_cast<V8ContextImpl*>(context.get());
  Log(LOGSEVERITY_WARNING, what + " refused: no live context is entered");
  return nullptr;
}

// A value bound to what the native side made in `context` under `id`.
CefRefPtr<CefV8Value> MadeValue(V8ContextImpl* context, CefV8Value::Kind kind, int64_t id) {
  CefRefPtr<CefV8Value> value(new CefV8Value(kind));
  value->BindHandle(context, id);
  value->nativeId_ = id;
  return value;
}

std::string HandleExpression(int64_t handle) { return "__cefcompat.handles.get(" + std::to_string(handle) + ")"; }

// The live context of a page value, on TID_RENDERER where its native side is kept; null otherwise.
V8ContextImpl* LiveContextOf(const CefV8Value& value) {
  CefRefPtr<CefV8Context> context = value.HandleContext();
  if (value.Handle() < 0 || !context || !context->IsValid() || !cefcompat::RenderProcess::OnRendererThread()) {
    return nullptr;
  }
  return static_cast<V8ContextImpl*>(context.get());
}

}  // namespace

CefRefPtr<CefV8Value> CefV8Value::CreateUndefined() { return new CefV8Value(Kind::Undefined); }
CefRefPtr<CefV8Value> CefV8Value::CreateNull() { return new CefV8Value(Kind::Null); }
CefRefPtr<CefV8Value> CefV8Value::CreateBool(bool value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Bool));
  v->bool_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateInt(int32_t value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Int));
  v->int_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateUInt(uint32_t value) {
  if (value <= static_cast<uint32_t>(INT32_MAX)) return CreateInt(static_cast<int32_t>(value));
  return CreateDouble(value);
}
CefRefPtr<CefV8Value> CefV8Value::CreateDouble(double value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Double));
  v->double_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateString(const CefString& value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::String));
  v->string_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefV8Accessor> accessor,
                                               CefRefPtr<CefV8Interceptor> interceptor) {
  if (!accessor && !interceptor) return new CefV8Value(Kind::Object);
  V8ContextImpl* context = ContextToMakeIn("CreateObject");
  if (!context) return nullptr;
  const int64_t id = NativeTargets::NextId();
  NativeTargets::Target target;
  target.accessor = accessor;
  target.interceptor = interceptor;
  context->Natives().Add(id, std::move(target));
  context->Post("__cefcompat.makeObject(" + std::to_string(id) + ", " + (interceptor ? "true" : "false") + ")");
  return MadeValue(context, Kind::Object, id);
}

CefRefPtr<CefV8Value> CefV8Value::CreateArrayBuffer(void* buffer, size_t length,
                                                    CefRefPtr<CefV8ArrayBufferReleaseCallback> release_callback) {
  V8ContextImpl* context = ContextToMakeIn("CreateArrayBuffer");
  if (!context || !ArrayBufferTransfer::WithinLimit("CreateArrayBuffer", length)) return nullptr;
  if (!buffer && length > 0) {
    Log(LOGSEVERITY_WARNING, "CreateArrayBuffer refused: no buffer for " + std::to_string(length) + " bytes");
    return nullptr;
  }
  const int64_t id = NativeTargets::NextId();
  ArrayBufferTransfer::Send(context, id, buffer, length);
  NativeTargets::Target target;
  target.buffer = buffer;
  target.release = release_callback;
  context->Natives().Add(id, std::move(target));
  CefRefPtr<CefV8Value> value = MadeValue(context, Kind::ArrayBuffer, id);
  value->byteLength_ = length;
  return value;
}

CefRefPtr<CefV8Value> CefV8Value::CreateFunction(const CefString& name, CefRefPtr<CefV8Handler> handler) {
  V8ContextImpl* context = ContextToMakeIn("CreateFunction");
  if (!context) return nullptr;
  if (!handler) {
    Log(LOGSEVERITY_WARNING, "CreateFunction(" + name.ToString() + ") refused: no handler");
    return nullptr;
  }
  const int64_t id = NativeTargets::NextId();
  NativeTargets::Target target;
  target.name = name;
  target.handler = handler;
  context->Natives().Add(id, std::move(target));
  context->Post("__cefcompat.makeFunction(" + std::to_string(id) + ", " + JsString(name.ToString()) + ")");
  CefRefPtr<CefV8Value> value = MadeValue(context, Kind::Function, id);
  value->functionName_ = name;
  return value;
}

CefV8Value::~CefV8Value() {
  if (handle_ <= 0 || !context_ || !context_->IsValid()) return;
  static_cast<V8ContextImpl*>(context_.get())->Post("__cefcompat.handles.delete(" + std::to_string(handle_) + ")", false);
}

bool CefV8Value::IsValid() {
  return kind_ != Kind::Invalid && (handle_ < 0 || (context_ && context_->IsValid()));
}

bool CefV8Value::IsSame(CefRefPtr<CefV8Value> that) {
  if (!that) return false;
  // What the native side made is the same object under every handle the page gave it.
  const bool same = that->handle_ == handle_ || (nativeId_ != 0 && that->nativeId_ == nativeId_);
  if (handle_ >= 0) return same && context_ && that->context_ && context_->IsSame(that->context_);
  return that.get() == this;
}

bool CefV8Value::HasValue(const CefString& key) { return properties_.count(key) > 0; }

CefRefPtr<CefV8Value> CefV8Value::GetValue(const CefString& key) {
  const auto it = properties_.find(key);
  return it == properties_.end() ? CreateUndefined() : it->second;
}

bool CefV8Value::SetValue(const CefString& key, CefRefPtr<CefV8Value> value, cef_v8_propertyattribute_t attribute) {
  if (!IsObject() || !value) return false;
  if (handle_ >= 0 && (!context_ || !context_->IsValid())) return false;
  properties_[key] = value;
  if (handle_ < 0) return true;
  auto* context = static_cast<V8ContextImpl*>(context_.get());
  const std::string expression = V8ValueCodec::ToExpression(value, context);
  context->Evaluate("Object.defineProperty(" + HandleExpression(handle_) + ", " + JsString(key.ToString()) +
                    ", {value: " + expression +
                    ", writable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_READONLY) ? "false" : "true") +
                    ", enumerable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM) ? "false" : "true") +
                    ", configurable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE) ? "false" : "true") + "})");
  return true;
}

bool CefV8Value::SetValue(const CefString& key, AccessControl, PropertyAttribute attribute) {
  V8ContextImpl* context = LiveContextOf(*this);
  if (!context) return false;
  const NativeTargets::Target* target = context->Natives().Find(nativeId_);
  if (!target || !target->accessor) {
    Log(LOGSEVERITY_WARNING, "SetValue(" + key.ToString() + ") with an accessor refused: the object has no accessor");
    return false;
  }
  context->Post("__cefcompat.accessor(" + std::to_string(handle_) + ", " + JsString(key.ToString()) + ", " +
                std::to_string(nativeId_) + ", " + ((attribute & V8_PROPERTY_ATTRIBUTE_READONLY) ? "true" : "false") +
                ", " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM) ? "false" : "true") + ", " +
                ((attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE) ? "false" : "true") + ")");
  return true;
}

void CefV8Value::GetKeys(std::vector<CefString>& keys) {
  keys.clear();
  for (auto& entry : properties_) keys.push_back(entry.first);
}

CefRefPtr<CefV8ArrayBufferReleaseCallback> CefV8Value::GetArrayBufferReleaseCallback() {
  V8ContextImpl* context = IsArrayBuffer() ? LiveContextOf(*this) : nullptr;
  const NativeTargets::Target* target = context ? context->Natives().Find(nativeId_) : nullptr;
  return target ? target->release : nullptr;
}

bool CefV8Value::NeuterArrayBuffer() {
  V8ContextImpl* context = IsArrayBuffer() ? LiveContextOf(*this) : nullptr;
  if (!context) return false;
  const auto reply =
      context->Browser()->EvaluateAndWait(context, "__cefcompat.neuter(" + std::to_string(handle_) + ")");
  if (!reply.ok || reply.result.contains("exceptionDetails")) {
    Log(LOGSEVERITY_WARNING, "NeuterArrayBuffer failed: the page's ArrayBuffer cannot be detached");
    return false;
  }
  byteLength_ = 0;
  bytes_.clear();
  bytesRead_ = true;
  context->Natives().ReleaseBuffer(nativeId_);
  return true;
}

size_t CefV8Value::GetArrayBufferByteLength() { return IsArrayBuffer() ? byteLength_ : 0; }

void* CefV8Value::GetArrayBufferData() {
  V8ContextImpl* context = IsArrayBuffer() ? LiveContextOf(*this) : nullptr;
  if (!context) return nullptr;
  const NativeTargets::Target* target = context->Natives().Find(nativeId_);
  if (target && target->buffer) return target->buffer;
  if (!bytesRead_ && !ArrayBufferTransfer::Read(context, handle_, byteLength_, &bytes_)) return nullptr;
  bytesRead_ = true;
  return bytes_.empty() ? nullptr : bytes_.data();
}

CefRefPtr<CefV8Handler> CefV8Value::GetFunctionHandler() {
  V8ContextImpl* context = IsFunction() ? LiveContextOf(*this) : nullptr;
  const NativeTargets::Target* target = context ? context->Natives().Find(nativeId_) : nullptr;
  return target ? target->handler : nullptr;
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunction(CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments) {
  return ExecuteFunctionWithContext(context_, object, arguments);
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                             CefRefPtr<CefV8Value> object,
                                                             const CefV8ValueList& arguments) {
  if (!IsFunction() || handle_ < 0 || !context_ || !context_->IsValid() || !context || !context->IsSame(context_)) {
    return nullptr;
  }
  auto* owner = static_cast<V8ContextImpl*>(context_.get());
  std::string args;
  for (const auto& argument : arguments) {
    args += (args.empty() ? "" : ", ") + (argument ? V8ValueCodec::ToExpression(argument, owner) : std::string("undefined"));
  }
  const std::string self = object ? V8ValueCodec::ToExpression(object, owner) : "undefined";
  // A throwing callback reports its error in the page, as an uncaught one would.
  owner->Post("(() => { const f = " + HandleExpression(handle_) + "; try { f.apply(" + self + ", [" + args +
              "]); } catch (e) { setTimeout(() => { throw e; }); } })()");
  return CreateUndefined();
}
