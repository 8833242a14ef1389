#pragma once

#include <optional>

#include "base/value_reference.h"

namespace cefcompat {

// CefListValue over a ListNode, of its own or a view into a container.
class ListValue : public CefListValue {
 public:
  ListValue(std::shared_ptr<ListNode> node, const std::shared_ptr<const ValueNode>& parent, bool readOnly);

  // See BinaryValue::Take.
  static std::optional<ValueItem> Take(CefRefPtr<CefListValue> value, const ValueNode* container);

  // The data itself, for a CefValue that refers to it and for the message codec.
  const std::shared_ptr<ListNode>& SharedNode() const { return node_; }

  bool IsValid() override { return reference_.IsValid(); }
  bool IsOwned() override { return reference_.IsOwned(); }
  bool IsReadOnly() override { return reference_.IsReadOnly(); }
  bool IsSame(CefRefPtr<CefListValue> that) override;
  bool IsEqual(CefRefPtr<CefListValue> that) override;
  CefRefPtr<CefListValue> Copy() override;
  bool SetSize(size_t size) override;
  size_t GetSize() override;
  bool Clear() override;
  bool Remove(size_t index) override;
  CefValueType GetType(size_t index) override;
  CefRefPtr<CefValue> GetValue(size_t index) override;
  bool GetBool(size_t index) override { return ValueItems::AsBool(Slot(index)); }
  int GetInt(size_t index) override { return ValueItems::AsInt(Slot(index)); }
  double GetDouble(size_t index) override { return ValueItems::AsDouble(Slot(index)); }
  CefString GetString(size_t index) override { return ValueItems::AsString(Slot(index)); }
  CefRefPtr<CefBinaryValue> GetBinary(size_t index) override;
  CefRefPtr<CefDictionaryValue> GetDictionary(size_t index) override;
  CefRefPtr<CefListValue> GetList(size_t index) override;
  bool SetValue(size_t index, CefRefPtr<CefValue> value) override;
  bool SetNull(size_t index) override { return Put(index, std::monostate()); }
  bool SetBool(size_t index, bool value) override { return Put(index, value); }
  bool SetInt(size_t index, int value) override { return Put(index, value); }
  bool SetDouble(size_t index, double value) override { return Put(index, value); }
  bool SetString(size_t index, const CefString& value) override { return Put(index, value); }
  bool SetBinary(size_t index, CefRefPtr<CefBinaryValue> value) override;
  bool SetDictionary(size_t index, CefRefPtr<CefDictionaryValue> value) override;
  bool SetList(size_t index, CefRefPtr<CefListValue> value) override;

 private:
  // Null past the end or when the list is invalid.
  const ValueItem* Slot(size_t index);
  bool Put(size_t index, std::optional<ValueItem> item);

  std::shared_ptr<ListNode> node_;
  ValueReference reference_;
  IMPLEMENT_REFCOUNTING(ListValue);
};

}  // namespace cefcompat
