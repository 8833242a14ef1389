#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cefcompat {

class V8ContextImpl;

// The bytes of ArrayBuffers between the native side and a page, as base64
// in pieces of kPieceBytes: the protocol takes many small messages far
// faster than one large one. TID_RENDERER.
class ArrayBufferTransfer {
 public:
  static constexpr size_t kMaxBytes = size_t{64} << 20;
  // 256 KB of base64 a piece.
  static constexpr size_t kPieceBytes = size_t{3} << 16;

  // False, with a log line naming the limit, when `length` is over kMaxBytes.
  static bool WithinLimit(const std::string& what, size_t length);
  // Posts `length` bytes at `data` to the context, then makes of them the
  // page's ArrayBuffer known by `id`.
  static void Send(V8ContextImpl* context, int64_t id, const void* data, size_t length);
  // Reads `length` bytes of the page's ArrayBuffer `handle` into `out`;
  // false, with the reason logged, when it cannot.
  static bool Read(V8ContextImpl* context, int64_t handle, size_t length, std::string* out);
};

}  // namespace cefcompat
