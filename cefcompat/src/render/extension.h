#pragma once

#include <string>
#include <vector>

#include "include/cef_v8.h"

namespace cefcompat {

// A registered extension: its code and the handler of its native functions.
struct Extension {
  std::string name;
  std::string code;  // with each native declaration rewritten into a stub
  CefRefPtr<CefV8Handler> handler;
  std::vector<std::string> natives;
};
std::vector<Extension> RegisteredExtensions();

}  // namespace cefcompat
