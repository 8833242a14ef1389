#pragma once

#include <exception>
#include <memory>
#include <string>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "base/VellError.h"

class VellNlohmannJsonEnhance {
 public:
  VellNlohmannJsonEnhance() = delete;

  // Parses strJson (no comments) and converts it to T with the library's
  // conversion for T. On failure sets `error` and returns a default T.
  template <class T>
  static T Parse(const std::string& strJson, std::shared_ptr<VellError>& error) {
    try {
      return nlohmann::json::parse(strJson, nullptr, true, false).get<T>();
    } catch (const nlohmann::json::parse_error& e) {
      error = std::make_shared<VellError>(
          fmt::format("JSON parse error: {} at byte position {}, strJson = {}", e.what(), e.byte, strJson),
          __FILE__, __LINE__, "VellNlohmannJsonEnhance::Parse");
    } catch (const std::exception& e) {
      error = std::make_shared<VellError>(fmt::format("JSON parse error: {}, strJson = {}", e.what(), strJson),
                                          __FILE__, __LINE__, "VellNlohmannJsonEnhance::Parse");
    }
    return T();
  }
};
