#pragma once

#include <cmath>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Reads one required key of a request model, strictly: a missing key or a
// value of the wrong JSON type throws the JSON library's own error, which
// the parse turns into "#ParseValue2JsonError". Numbers accept any JSON
// number or a boolean, truncated toward zero; one outside the field's range
// is refused rather than wrapped. Strings and booleans accept only their own
// type. Keys a model does not name are never read.
class VellJsonFieldReader {
 public:
  VellJsonFieldReader() = delete;

  static void Read(const nlohmann::json& json, const char* key, std::string& out) {
    out = json.at(key).get<std::string>();
  }
  static void Read(const nlohmann::json& json, const char* key, bool& out) { out = json.at(key).get<bool>(); }
  static void Read(const nlohmann::json& json, const char* key, nlohmann::json& out) { out = json.at(key); }
  static void Read(const nlohmann::json& json, const char* key, int& out) { out = ToNumber<int>(json.at(key), key); }
  static void Read(const nlohmann::json& json, const char* key, int64_t& out) {
    out = ToNumber<int64_t>(json.at(key), key);
  }
  static void Read(const nlohmann::json& json, const char* key, double& out) {
    out = ToNumber<double>(json.at(key), key);
  }
  // A JSON object whose values are all strings.
  static void Read(const nlohmann::json& json, const char* key, std::map<std::string, std::string>& out) {
    const nlohmann::json& object = json.at(key);
    if (!object.is_object()) {
      WrongType("object", object, key);
    }
    out.clear();
    for (const auto& [name, value] : object.items()) out[name] = value.get<std::string>();
  }

  // A JSON array whose elements each convert to T (strictly, through T's from_json).
  template <class T>
  static void Read(const nlohmann::json& json, const char* key, std::vector<T>& out) {
    const nlohmann::json& array = json.at(key);
    if (!array.is_array()) {
      WrongType("array", array, key);
    }
    out.clear();
    for (const auto& element : array) out.push_back(element.get<T>());
  }

  template <class T>
  static T ToNumber(const nlohmann::json& value, const char* key) {
    if (value.is_boolean()) return static_cast<T>(value.get<bool>() ? 1 : 0);
    if (!value.is_number()) {
      WrongType("number", value, key);
    }
    if constexpr (std::is_floating_point_v<T>) {
      return value.get<T>();
    } else {
      return ToInteger<T>(value, key);
    }
  }

 private:
  template <class T>
  static T ToInteger(const nlohmann::json& value, const char* key) {
    if (value.is_number_unsigned()) {
      const auto number = value.get<uint64_t>();
      if (number > static_cast<uint64_t>(std::numeric_limits<T>::max())) OutOfRange(value, key);
      return static_cast<T>(number);
    }
    if (value.is_number_integer()) {
      const auto number = value.get<int64_t>();
      if (number < std::numeric_limits<T>::min() || number > std::numeric_limits<T>::max()) OutOfRange(value, key);
      return static_cast<T>(number);
    }
    const double truncated = std::trunc(value.get<double>());
    // The upper bound is exclusive: max() + 1 is exact as a double, max() may not be.
    if (!(truncated >= static_cast<double>(std::numeric_limits<T>::min()) &&
          truncated < -2.0 * static_cast<double>(std::numeric_limits<T>::min() / 2))) {
      OutOfRange(value, key);
    }
    return static_cast<T>(truncated);
  }

  [[noreturn]] static void WrongType(const char* expected, const nlohmann::json& value, const char* key) {
    throw nlohmann::json::type_error::create(
        302, std::string("type must be ") + expected + ", but is " + value.type_name() + " (key \"" + key + "\")",
        &value);
  }

  [[noreturn]] static void OutOfRange(const nlohmann::json& value, const char* key) {
    throw nlohmann::json::out_of_range::create(406, "number " + value.dump() + " does not fit (key \"" + key + "\")",
                                               &value);
  }
};
