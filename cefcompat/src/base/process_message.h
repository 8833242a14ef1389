#pragma once

#include <memory>

#include "base/value_node.h"
#include "include/cef_process_message.h"

namespace cefcompat {

class ProcessMessage : public CefProcessMessage {
 public:
  // A message as it arrives from the other process: read-only.
  static CefRefPtr<CefProcessMessage> Received(const CefString& name, std::shared_ptr<ListNode> arguments);

  ProcessMessage(const CefString& name, std::shared_ptr<ListNode> arguments, bool readOnly);

  bool IsValid() override { return true; }
  bool IsReadOnly() override { return readOnly_; }
  CefRefPtr<CefProcessMessage> Copy() override;
  CefString GetName() override { return name_; }
  CefRefPtr<CefListValue> GetArgumentList() override { return arguments_; }

 private:
  const CefString name_;
  const bool readOnly_;
  CefRefPtr<CefListValue> arguments_;
  IMPLEMENT_REFCOUNTING(ProcessMessage);
};

}  // namespace cefcompat
