#include "base/value_reference.h"

#include "base/log.h"

namespace cefcompat {

ValueReference::ValueReference(const ValueNode* node, const std::shared_ptr<const ValueNode>& parent, bool readOnly)
    : node_(node), parent_(parent), viewed_(parent != nullptr), readOnly_(readOnly) {}

bool ValueReference::IsValid() const {
  if (detached_) return false;
  if (!viewed_) return true;
  const auto parent = parent_.lock();
  return parent && node_->owner == parent.get();
}

bool ValueReference::CanChange(const char* function) const {
  if (!IsValid()) return false;
  if (!readOnly_) return true;
  Log(LOGSEVERITY_ERROR, std::string(function) + ": the value is read-only");
  return false;
}

}  // namespace cefcompat
