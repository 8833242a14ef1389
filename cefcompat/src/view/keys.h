#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "include/internal/cef_types.h"

class QKeyEvent;

namespace cefcompat {

// Windows virtual-key code of a Qt key (0 when it has none).
int WindowsKeyCodeFromQtKey(int qtKey);
// CEF modifier flags of a Qt key or mouse event's modifiers.
uint32 CefModifiersFromQt(int qtModifiers);
// The Input.dispatchKeyEvent parameters for a CEF key event.
nlohmann::json KeyEventToProtocol(const CefKeyEvent& event);
// The protocol's modifier bits (Alt 1, Ctrl 2, Meta 4, Shift 8).
int ProtocolModifiers(uint32 cefModifiers);

}  // namespace cefcompat
