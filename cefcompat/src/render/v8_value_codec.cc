#include "render/v8_value_codec.h"

#include <cmath>
#include <cstdint>

#include "render/v8_context_impl.h"

namespace cefcompat {

namespace {

CefV8Value::Kind DescribedKind(const std::string& described) {
  if (described == "f") return CefV8Value::Kind::Function;
  if (described == "a") return CefV8Value::Kind::Array;
  if (described == "ab") return CefV8Value::Kind::ArrayBuffer;
  return CefV8Value::Kind::Object;
}

}  // namespace

CefRefPtr<CefV8Value> V8ValueCodec::FromDescription(const Json& d, CefRefPtr<V8ContextImpl> context) {
  const std::string type = d.value("t", std::string("u"));
  if (type == "n") return CefV8Value::CreateNull();
  if (type == "b") return CefV8Value::CreateBool(d.value("v", false));
  if (type == "i") return CefV8Value::CreateInt(d.value("v", 0));
  if (type == "d") return CefV8Value::CreateDouble(d["v"].is_number() ? d["v"].get<double>() : std::nan(""));
  if (type == "s") return CefV8Value::CreateString(d.value("v", std::string()));
  if (type == "f" || type == "o" || type == "a" || type == "ab") {
    CefRefPtr<CefV8Value> value(new CefV8Value(DescribedKind(type)));
    value->BindHandle(context.get(), d.value("h", static_cast<int64_t>(-1)));
    value->nativeId_ = d.value("m", int64_t{0});
    if (type == "f") value->functionName_ = d.value("n", std::string());
    if (type == "ab") value->byteLength_ = d.value("n", size_t{0});
    const Json properties = d.value("p", Json::object());
    for (const auto& [key, property] : properties.items()) {
      value->properties_[key] = FromDescription(property, context);
    }
    return value;
  }
  return CefV8Value::CreateUndefined();
}

CefRefPtr<CefV8Value> V8ValueCodec::FromValue(const Json& value) {
  if (value.is_null()) return CefV8Value::CreateNull();
  if (value.is_boolean()) return CefV8Value::CreateBool(value.get<bool>());
  if (value.is_number_integer() && value.get<int64_t>() >= INT32_MIN && value.get<int64_t>() <= INT32_MAX) {
    return CefV8Value::CreateInt(value.get<int>());
  }
  if (value.is_number()) return CefV8Value::CreateDouble(value.get<double>());
  if (value.is_string()) return CefV8Value::CreateString(value.get<std::string>());
  CefRefPtr<CefV8Value> object(new CefV8Value(value.is_array() ? CefV8Value::Kind::Array : CefV8Value::Kind::Object));
  for (const auto& [key, property] : value.items()) object->properties_[key] = FromValue(property);
  return object;
}

std::string V8ValueCodec::ToExpression(CefRefPtr<CefV8Value> value, V8ContextImpl* context) {
  switch (value->GetKind()) {
    case CefV8Value::Kind::Null:
      return "null";
    case CefV8Value::Kind::Bool:
      return value->GetBoolValue() ? "true" : "false";
    case CefV8Value::Kind::Int:
      return std::to_string(value->GetIntValue());
    case CefV8Value::Kind::Double: {
      const double d = value->GetDoubleValue();
      return std::isnan(d) ? "NaN" : std::isinf(d) ? (d > 0 ? "Infinity" : "-Infinity") : Json(d).dump();
    }
    case CefV8Value::Kind::String:
      return JsString(value->GetStringValue().ToString());
    case CefV8Value::Kind::Object:
    case CefV8Value::Kind::Array:
    case CefV8Value::Kind::Function:
    case CefV8Value::Kind::ArrayBuffer: {
      auto* owner = static_cast<V8ContextImpl*>(value->HandleContext().get());
      if (value->Handle() >= 0) {
        return owner && owner->IsSame(context) ? "__cefcompat.handles.get(" + std::to_string(value->Handle()) + ")"
                                               : "undefined";
      }
      std::string object = "{";
      for (auto& [key, property] : value->properties_) {
        object += JsString(key.ToString()) + ": " + ToExpression(property, context) + ",";
      }
      return object + "}";
    }
    default:
      return "undefined";
  }
}

}  // namespace cefcompat
