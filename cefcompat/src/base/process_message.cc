#include "base/process_message.h"

#include "base/list_value.h"

namespace cefcompat {

CefRefPtr<CefProcessMessage> ProcessMessage::Received(const CefString& name, std::shared_ptr<ListNode> arguments) {
  return new ProcessMessage(name, std::move(arguments), true);
}

ProcessMessage::ProcessMessage(const CefString& name, std::shared_ptr<ListNode> arguments, bool readOnly)
    : name_(name), readOnly_(readOnly), arguments_(new ListValue(std::move(arguments), nullptr, readOnly)) {}

CefRefPtr<CefProcessMessage> ProcessMessage::Copy() {
  auto* arguments = static_cast<ListValue*>(arguments_.get());
  auto copy = std::get<std::shared_ptr<ListNode>>(ValueItems::Copy(arguments->SharedNode()));
  return new ProcessMessage(name_, std::move(copy), false);
}

}  // namespace cefcompat

CefRefPtr<CefProcessMessage> CefProcessMessage::Create(const CefString& name) {
  return new cefcompat::ProcessMessage(name, std::make_shared<cefcompat::ListNode>(), false);
}
