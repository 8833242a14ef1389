#include "include/cef_process_message.h"
#include "include/cef_request_context.h"
#include "include/cef_values.h"
#include "include/cef_context_menu_handler.h"
#include "include/cef_drag_data.h"

CefRefPtr<CefListValue> CefListValue::Create() { return new CefListValue(); }

CefRefPtr<CefListValue> CefListValue::Copy() {
  CefRefPtr<CefListValue> copy = Create();
  copy->values_ = values_;
  return copy;
}

bool CefListValue::SetSize(size_t size) {
  values_.resize(size);
  return true;
}

bool CefListValue::Clear() {
  values_.clear();
  return true;
}

bool CefListValue::Remove(size_t index) {
  if (index >= values_.size()) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

CefValueType CefListValue::GetType(size_t index) {
  if (index >= values_.size()) return VTYPE_INVALID;
  switch (values_[index].index()) {
    case 0:
      return VTYPE_NULL;
    case 1:
      return VTYPE_BOOL;
    case 2:
      return VTYPE_INT;
    case 3:
      return VTYPE_DOUBLE;
    default:
      return VTYPE_STRING;
  }
}

// Getters follow CEF: a value of another type reads as the type's zero, except
// that an int reads as a double and a bool as an int.
bool CefListValue::GetBool(size_t index) {
  if (index >= values_.size()) return false;
  if (auto* b = std::get_if<bool>(&values_[index])) return *b;
  if (auto* i = std::get_if<int>(&values_[index])) return *i != 0;
  return false;
}

int CefListValue::GetInt(size_t index) {
  if (index >= values_.size()) return 0;
  if (auto* i = std::get_if<int>(&values_[index])) return *i;
  if (auto* b = std::get_if<bool>(&values_[index])) return *b ? 1 : 0;
  return 0;
}

double CefListValue::GetDouble(size_t index) {
  if (index >= values_.size()) return 0;
  if (auto* d = std::get_if<double>(&values_[index])) return *d;
  if (auto* i = std::get_if<int>(&values_[index])) return *i;
  return 0;
}

CefString CefListValue::GetString(size_t index) {
  if (index >= values_.size()) return CefString();
  if (auto* s = std::get_if<CefString>(&values_[index])) return *s;
  return CefString();
}

bool CefListValue::Set(size_t index, Value value) {
  if (index >= values_.size()) values_.resize(index + 1);
  values_[index] = std::move(value);
  return true;
}

bool CefListValue::SetNull(size_t index) { return Set(index, std::monostate()); }
bool CefListValue::SetBool(size_t index, bool value) { return Set(index, value); }
bool CefListValue::SetInt(size_t index, int value) { return Set(index, value); }
bool CefListValue::SetDouble(size_t index, double value) { return Set(index, value); }
bool CefListValue::SetString(size_t index, const CefString& value) { return Set(index, value); }

CefRefPtr<CefDictionaryValue> CefDictionaryValue::Create() { return new CefDictionaryValue(); }

CefString CefDictionaryValue::GetString(const CefString& key) {
  auto it = values_.find(key);
  return it == values_.end() ? CefString() : it->second;
}

bool CefDictionaryValue::SetString(const CefString& key, const CefString& value) {
  values_[key] = value;
  return true;
}

CefProcessMessage::CefProcessMessage(const CefString& name) : name_(name), arguments_(CefListValue::Create()) {}

CefRefPtr<CefProcessMessage> CefProcessMessage::Create(const CefString& name) { return new CefProcessMessage(name); }

CefRefPtr<CefProcessMessage> CefProcessMessage::Copy() {
  CefRefPtr<CefProcessMessage> copy = Create(name_);
  copy->arguments_ = arguments_->Copy();
  return copy;
}

CefRefPtr<CefRequestContext> CefRequestContext::GetGlobalContext() {
  static CefRefPtr<CefRequestContext> global(new CefRequestContext());
  return global;
}

CefRefPtr<CefMenuModel> CefMenuModel::Create() { return new CefMenuModel(); }
CefRefPtr<CefDragData> CefDragData::Create() { return new CefDragData(); }
