#pragma once

#include <memory>

#include "base/value_node.h"

namespace cefcompat {

// What a CefBinaryValue, CefDictionaryValue or CefListValue knows of the data
// it refers to: whether it is the data's own object or a view into a
// container, whether it may change it, and whether it still refers to it.
class ValueReference {
 public:
  // A value of its own when `parent` is null, else a view into that container.
  ValueReference(const ValueNode* node, const std::shared_ptr<const ValueNode>& parent, bool readOnly);

  // A view is valid while its container lives and still holds the data; a
  // value of its own until its data has been moved into a container.
  bool IsValid() const;
  bool IsOwned() const { return IsValid() && node_->owner; }
  bool IsReadOnly() const { return readOnly_; }
  // Valid and not read-only; a read-only value logs the refused change.
  bool CanChange(const char* function) const;
  // The data now belongs to a container: this reference no longer works.
  void Detach() { detached_ = true; }

 private:
  const ValueNode* node_;  // kept alive by the value object holding this
  std::weak_ptr<const ValueNode> parent_;
  bool viewed_;
  bool readOnly_;
  bool detached_ = false;
};

}  // namespace cefcompat
