// The loopback stream server's reading of a request head: the first eight
// bytes are the stream's length, the rest the head a client sent.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "network/stream_request.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int64 length = -1;
  if (size >= sizeof(length)) {
    std::memcpy(&length, data, sizeof(length));
    data += sizeof(length);
    size -= sizeof(length);
  }
  const std::string head(reinterpret_cast<const char*>(data), size);
  const std::string token = cefcompat::StreamToken(head);
  Require(token.find_first_of(" \r\n") == std::string::npos);
  const cefcompat::ByteRange range = cefcompat::RequestedRange(head, length);
  if (!range.partial) return 0;
  Require(length > 0);
  Require(range.from >= 0 && range.from <= range.to && range.to < length);
  return 0;
}
