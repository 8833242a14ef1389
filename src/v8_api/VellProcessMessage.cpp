#include "v8_api/VellProcessMessage.h"

#include "base/VellLoggerAgent.h"
#include "utils/VellBrowserHelper.h"
#include "utils/VellVarHelper.h"
#include "v8_api/VellV8SdkApiResponser.h"

namespace {

std::string StringProperty(CefRefPtr<CefV8Value> object, const char* key) {
  if (!object) return {};
  CefRefPtr<CefV8Value> value = object->GetValue(key);
  return value && value->IsString() ? value->GetStringValue().ToString() : std::string();
}

}  // namespace

std::string VellProcessMessage::GetHost() const { return StringProperty(m_pExtra, "host"); }
std::string VellProcessMessage::GetHostname() const { return StringProperty(m_pExtra, "hostname"); }

bool VellProcessMessage::IsMessageNameValid() const { return VellVarHelper::IsActionNameValid(m_strMessageName); }

void VellProcessMessage::ConvertToArgumentList(const VellProcessMessage& record, CefRefPtr<CefProcessMessage>& out) {
  out = CefProcessMessage::Create(record.m_strMessageName);
  CefRefPtr<CefListValue> arguments = out->GetArgumentList();
  arguments->SetSize(7);
  arguments->SetInt(0, record.m_nRequestId);
  arguments->SetString(1, record.m_strErrorCode);
  arguments->SetString(2, record.m_strErrorMessage);
  arguments->SetString(3, record.m_strValue);
  arguments->SetBool(4, record.m_bIsBroadcast);
  arguments->SetString(5, record.m_strBroadcastJsCode);
  arguments->SetString(6, record.m_strResponseValue);
}

void VellProcessMessage::ConvertToVellProcessMessage(CefRefPtr<CefProcessMessage> message, VellProcessMessage& out) {
  CefRefPtr<CefListValue> arguments = message->GetArgumentList();
  out.m_strMessageName = message->GetName().ToString();
  out.m_nRequestId = arguments->GetInt(0);
  out.m_strErrorCode = arguments->GetString(1).ToString();
  out.m_strErrorMessage = arguments->GetString(2).ToString();
  out.m_strValue = arguments->GetString(3).ToString();
  out.m_bIsBroadcast = arguments->GetBool(4);
  out.m_strBroadcastJsCode = arguments->GetString(5).ToString();
  out.m_strResponseValue = arguments->GetString(6).ToString();
}

namespace {
// After the record's seven arguments.
constexpr size_t kCallerUrlArgument = 7;
constexpr size_t kCallerIdArgument = 8;
}  // namespace

void VellProcessMessage::SetCaller(CefRefPtr<CefProcessMessage> message, CefRefPtr<CefFrame> caller) {
  CefRefPtr<CefListValue> arguments = message->GetArgumentList();
  arguments->SetString(kCallerUrlArgument, caller ? caller->GetURL() : CefString());
  arguments->SetString(kCallerIdArgument, caller ? std::to_string(caller->GetIdentifier()) : std::string());
}

std::string VellProcessMessage::GetCallerUrl(CefRefPtr<CefProcessMessage> message) {
  return message->GetArgumentList()->GetString(kCallerUrlArgument).ToString();
}

std::string VellProcessMessage::GetCallerId(CefRefPtr<CefProcessMessage> message) {
  return message->GetArgumentList()->GetString(kCallerIdArgument).ToString();
}

void VellProcessMessage::SendProcessMessage(cef_process_id_t target, CefRefPtr<CefFrame> frame) const {
  if (!frame || !frame->IsValid()) {
    VellLog(2, "Frame is destroyed. SendProcessMessage will stop");
    return;
  }
  CefRefPtr<CefProcessMessage> message;
  ConvertToArgumentList(*this, message);
  frame->SendProcessMessage(target, message);
}

bool VellProcessMessage::HandleReceivedProcessMessage(CefRefPtr<CefProcessMessage> message,
                                                      const std::vector<CefRefPtr<CefFrame>>& frames) {
  VellProcessMessage record;
  ConvertToVellProcessMessage(message, record);
  if (record.IsBroadcast()) {
    for (const auto& frame : frames) {
      if (frame && frame->IsValid()) VellBrowserHelper::ExecuteJavaScript(frame, record.GetBroadcastJsCode(), true);
    }
  }
  VellV8SdkApiResponser::Response(record);
  return true;
}
