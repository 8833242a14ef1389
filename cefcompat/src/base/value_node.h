#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "include/cef_values.h"

namespace cefcompat {

struct BinaryNode;
struct DictionaryNode;
struct ListNode;

// One value as the containers keep it. Complex values are nodes shared with
// the CefBinaryValue/CefDictionaryValue/CefListValue objects that refer to
// them, so that changes through a reference reach the container.
using ValueItem = std::variant<std::monostate, bool, int, double, CefString, std::shared_ptr<BinaryNode>,
                               std::shared_ptr<DictionaryNode>, std::shared_ptr<ListNode>>;

// The data behind a complex value. `owner` is the container node holding it
// (null for a value of its own); a node has at most one owner, never itself
// or one of its descendants, so the data is always a tree.
struct ValueNode {
  const ValueNode* owner = nullptr;
};

struct BinaryNode : ValueNode {
  explicit BinaryNode(std::vector<uint8_t> data) : bytes(std::move(data)) {}
  const std::vector<uint8_t> bytes;  // binary values never change
};

struct DictionaryNode : ValueNode {
  ~DictionaryNode();
  // Keys in UTF-8, in Chromium's order.
  std::map<std::string, ValueItem> items;
};

struct ListNode : ValueNode {
  ~ListNode();
  std::vector<ValueItem> items;
};

// What the containers and CefValue share about items. Not thread-safe: a value
// tree is used by one thread at a time, as in CEF.
class ValueItems {
 public:
  static CefValueType TypeOf(const ValueItem& item);
  // The complex value's node; null for a simple value.
  static ValueNode* NodeOf(const ValueItem& item);
  // CEF's reading rules: a value of another type reads as the type's zero,
  // except that an int reads as a bool or a double and a bool as an int.
  static bool AsBool(const ValueItem* item);
  static int AsInt(const ValueItem* item);
  static double AsDouble(const ValueItem* item);
  static CefString AsString(const ValueItem* item);

  // A deep copy, whose nodes are owned by no one.
  static ValueItem Copy(const ValueItem& item, bool excludeEmptyChildren = false);
  static bool Equal(const ValueItem& a, const ValueItem& b);
  static bool IsEmptyContainer(const ValueItem& item);

  // Puts `item` into `slot` of the container node `owner`: the old value's node
  // is let go, the new one's becomes owned.
  static void Place(ValueItem& slot, ValueItem item, const ValueNode* owner);
  // Lets go of the node of the item in a slot of `owner` (removed, or cleared).
  static void Release(const ValueItem& item, const ValueNode* owner);
  // True when `node` is `root` or lies inside it.
  static bool IsWithin(const ValueNode* node, const ValueNode* root);
  // The value to store when `item` (from a CefValue or another container) is
  // set into `container`: the node itself when no one owns it and it does not
  // hold the container, otherwise a copy.
  static ValueItem Adopt(const ValueItem& item, const ValueNode* container);
};

}  // namespace cefcompat
