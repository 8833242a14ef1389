#pragma once
// Reading the head of a request to the loopback stream server: which
// published stream it names and which bytes of it the client wants. Pure
// functions of the request's text, so any bytes a local client sends are safe.

#include <string>

#include "include/internal/cef_types.h"

namespace cefcompat {

// The bytes [from, to] of a stream; `partial` is false when the whole stream goes.
struct ByteRange {
  bool partial = false;
  int64 from = 0;
  int64 to = -1;
};

// The path of the request line without its leading "/" ("GET /abc HTTP/1.1"
// names "abc"); empty when the head has no such line.
std::string StreamToken(const std::string& head);

// The value of header `name` (any case) in `head`, trimmed; empty when it has none.
std::string HeaderValue(const std::string& head, const std::string& name);

// The first range of a "Range: bytes=" header (the name in any case) within a
// stream of `length` bytes. A missing, malformed or unsatisfiable range, or
// an unknown length (below 1), means the whole stream.
ByteRange RequestedRange(const std::string& head, int64 length);

}  // namespace cefcompat
