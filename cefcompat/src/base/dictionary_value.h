#pragma once

#include <optional>

#include "base/value_reference.h"

namespace cefcompat {

// CefDictionaryValue over a DictionaryNode, of its own or a view into a container.
class DictionaryValue : public CefDictionaryValue {
 public:
  DictionaryValue(std::shared_ptr<DictionaryNode> node, const std::shared_ptr<const ValueNode>& parent, bool readOnly);

  // See BinaryValue::Take.
  static std::optional<ValueItem> Take(CefRefPtr<CefDictionaryValue> value, const ValueNode* container);

  // The data itself, for a CefValue that refers to it and for the message codec.
  const std::shared_ptr<DictionaryNode>& SharedNode() const { return node_; }

  bool IsValid() override { return reference_.IsValid(); }
  bool IsOwned() override { return reference_.IsOwned(); }
  bool IsReadOnly() override { return reference_.IsReadOnly(); }
  bool IsSame(CefRefPtr<CefDictionaryValue> that) override;
  bool IsEqual(CefRefPtr<CefDictionaryValue> that) override;
  CefRefPtr<CefDictionaryValue> Copy(bool exclude_empty_children) override;
  size_t GetSize() override;
  bool Clear() override;
  bool HasKey(const CefString& key) override { return Slot(key) != nullptr; }
  bool GetKeys(KeyList& keys) override;
  bool Remove(const CefString& key) override;
  CefValueType GetType(const CefString& key) override;
  CefRefPtr<CefValue> GetValue(const CefString& key) override;
  bool GetBool(const CefString& key) override { return ValueItems::AsBool(Slot(key)); }
  int GetInt(const CefString& key) override { return ValueItems::AsInt(Slot(key)); }
  double GetDouble(const CefString& key) override { return ValueItems::AsDouble(Slot(key)); }
  CefString GetString(const CefString& key) override { return ValueItems::AsString(Slot(key)); }
  CefRefPtr<CefBinaryValue> GetBinary(const CefString& key) override;
  CefRefPtr<CefDictionaryValue> GetDictionary(const CefString& key) override;
  CefRefPtr<CefListValue> GetList(const CefString& key) override;
  bool SetValue(const CefString& key, CefRefPtr<CefValue> value) override;
  bool SetNull(const CefString& key) override { return Put(key, std::monostate()); }
  bool SetBool(const CefString& key, bool value) override { return Put(key, value); }
  bool SetInt(const CefString& key, int value) override { return Put(key, value); }
  bool SetDouble(const CefString& key, double value) override { return Put(key, value); }
  bool SetString(const CefString& key, const CefString& value) override { return Put(key, value); }
  bool SetBinary(const CefString& key, CefRefPtr<CefBinaryValue> value) override;
  bool SetDictionary(const CefString& key, CefRefPtr<CefDictionaryValue> value) override;
  bool SetList(const CefString& key, CefRefPtr<CefListValue> value) override;

 private:
  // Null for a missing key or when the dictionary is invalid.
  const ValueItem* Slot(const CefString& key);
  bool Put(const CefString& key, std::optional<ValueItem> item);

  std::shared_ptr<DictionaryNode> node_;
  ValueReference reference_;
  IMPLEMENT_REFCOUNTING(DictionaryValue);
};

}  // namespace cefcompat
