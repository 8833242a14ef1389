#include "link.h"

namespace cefcompat {

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
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(link.value("name", std::string()));
  auto list = message->GetArgumentList();
  const Json args = link.value("args", Json::array());
  list->SetSize(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string type = args[i].value("t", std::string("n"));
    const Json& value = args[i].contains("v") ? args[i]["v"] : Json();
    if (type == "b" && value.is_boolean()) list->SetBool(i, value.get<bool>());
    else if (type == "i" && value.is_number_integer()) list->SetInt(i, value.get<int>());
    else if (type == "d" && value.is_number()) list->SetDouble(i, value.get<double>());
    else if (type == "s" && value.is_string()) list->SetString(i, value.get<std::string>());
    else list->SetNull(i);
  }
  return message;
}

}  // namespace cefcompat
