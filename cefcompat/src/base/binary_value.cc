#include "base/binary_value.h"

#include <cstring>

#include "base/log.h"

namespace cefcompat {

BinaryValue::BinaryValue(std::shared_ptr<BinaryNode> node, const std::shared_ptr<const ValueNode>& parent)
    : node_(std::move(node)), reference_(node_.get(), parent, true) {}

std::optional<ValueItem> BinaryValue::Take(CefRefPtr<CefBinaryValue> value, const ValueNode* container) {
  auto* binary = dynamic_cast<BinaryValue*>(value.get());
  if (!binary || !binary->IsValid()) {
    Log(LOGSEVERITY_ERROR, "SetBinary: the value is null or no longer valid");
    return std::nullopt;
  }
  ValueItem item = ValueItems::Adopt(binary->node_, container);
  if (ValueItems::NodeOf(item) == binary->node_.get()) binary->reference_.Detach();
  return item;
}

bool BinaryValue::IsSame(CefRefPtr<CefBinaryValue> that) {
  auto* other = dynamic_cast<BinaryValue*>(that.get());
  return other && IsValid() && other->IsValid() && other->node_ == node_;
}

bool BinaryValue::IsEqual(CefRefPtr<CefBinaryValue> that) {
  auto* other = dynamic_cast<BinaryValue*>(that.get());
  return other && IsValid() && other->IsValid() && other->node_->bytes == node_->bytes;
}

CefRefPtr<CefBinaryValue> BinaryValue::Copy() {
  if (!IsValid()) return nullptr;
  return new BinaryValue(std::make_shared<BinaryNode>(node_->bytes), nullptr);
}

size_t BinaryValue::GetSize() { return IsValid() ? node_->bytes.size() : 0; }

size_t BinaryValue::GetData(void* buffer, size_t buffer_size, size_t data_offset) {
  if (!IsValid() || !buffer || data_offset >= node_->bytes.size()) return 0;
  const size_t count = std::min(buffer_size, node_->bytes.size() - data_offset);
  memcpy(buffer, node_->bytes.data() + data_offset, count);
  return count;
}

}  // namespace cefcompat

CefRefPtr<CefBinaryValue> CefBinaryValue::Create(const void* data, size_t data_size) {
  if (!data || data_size == 0) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefBinaryValue::Create: no data");
    return nullptr;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  auto node = std::make_shared<cefcompat::BinaryNode>(std::vector<uint8_t>(bytes, bytes + data_size));
  return new cefcompat::BinaryValue(std::move(node), nullptr);
}
