#include "base/list_value.h"

#include "base/binary_value.h"
#include "base/dictionary_value.h"
#include "base/log.h"
#include "base/value.h"

namespace cefcompat {

ListValue::ListValue(std::shared_ptr<ListNode> node, const std::shared_ptr<const ValueNode>& parent, bool readOnly)
    : node_(std::move(node)), reference_(node_.get(), parent, readOnly) {}

std::optional<ValueItem> ListValue::Take(CefRefPtr<CefListValue> value, const ValueNode* container) {
  auto* list = dynamic_cast<ListValue*>(value.get());
  if (!list || !list->IsValid()) {
    Log(LOGSEVERITY_ERROR, "SetList: the value is null or no longer valid");
    return std::nullopt;
  }
  ValueItem item = ValueItems::Adopt(list->node_, container);
  if (ValueItems::NodeOf(item) == list->node_.get()) list->reference_.Detach();
  return item;
}

bool ListValue::IsSame(CefRefPtr<CefListValue> that) {
  auto* other = dynamic_cast<ListValue*>(that.get());
  return other && IsValid() && other->IsValid() && other->node_ == node_;
}

bool ListValue::IsEqual(CefRefPtr<CefListValue> that) {
  auto* other = dynamic_cast<ListValue*>(that.get());
  return other && IsValid() && other->IsValid() && ValueItems::Equal(node_, other->node_);
}

CefRefPtr<CefListValue> ListValue::Copy() {
  if (!IsValid()) return nullptr;
  return new ListValue(std::get<std::shared_ptr<ListNode>>(ValueItems::Copy(node_)), nullptr, false);
}

bool ListValue::SetSize(size_t size) {
  if (!reference_.CanChange("CefListValue::SetSize")) return false;
  for (size_t i = size; i < node_->items.size(); ++i) ValueItems::Release(node_->items[i], node_.get());
  node_->items.resize(size);
  return true;
}

size_t ListValue::GetSize() { return IsValid() ? node_->items.size() : 0; }

bool ListValue::Clear() { return SetSize(0); }

bool ListValue::Remove(size_t index) {
  if (!reference_.CanChange("CefListValue::Remove") || index >= node_->items.size()) return false;
  ValueItems::Release(node_->items[index], node_.get());
  node_->items.erase(node_->items.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

CefValueType ListValue::GetType(size_t index) {
  const ValueItem* item = Slot(index);
  return item ? ValueItems::TypeOf(*item) : VTYPE_INVALID;
}

CefRefPtr<CefValue> ListValue::GetValue(size_t index) {
  const ValueItem* item = Slot(index);
  return item ? new Value(*item, IsReadOnly()) : nullptr;
}

CefRefPtr<CefBinaryValue> ListValue::GetBinary(size_t index) {
  const ValueItem* item = Slot(index);
  auto* binary = item ? std::get_if<std::shared_ptr<BinaryNode>>(item) : nullptr;
  return binary ? new BinaryValue(*binary, node_) : nullptr;
}

CefRefPtr<CefDictionaryValue> ListValue::GetDictionary(size_t index) {
  const ValueItem* item = Slot(index);
  auto* dictionary = item ? std::get_if<std::shared_ptr<DictionaryNode>>(item) : nullptr;
  return dictionary ? new DictionaryValue(*dictionary, node_, IsReadOnly()) : nullptr;
}

CefRefPtr<CefListValue> ListValue::GetList(size_t index) {
  const ValueItem* item = Slot(index);
  auto* list = item ? std::get_if<std::shared_ptr<ListNode>>(item) : nullptr;
  return list ? new ListValue(*list, node_, IsReadOnly()) : nullptr;
}

bool ListValue::SetValue(size_t index, CefRefPtr<CefValue> value) {
  if (!reference_.CanChange("CefListValue::SetValue")) return false;
  return Put(index, Value::Take(value, node_.get()));
}

bool ListValue::SetBinary(size_t index, CefRefPtr<CefBinaryValue> value) {
  if (!reference_.CanChange("CefListValue::SetBinary")) return false;
  return Put(index, BinaryValue::Take(value, node_.get()));
}

bool ListValue::SetDictionary(size_t index, CefRefPtr<CefDictionaryValue> value) {
  if (!reference_.CanChange("CefListValue::SetDictionary")) return false;
  return Put(index, DictionaryValue::Take(value, node_.get()));
}

bool ListValue::SetList(size_t index, CefRefPtr<CefListValue> value) {
  if (!reference_.CanChange("CefListValue::SetList")) return false;
  return Put(index, Take(value, node_.get()));
}

const ValueItem* ListValue::Slot(size_t index) {
  if (!IsValid() || index >= node_->items.size()) return nullptr;
  return &node_->items[index];
}

bool ListValue::Put(size_t index, std::optional<ValueItem> item) {
  if (!item || !reference_.CanChange("CefListValue::Set")) return false;
  if (index >= node_->items.size()) node_->items.resize(index + 1);
  ValueItems::Place(node_->items[index], std::move(*item), node_.get());
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefListValue> CefListValue::Create() {
  return new cefcompat::ListValue(std::make_shared<cefcompat::ListNode>(), nullptr, false);
}
