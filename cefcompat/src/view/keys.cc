#include "view/keys.h"

#include <map>

#include <Qt>

#include "include/internal/cef_string.h"

namespace cefcompat {

int WindowsKeyCodeFromQtKey(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 0x41 + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x30 + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  static const std::map<int, int> kCodes = {
      {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},       {Qt::Key_Backtab, 0x09},   {Qt::Key_Return, 0x0D},
      {Qt::Key_Enter, 0x0D},     {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},
      {Qt::Key_Pause, 0x13},     {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},    {Qt::Key_Space, 0x20},
      {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},
      {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},
      {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},    {Qt::Key_Meta, 0x5B},
      {Qt::Key_Menu, 0x5D},      {Qt::Key_NumLock, 0x90},   {Qt::Key_ScrollLock, 0x91}, {Qt::Key_Semicolon, 0xBA},
      {Qt::Key_Colon, 0xBA},     {Qt::Key_Equal, 0xBB},     {Qt::Key_Plus, 0xBB},      {Qt::Key_Comma, 0xBC},
      {Qt::Key_Less, 0xBC},      {Qt::Key_Minus, 0xBD},     {Qt::Key_Underscore, 0xBD}, {Qt::Key_Period, 0xBE},
      {Qt::Key_Greater, 0xBE},   {Qt::Key_Slash, 0xBF},     {Qt::Key_Question, 0xBF},  {Qt::Key_QuoteLeft, 0xC0},
      {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_Backslash, 0xDC},
      {Qt::Key_Bar, 0xDC},       {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE},
      {Qt::Key_QuoteDbl, 0xDE},
  };
  const auto it = kCodes.find(qtKey);
  return it == kCodes.end() ? 0 : it->second;
}

uint32 CefModifiersFromQt(int qtModifiers) {
  uint32 flags = 0;
  if (qtModifiers & Qt::ShiftModifier) flags |= EVENTFLAG_SHIFT_DOWN;
  if (qtModifiers & Qt::ControlModifier) flags |= EVENTFLAG_CONTROL_DOWN;
  if (qtModifiers & Qt::AltModifier) flags |= EVENTFLAG_ALT_DOWN;
  if (qtModifiers & Qt::MetaModifier) flags |= EVENTFLAG_COMMAND_DOWN;
  if (qtModifiers & Qt::KeypadModifier) flags |= EVENTFLAG_IS_KEY_PAD;
  return flags;
}

int ProtocolModifiers(uint32 cefModifiers) {
  int bits = 0;
  if (cefModifiers & EVENTFLAG_ALT_DOWN) bits |= 1;
  if (cefModifiers & EVENTFLAG_CONTROL_DOWN) bits |= 2;
  if (cefModifiers & EVENTFLAG_COMMAND_DOWN) bits |= 4;
  if (cefModifiers & EVENTFLAG_SHIFT_DOWN) bits |= 8;
  return bits;
}

namespace {

// DOM `key` and `code` values for keys whose names are not their text.
struct KeyNames {
  const char* key;
  const char* code;
};

bool NamedKey(int vk, KeyNames& names) {
  static const std::map<int, KeyNames> kNames = {
      {0x08, {"Backspace", "Backspace"}}, {0x09, {"Tab", "Tab"}},           {0x0D, {"Enter", "Enter"}},
      {0x10, {"Shift", "ShiftLeft"}},     {0x11, {"Control", "ControlLeft"}}, {0x12, {"Alt", "AltLeft"}},
      {0x1B, {"Escape", "Escape"}},       {0x20, {" ", "Space"}},           {0x21, {"PageUp", "PageUp"}},
      {0x22, {"PageDown", "PageDown"}},   {0x23, {"End", "End"}},           {0x24, {"Home", "Home"}},
      {0x25, {"ArrowLeft", "ArrowLeft"}}, {0x26, {"ArrowUp", "ArrowUp"}},   {0x27, {"ArrowRight", "ArrowRight"}},
      {0x28, {"ArrowDown", "ArrowDown"}}, {0x2D, {"Insert", "Insert"}},     {0x2E, {"Delete", "Delete"}},
  };
  const auto it = kNames.find(vk);
  if (it == kNames.end()) return false;
  names = it->second;
  return true;
}

}  // namespace

nlohmann::json KeyEventToProtocol(const CefKeyEvent& event) {
  static const char* kTypes[] = {"rawKeyDown", "keyDown", "keyUp", "char"};
  nlohmann::json params = {{"type", kTypes[event.type]},
                           {"modifiers", ProtocolModifiers(event.modifiers)},
                           {"windowsVirtualKeyCode", event.windows_key_code}};
  // nativeVirtualKeyCode and isSystemKey stay unset: with them Chromium runs
  // its own window accelerators (Alt+F4 closes the whole browser), which an
  // embedded browser never has.
  const int vk = event.windows_key_code;
  KeyNames names{};
  if (NamedKey(vk, names)) {
    params["key"] = names.key;
    params["code"] = names.code;
  } else if (vk >= 0x70 && vk <= 0x87) {
    const std::string f = "F" + std::to_string(vk - 0x6F);
    params["key"] = f;
    params["code"] = f;
  } else if ((vk >= 0x41 && vk <= 0x5A) || (vk >= 0x30 && vk <= 0x39)) {
    const char c = static_cast<char>(vk);
    params["code"] = vk >= 0x41 ? std::string("Key") + c : std::string("Digit") + c;
    const char16 typed = event.unmodified_character ? event.unmodified_character : event.character;
    params["key"] = typed ? CefString(std::u16string(1, typed)).ToString() : std::string(1, vk >= 0x41 ? c + 32 : c);
  }
  if (event.type == KEYEVENT_CHAR && event.character) {
    const std::string text = CefString(std::u16string(1, event.character)).ToString();
    params["text"] = text;
    params["unmodifiedText"] = text;
  }
  return params;
}

}  // namespace cefcompat
