#include <cstdint>

#include "include/cef_v8.h"
#include "render/page_script.h"
#include "render/v8_context_impl.h"
#include "render/v8_value_codec.h"

using cefcompat::JsString;
using cefcompat::V8ContextImpl;
using cefcompat::V8ValueCodec;

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
CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefBaseRefCounted>, CefRefPtr<CefBaseRefCounted>) {
  return new CefV8Value(Kind::Object);
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
  if (handle_ >= 0) return that->handle_ == handle_ && context_ && that->context_ && context_->IsSame(that->context_);
  return that.get() == this;
}

bool CefV8Value::HasValue(const CefString& key) { return properties_.count(key) > 0; }

CefRefPtr<CefV8Value> CefV8Value::GetValue(const CefString& key) {
  const auto it = properties_.find(key);
  return it == properties_.end() ? CreateUndefined() : it->second;
}

bool CefV8Value::SetValue(const CefString& key, CefRefPtr<CefV8Value> value, cef_v8_propertyattribute_t attribute) {
  if (!IsObject() || !value) return false;
  properties_[key] = value;
  if (handle_ < 0 || !context_ || !context_->IsValid()) return true;
  auto* context = static_cast<V8ContextImpl*>(context_.get());
  const std::string target = "__cefcompat.handles.get(" + std::to_string(handle_) + ")";
  const std::string expression = V8ValueCodec::ToExpression(value, context);
  context->Evaluate("Object.defineProperty(" + target + ", " + JsString(key.ToString()) + ", {value: " + expression +
                    ", writable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_READONLY) ? "false" : "true") +
                    ", enumerable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM) ? "false" : "true") +
                    ", configurable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE) ? "false" : "true") + "})");
  return true;
}

void CefV8Value::GetKeys(std::vector<CefString>& keys) {
  keys.clear();
  for (auto& entry : properties_) keys.push_back(entry.first);
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
  owner->Post("(() => { const f = __cefcompat.handles.get(" + std::to_string(handle_) +
              "); try { f.apply(" + self + ", [" + args + "]); } catch (e) { setTimeout(() => { throw e; }); } })()");
  return CreateUndefined();
}
