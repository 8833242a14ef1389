#include "base/value_node.h"

namespace cefcompat {

namespace {

template <class Items>
void ReleaseAll(const Items& items, const ValueNode* owner) {
  for (const auto& entry : items) {
    if constexpr (std::is_same_v<typename Items::value_type, ValueItem>) {
      ValueItems::Release(entry, owner);
    } else {
      ValueItems::Release(entry.second, owner);
    }
  }
}

}  // namespace

// Data referred to from outside outlives its container: it is no one's then.
DictionaryNode::~DictionaryNode() { ReleaseAll(items, this); }
ListNode::~ListNode() { ReleaseAll(items, this); }

CefValueType ValueItems::TypeOf(const ValueItem& item) {
  static constexpr CefValueType kTypes[] = {VTYPE_NULL,   VTYPE_BOOL,   VTYPE_INT,        VTYPE_DOUBLE,
                                            VTYPE_STRING, VTYPE_BINARY, VTYPE_DICTIONARY, VTYPE_LIST};
  return kTypes[item.index()];
}

ValueNode* ValueItems::NodeOf(const ValueItem& item) {
  if (auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&item)) return binary->get();
  if (auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item)) return dictionary->get();
  if (auto* list = std::get_if<std::shared_ptr<ListNode>>(&item)) return list->get();
  return nullptr;
}

bool ValueItems::AsBool(const ValueItem* item) {
  if (!item) return false;
  if (auto* b = std::get_if<bool>(item)) return *b;
  if (auto* i = std::get_if<int>(item)) return *i != 0;
  return false;
}

int ValueItems::AsInt(const ValueItem* item) {
  if (!item) return 0;
  if (auto* i = std::get_if<int>(item)) return *i;
  if (auto* b = std::get_if<bool>(item)) return *b ? 1 : 0;
  return 0;
}

double ValueItems::AsDouble(const ValueItem* item) {
  if (!item) return 0;
  if (auto* d = std::get_if<double>(item)) return *d;
  if (auto* i = std::get_if<int>(item)) return *i;
  return 0;
}

CefString ValueItems::AsString(const ValueItem* item) {
  if (!item) return CefString();
  if (auto* s = std::get_if<CefString>(item)) return *s;
  return CefString();
}

ValueItem ValueItems::Copy(const ValueItem& item, bool excludeEmptyChildren) {
  if (auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&item)) {
    return std::make_shared<BinaryNode>((*binary)->bytes);
  }
  if (auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item)) {
    auto copy = std::make_shared<DictionaryNode>();
    for (const auto& [key, value] : (*dictionary)->items) {
      if (excludeEmptyChildren && IsEmptyContainer(value)) continue;
      Place(copy->items[key], Copy(value, excludeEmptyChildren), copy.get());
    }
    return copy;
  }
  if (auto* list = std::get_if<std::shared_ptr<ListNode>>(&item)) {
    auto copy = std::make_shared<ListNode>();
    copy->items.resize((*list)->items.size());
    for (size_t i = 0; i < copy->items.size(); ++i) Place(copy->items[i], Copy((*list)->items[i]), copy.get());
    return copy;
  }
  return item;
}

bool ValueItems::Equal(const ValueItem& a, const ValueItem& b) {
  if (a.index() != b.index()) return false;
  if (auto* binary = std::get_if<std::shared_ptr<BinaryNode>>(&a)) {
    return (*binary)->bytes == std::get<std::shared_ptr<BinaryNode>>(b)->bytes;
  }
  if (auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&a)) {
    const auto& left = (*dictionary)->items;
    const auto& right = std::get<std::shared_ptr<DictionaryNode>>(b)->items;
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](const auto& x, const auto& y) { return x.first == y.first && Equal(x.second, y.second); });
  }
  if (auto* list = std::get_if<std::shared_ptr<ListNode>>(&a)) {
    const auto& left = (*list)->items;
    const auto& right = std::get<std::shared_ptr<ListNode>>(b)->items;
    return left.size() == right.size() && std::equal(left.begin(), left.end(), right.begin(), Equal);
  }
  return a == b;
}

bool ValueItems::IsEmptyContainer(const ValueItem& item) {
  if (auto* dictionary = std::get_if<std::shared_ptr<DictionaryNode>>(&item)) return (*dictionary)->items.empty();
  if (auto* list = std::get_if<std::shared_ptr<ListNode>>(&item)) return (*list)->items.empty();
  return false;
}

void ValueItems::Place(ValueItem& slot, ValueItem item, const ValueNode* owner) {
  Release(slot, owner);
  slot = std::move(item);
  if (ValueNode* node = NodeOf(slot)) node->owner = owner;
}

void ValueItems::Release(const ValueItem& item, const ValueNode* owner) {
  ValueNode* node = NodeOf(item);
  if (node && node->owner == owner) node->owner = nullptr;
}

bool ValueItems::IsWithin(const ValueNode* node, const ValueNode* root) {
  for (; node; node = node->owner) {
    if (node == root) return true;
  }
  return false;
}

ValueItem ValueItems::Adopt(const ValueItem& item, const ValueNode* container) {
  const ValueNode* node = NodeOf(item);
  if (!node) return item;
  if (node->owner || IsWithin(container, node)) return Copy(item);
  return item;
}

}  // namespace cefcompat
