#pragma once
// Process messages' arguments as link JSON: each value {"t": type, "v": value},
// with "n" null, "b" bool, "i" int, "d" double (a number, or "nan", "inf",
// "-inf"), "s" string, "x" binary (base64), "o" dictionary (an object of
// values) and "l" list (an array of values).

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "base/value_node.h"

namespace cefcompat {

using Json = nlohmann::json;

class ValueCodec {
 public:
  // Dictionaries and lists nested inside the argument list, at most.
  static constexpr size_t kMaxDepth = 64;
  // The encoded arguments, at most: well under the link's own limit on a
  // message (PipeTransport::kMaxMessageBytes), binary data counted as base64.
  static constexpr size_t kMaxEncodedBytes = 64u * 1024u * 1024u;

  // False, with the reason in `error`, when the arguments exceed a limit.
  static bool Encode(const ListNode& arguments, Json* out, std::string* error);
  // Values that are malformed, or nested deeper than kMaxDepth, read as null.
  static std::shared_ptr<ListNode> Decode(const Json& arguments);
};

}  // namespace cefcompat
