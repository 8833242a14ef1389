#include "base/dictionary_value.h"

#include "base/binary_value.h"
#include "base/list_value.h"
#include "base/log.h"
#include "base/value.h"

namespace cefcompat {

DictionaryValue::DictionaryValue(std::shared_ptr<DictionaryNode> node, const std::shared_ptr<const ValueNode>& parent,
                                 bool readOnly)
    : node_(std::move(node)), reference_(node_.get(), parent, readOnly) {}

std::optional<ValueItem> DictionaryValue::Take(CefRefPtr<CefDictionaryValue> value, const ValueNode* container) {
  auto* dictionary = dynamic_cast<DictionaryValue*>(value.get());
  if (!dictionary || !dictionary->IsValid()) {
    Log(LOGSEVERITY_ERROR, "SetDictionary: the value is null or no longer valid");
    return std::nullopt;
  }
  ValueItem item = ValueItems::Adopt(dictionary->node_, container);
  if (ValueItems::NodeOf(item) == dictionary->node_.get()) dictionary->reference_.Detach();
  return item;
}

bool DictionaryValue::IsSame(CefRefPtr<CefDictionaryValue> that) {
  auto* other = dynamic_cast<DictionaryValue*>(that.get());
  return other && IsValid() && other->IsValid() && other->node_ == node_;
}

bool DictionaryValue::IsEqual(CefRefPtr<CefDictionaryValue> that) {
  auto* other = dynamic_cast<DictionaryValue*>(that.get());
  return other && IsValid() && other->IsValid() && ValueItems::Equal(node_, other->node_);
}

CefRefPtr<CefDictionaryValue> DictionaryValue::Copy(bool exclude_empty_children) {
  if (!IsValid()) return nullptr;
  auto copy = std::get<std::shared_ptr<DictionaryNode>>(ValueItems::Copy(node_, exclude_empty_children));
  return new DictionaryValue(std::move(copy), nullptr, false);
}

size_t DictionaryValue::GetSize() { return IsValid() ? node_->items.size() : 0; }

bool DictionaryValue::Clear() {
  if (!reference_.CanChange("CefDictionaryValue::Clear")) return false;
  for (const auto& entry : node_->items) ValueItems::Release(entry.second, node_.get());
  node_->items.clear();
  return true;
}

bool DictionaryValue::GetKeys(KeyList& keys) {
  if (!IsValid()) return false;
  for (const auto& entry : node_->items) keys.push_back(CefString(entry.first));
  return true;
}

bool DictionaryValue::Remove(const CefString& key) {
  if (!reference_.CanChange("CefDictionaryValue::Remove")) return false;
  const auto it = node_->items.find(key.ToString());
  if (it == node_->items.end()) return false;
  ValueItems::Release(it->second, node_.get());
  node_->items.erase(it);
  return true;
}

CefValueType DictionaryValue::GetType(const CefString& key) {
  const ValueItem* item = Slot(key);
  return item ? ValueItems::TypeOf(*item) : VTYPE_INVALID;
}

CefRefPtr<CefValue> DictionaryValue::GetValue(const CefString& key) {
  const ValueItem* item = Slot(key);
  return item ? new Value(*item, IsReadOnly()) : nullptr;
}

CefRefPtr<CefBinaryValue> DictionaryValue::GetBinary(const CefString& key) {
  const ValueItem* item = Slot(key);
  auto* binary = item ? std::get_if<std::shared_ptr<BinaryNode>>(item) : nullptr;
  return binary ? new BinaryValue(*binary, node_) : nullptr;
}

CefRefPtr<CefDictionaryValue> DictionaryValue::GetDictionary(const CefString& key) {
  const ValueItem* item = Slot(key);
  auto* dictionary = item ? std::get_if<std::shared_ptr<DictionaryNode>>(item) : nullptr;
  return dictionary ? new DictionaryValue(*dictionary, node_, IsReadOnly()) : nullptr;
}

CefRefPtr<CefListValue> DictionaryValue::GetList(const CefString& key) {
  const ValueItem* item = Slot(key);
  auto* list = item ? std::get_if<std::shared_ptr<ListNode>>(item) : nullptr;
  return list ? new ListValue(*list, node_, IsReadOnly()) : nullptr;
}

bool DictionaryValue::SetValue(const CefString& key, CefRefPtr<CefValue> value) {
  if (!reference_.CanChange("CefDictionaryValue::SetValue")) return false;
  return Put(key, Value::Take(value, node_.get()));
}

bool DictionaryValue::SetBinary(const CefString& key, CefRefPtr<CefBinaryValue> value) {
  if (!reference_.CanChange("CefDictionaryValue::SetBinary")) return false;
  return Put(key, BinaryValue::Take(value, node_.get()));
}

bool DictionaryValue::SetDictionary(const CefString& key, CefRefPtr<CefDictionaryValue> value) {
  if (!reference_.CanChange("CefDictionaryValue::SetDictionary")) return false;
  return Put(key, Take(value, node_.get()));
}

bool DictionaryValue::SetList(const CefString& key, CefRefPtr<CefListValue> value) {
  if (!reference_.CanChange("CefDictionaryValue::SetList")) return false;
  return Put(key, ListValue::Take(value, node_.get()));
}

const ValueItem* DictionaryValue::Slot(const CefString& key) {
  if (!IsValid()) return nullptr;
  const auto it = node_->items.find(key.ToString());
  return it == node_->items.end() ? nullptr : &it->second;
}

bool DictionaryValue::Put(const CefString& key, std::optional<ValueItem> item) {
  if (!item || !reference_.CanChange("CefDictionaryValue::Set")) return false;
  ValueItems::Place(node_->items[key.ToString()], std::move(*item), node_.get());
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefDictionaryValue> CefDictionaryValue::Create() {
  return new cefcompat::DictionaryValue(std::make_shared<cefcompat::DictionaryNode>(), nullptr, false);
}
