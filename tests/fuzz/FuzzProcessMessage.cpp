// Process messages as they cross between the browser and a render process:
// link text -> message. Whatever a peer writes decodes without fault, and a
// decoded message crosses again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "protocol/link.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string Wire(const cefcompat::Json& link) {
  return link.dump(-1, ' ', false, cefcompat::Json::error_handler_t::replace);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto link = cefcompat::Json::parse(data, data + size, nullptr, false);
  if (link.is_discarded()) return 0;
  // What the receivers read: the kind, the frame, then the message.
  if (cefcompat::LinkString(link, "link") == "message") Require(cefcompat::LinkString(link, "frame").size() <= size);
  CefRefPtr<CefProcessMessage> message = cefcompat::DecodeProcessMessage(link);
  // A decoded message is within the limits it is sent under.
  cefcompat::Json encoded;
  Require(cefcompat::EncodeProcessMessage("frame", message, &encoded));
  const std::string once = Wire(encoded);
  cefcompat::Json reencoded;
  Require(cefcompat::EncodeProcessMessage("frame", cefcompat::DecodeProcessMessage(cefcompat::Json::parse(once)), &reencoded));
  Require(Wire(reencoded) == once);
  return 0;
}
