#pragma once

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "base/VellError.h"

class VellNlohmannJsonEnhance {
 public:
  VellNlohmannJsonEnhance() = delete;

  // Deeper JSON is refused: copying and destroying a value recurses per level,
  // so a page could otherwise exhaust a thread's stack with "[[[[...".
  static constexpr int kMaxDepth = 512;

  // Parses strJson (no comments, at most kMaxDepth levels) and converts it to
  // T with the library's conversion for T. On failure sets `error` and
  // returns a default T.
  template <class T>
  static T Parse(const std::string& strJson, std::shared_ptr<VellError>& error) {
    nlohmann::json parsed;
    try {
      const auto limitDepth = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
        if (depth > kMaxDepth) throw std::length_error("nesting deeper than " + std::to_string(kMaxDepth) + " levels");
        return true;
      };
      parsed = nlohmann::json::parse(strJson, limitDepth, true, false);
    } catch (const nlohmann::json::parse_error& e) {
      error = std::make_shared<VellError>(
          fmt::format("JSON parse error: {} at byte position {}, strJson = {}", e.what(), e.byte, strJson),
          __FILE__, __LINE__, "VellNlohmannJsonEnhance::Parse");
      return T();
    } catch (const std::exception& e) {
      error = _ConversionError(e, strJson, "VellNlohmannJsonEnhance::Parse");
      return T();
    }
    return _Convert<T>(parsed, strJson, error, "VellNlohmannJsonEnhance::Parse");
  }

  // Converts an already parsed value to T, failing as Parse does; strJson is
  // the text it came from, for the error.
  template <class T>
  static T Convert(const nlohmann::json& value, const std::string& strJson, std::shared_ptr<VellError>& error) {
    return _Convert<T>(value, strJson, error, "VellNlohmannJsonEnhance::Convert");
  }

 private:
  template <class T>
  static T _Convert(const nlohmann::json& value, const std::string& strJson, std::shared_ptr<VellError>& error,
                    const char* functionName) {
    try {
      return value.get<T>();
    } catch (const std::exception& e) {
      error = _ConversionError(e, strJson, functionName);
    }
    return T();
  }

  static std::shared_ptr<VellError> _ConversionError(const std::exception& e, const std::string& strJson,
                                                     const char* functionName) {
    return std::make_shared<VellError>(fmt::format("JSON parse error: {}, strJson = {}", e.what(), strJson), __FILE__,
                                       __LINE__, functionName);
  }
};
