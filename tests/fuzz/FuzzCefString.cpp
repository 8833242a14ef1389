// CefString between UTF-8, UTF-16 and wide text: any bytes convert without
// fault, and what a conversion gives back converts to itself again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "include/internal/cef_string.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::u16string Units(const uint8_t* data, size_t size) {
  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string utf8 = CefString(std::string(reinterpret_cast<const char*>(data), size)).ToString();
  Require(CefString(utf8).ToString() == utf8);

  const CefString fromUnits(Units(data, size));
  const std::string text = fromUnits.ToString();
  Require(CefString(text).ToString() == text);
  Require(CefString(CefString(text).ToString16()).ToString() == text);

  const std::wstring wide = fromUnits.ToWString();
  Require(CefString(wide).ToString() == text);
  return 0;
}
