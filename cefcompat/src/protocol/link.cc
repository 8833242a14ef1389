#include "protocol/link.h"

#include "base/list_value.h"
#include "base/log.h"
#include "base/process_message.h"
#include "protocol/value_codec.h"

namespace cefcompat {

// Link messages come from another process: any member may be missing or of
// another type, and none of that may throw.
std::string LinkString(const Json& link, const char* key) {
  const auto it = link.find(key);
  return it != link.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool EncodeProcessMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message, Json* out) {
  const std::string name = message->GetName().ToString();
  auto* arguments = dynamic_cast<ListValue*>(message->GetArgumentList().get());
  Json args = Json::array();
  std::string error;
  if (arguments && !ValueCodec::Encode(*arguments->SharedNode(), &args, &error)) {
    Log(LOGSEVERITY_ERROR, "process message '" + name + "' not sent: " + error);
    return false;
  }
  *out = {{"link", "message"}, {"frame", protocolFrameId}, {"name", name}, {"args", std::move(args)}};
  return true;
}

CefRefPtr<CefProcessMessage> DecodeProcessMessage(const Json& link) {
  const auto args = link.find("args");
  auto arguments = ValueCodec::Decode(args == link.end() ? Json() : *args);
  return ProcessMessage::Received(LinkString(link, "name"), std::move(arguments));
}

}  // namespace cefcompat
