#include "base/value.h"

#include "base/binary_value.h"
#include "base/dictionary_value.h"
#include "base/list_value.h"
#include "base/log.h"

namespace cefcompat {

Value::Value(ValueItem item, bool readOnly) : item_(std::move(item)), readOnly_(readOnly) {}

std::optional<ValueItem> Value::Take(CefRefPtr<CefValue> value, const ValueNode* container) {
  auto* held = dynamic_cast<Value*>(value.get());
  if (!held) {
    Log(LOGSEVERITY_ERROR, "SetValue: the value is null");
    return std::nullopt;
  }
  return ValueItems::Adopt(held->item_, container);
}

bool Value::IsOwned() {
  const ValueNode* node = ValueItems::NodeOf(item_);
  return node && node->owner;
}

bool Value::IsSame(CefRefPtr<CefValue> that) {
  auto* other = dynamic_cast<Value*>(that.get());
  if (!other) return false;
  if (other == this) return true;
  const ValueNode* node = ValueItems::NodeOf(item_);
  return node && node == ValueItems::NodeOf(other->item_);
}

bool Value::IsEqual(CefRefPtr<CefValue> that) {
  auto* other = dynamic_cast<Value*>(that.get());
  return other && ValueItems::Equal(item_, other->item_);
}

CefRefPtr<CefValue> Value::Copy() { return new Value(ValueItems::Copy(item_), false); }

CefRefPtr<CefBinaryValue> Value::GetBinary() {
  auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&item_);
  return binary ? new BinaryValue(*binary, nullptr) : nullptr;
}

CefRefPtr<CefDictionaryValue> Value::GetDictionary() {
  auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item_);
  return dictionary ? new DictionaryValue(*dictionary, nullptr, readOnly_) : nullptr;
}

CefRefPtr<CefListValue> Value::GetList() {
  auto* list = std::get_if<std::shared_ptr<ListNode>>(&item_);
  return list ? new ListValue(*list, nullptr, readOnly_) : nullptr;
}

bool Value::SetBinary(CefRefPtr<CefBinaryValue> value) {
  auto* binary = dynamic_cast<BinaryValue*>(value.get());
  return binary && binary->IsValid() && Set(binary->SharedNode());
}

bool Value::SetDictionary(CefRefPtr<CefDictionaryValue> value) {
  auto* dictionary = dynamic_cast<DictionaryValue*>(value.get());
  return dictionary && dictionary->IsValid() && Set(dictionary->SharedNode());
}

bool Value::SetList(CefRefPtr<CefListValue> value) {
  auto* list = dynamic_cast<ListValue*>(value.get());
  return list && list->IsValid() && Set(list->SharedNode());
}

bool Value::Set(ValueItem item) {
  if (readOnly_) {
    Log(LOGSEVERITY_ERROR, "CefValue::Set: the value is read-only");
    return false;
  }
  item_ = std::move(item);
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefValue> CefValue::Create() { return new cefcompat::Value(std::monostate(), false); }
