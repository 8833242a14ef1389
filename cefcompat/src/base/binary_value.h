#pragma once

#include <optional>

#include "base/value_reference.h"

namespace cefcompat {

// CefBinaryValue: bytes that never change once made.
class BinaryValue : public CefBinaryValue {
 public:
  BinaryValue(std::shared_ptr<BinaryNode> node, const std::shared_ptr<const ValueNode>& parent);

  // The item to store when `value` is set into `container` (see ValueItems::Adopt);
  // nothing when `value` is null or invalid.
  static std::optional<ValueItem> Take(CefRefPtr<CefBinaryValue> value, const ValueNode* container);

  // The data itself, for a CefValue that refers to it and for the message codec.
  const std::shared_ptr<BinaryNode>& SharedNode() const { return node_; }

  bool IsValid() override { return reference_.IsValid(); }
  bool IsOwned() override { return reference_.IsOwned(); }
  bool IsSame(CefRefPtr<CefBinaryValue> that) override;
  bool IsEqual(CefRefPtr<CefBinaryValue> that) override;
  CefRefPtr<CefBinaryValue> Copy() override;
  size_t GetSize() override;
  size_t GetData(void* buffer, size_t buffer_size, size_t data_offset) override;

 private:
  std::shared_ptr<BinaryNode> node_;
  ValueReference reference_;
  IMPLEMENT_REFCOUNTING(BinaryValue);
};

}  // namespace cefcompat
