#pragma once
// What the render side's native code and the script it runs in every page
// share: the binding the page calls native functions through, and strings
// written as script literals.

#include <string>

#include <nlohmann/json.hpp>

namespace cefcompat {

using Json = nlohmann::json;

constexpr char kBinding[] = "__cefcompatNative";

// `text` as a JavaScript string literal; invalid UTF-8 in it becomes U+FFFD.
inline std::string JsString(const std::string& text) {
  return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace cefcompat
