#include "host/DemoJsonCheck.h"

QString DemoJsonCheck::Fields(const nlohmann::json& object, const QString& where,
                              std::initializer_list<Field> fields) {
  if (!object.is_object()) return QString("%1 should be an object, not %2").arg(where, _NameOf(object));
  for (const Field& field : fields) {
    const auto it = object.find(field.key);
    if (it == object.end()) return QString("%1 has no \"%2\" (%3)").arg(where, field.key, _Name(field.kind));
    if (!_Is(*it, field.kind)) {
      return QString("%1: \"%2\" should be %3, not %4").arg(where, field.key, _Name(field.kind), _NameOf(*it));
    }
  }
  return {};
}

QString DemoJsonCheck::Value(const nlohmann::json& value, const QString& where, Kind kind) {
  if (_Is(value, kind)) return {};
  return QString("%1 should be %2, not %3").arg(where, _Name(kind), _NameOf(value));
}

bool DemoJsonCheck::_Is(const nlohmann::json& value, Kind kind) {
  switch (kind) {
    case Kind::String:
      return value.is_string();
    case Kind::Integer:
      return value.is_number_integer();
    case Kind::Number:
      return value.is_number();
    case Kind::Boolean:
      return value.is_boolean();
    case Kind::Array:
      return value.is_array();
    case Kind::Object:
      return value.is_object();
  }
  return false;
}

QString DemoJsonCheck::_Name(Kind kind) {
  switch (kind) {
    case Kind::String:
      return "a string";
    case Kind::Integer:
      return "a whole number";
    case Kind::Number:
      return "a number";
    case Kind::Boolean:
      return "true or false";
    case Kind::Array:
      return "a list";
    case Kind::Object:
      return "an object";
  }
  return {};
}

QString DemoJsonCheck::_NameOf(const nlohmann::json& value) {
  if (value.is_string()) return "a string";
  if (value.is_number_integer()) return "a whole number";
  if (value.is_number()) return "a number";
  if (value.is_boolean()) return "true or false";
  if (value.is_array()) return "a list";
  if (value.is_object()) return "an object";
  return "null";
}
