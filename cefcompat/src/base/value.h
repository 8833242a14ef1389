#pragma once

#include <optional>

#include "base/value_node.h"

namespace cefcompat {

// CefValue: one item, whose binary, dictionary or list data it shares with
// whatever else refers to that data.
class Value : public CefValue {
 public:
  Value(ValueItem item, bool readOnly);

  // The item to store when `value` is set into `container`: simple values
  // copied, complex data shared when no one owns it (see ValueItems::Adopt).
  static std::optional<ValueItem> Take(CefRefPtr<CefValue> value, const ValueNode* container);

  bool IsValid() override { return true; }
  bool IsOwned() override;
  bool IsReadOnly() override { return readOnly_; }
  bool IsSame(CefRefPtr<CefValue> that) override;
  bool IsEqual(CefRefPtr<CefValue> that) override;
  CefRefPtr<CefValue> Copy() override;
  CefValueType GetType() override { return ValueItems::TypeOf(item_); }
  bool GetBool() override { return ValueItems::AsBool(&item_); }
  int GetInt() override { return ValueItems::AsInt(&item_); }
  double GetDouble() override { return ValueItems::AsDouble(&item_); }
  CefString GetString() override { return ValueItems::AsString(&item_); }
  CefRefPtr<CefBinaryValue> GetBinary() override;
  CefRefPtr<CefDictionaryValue> GetDictionary() override;
  CefRefPtr<CefListValue> GetList() override;
  bool SetNull() override { return Set(std::monostate()); }
  bool SetBool(bool value) override { return Set(value); }
  bool SetInt(int value) override { return Set(value); }
  bool SetDouble(double value) override { return Set(value); }
  bool SetString(const CefString& value) override { return Set(value); }
  bool SetBinary(CefRefPtr<CefBinaryValue> value) override;
  bool SetDictionary(CefRefPtr<CefDictionaryValue> value) override;
  bool SetList(CefRefPtr<CefListValue> value) override;

 private:
  bool Set(ValueItem item);

  ValueItem item_;
  const bool readOnly_;
  IMPLEMENT_REFCOUNTING(Value);
};

}  // namespace cefcompat
