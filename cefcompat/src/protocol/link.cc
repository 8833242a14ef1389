#include "protocol/link.h"

#include <limits>

namespace cefcompat {

// Link messages come from another process: any member may be missing or of
// another type, and none of that may throw.
std::string LinkString(const Json& link, const char* key) {
  const auto it = link.find(key);
  return it != link.end() && it->is_string() ? it->get<std::string>() : std::string();
}

namespace {

bool FitsInt(const Json& value) {
  if (value.is_number_unsigned()) return value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int>::max());
  if (!value.is_number_integer()) return false;
  const int64_t number = value.get<int64_t>();
  return number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
}

// One argument {"t": type, "v": value}; anything else is null.
void SetArgument(CefRefPtr<CefListValue> list, size_t index, const Json& argument) {
  const std::string type = LinkString(argument, "t");
  const auto found = argument.find("v");
  const Json value = found == argument.end() ? Json() : *found;
  if (type == "b" && value.is_boolean()) {
    list->SetBool(index, value.get<bool>());
  } else if (type == "i" && FitsInt(value)) {
    list->SetInt(index, value.get<int>());
  } else if (type == "d" && value.is_number()) {
    list->SetDouble(index, value.get<double>());
  } else if (type == "s" && value.is_string()) {
    list->SetString(index, value.get<std::string>());
  } else {
    list->SetNull(index);
  }
}

}  // namespace

Json EncodeProcessMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message) {
  Json args = Json::array();
  auto list = message->GetArgumentList();
  for (size_t i = 0; i < list->GetSize(); ++i) {
    switch (list->GetType(i)) {
      case VTYPE_BOOL:
        args.push_back({{"t", "b"}, {"v", list->GetBool(i)}});
        break;
      case VTYPE_INT:
        args.push_back({{"t", "i"}, {"v", list->GetInt(i)}});
        break;
      case VTYPE_DOUBLE:
        args.push_back({{"t", "d"}, {"v", list->GetDouble(i)}});
        break;
      case VTYPE_STRING:
        args.push_back({{"t", "s"}, {"v", list->GetString(i).ToString()}});
        break;
      default:
        args.push_back({{"t", "n"}});
        break;
    }
  }
  return {{"link", "message"}, {"frame", protocolFrameId}, {"name", message->GetName().ToString()}, {"args", args}};
}

CefRefPtr<CefProcessMessage> DecodeProcessMessage(const Json& link) {
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(LinkString(link, "name"));
  const auto args = link.find("args");
  if (args == link.end() || !args->is_array()) return message;
  auto list = message->GetArgumentList();
  list->SetSize(args->size());
  for (size_t i = 0; i < args->size(); ++i) SetArgument(list, i, (*args)[i]);
  return message;
}

}  // namespace cefcompat
