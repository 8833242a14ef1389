#include "render/extension.h"

#include <mutex>
#include <regex>

namespace cefcompat {

namespace {

std::mutex g_extensionsMutex;
std::vector<Extension>& Extensions() {
  static std::vector<Extension> extensions;
  return extensions;
}

}  // namespace

std::vector<Extension> RegisteredExtensions() {
  std::lock_guard<std::mutex> lock(g_extensionsMutex);
  return Extensions();
}

}  // namespace cefcompat

bool CefRegisterExtension(const CefString& extension_name, const CefString& javascript_code,
                          CefRefPtr<CefV8Handler> handler) {
  const std::string name = extension_name.ToString();
  if (name.empty()) return false;
  std::lock_guard<std::mutex> lock(cefcompat::g_extensionsMutex);
  auto& extensions = cefcompat::Extensions();
  for (const auto& extension : extensions) {
    if (extension.name == name) return false;
  }
  // `native function f(); // async` declares a function that answers later.
  static const std::regex kNative(R"(native\s+function\s+([A-Za-z_$][\w$]*)\s*\(([^)]*)\)\s*;([ \t]*//[ \t]*async\b)?)");
  cefcompat::Extension extension{name, std::string(), handler, {}};
  const std::string code = javascript_code.ToString();
  size_t copied = 0;
  for (auto it = std::sregex_iterator(code.begin(), code.end(), kNative); it != std::sregex_iterator(); ++it) {
    const std::smatch& native = *it;
    const std::string function = native[1].str();
    extension.natives.push_back(function);
    extension.code += code.substr(copied, native.position() - copied);
    extension.code += "function " + function + "(" + native[2].str() + ") { return __cefcompat." +
                      (native[3].matched ? "post" : "call") + "('" + function + "', this, arguments); }";
    copied = native.position() + native.length();
  }
  extension.code += code.substr(copied);
  extensions.push_back(std::move(extension));
  return true;
}
