#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "base/VellError.h"
#include "include/cef_frame.h"
#include "include/cef_process_message.h"
#include "include/cef_v8.h"
#include "utils/VellNlohmannJsonEnhance.h"

// The record that crosses between a page's render process and the browser
// process: an SDK call going out, its answer or a broadcast coming back. On
// the wire it is a process message named after the action with seven
// positional arguments; the V8 handles never leave the render process.
class VellProcessMessage {
 public:
  VellProcessMessage() = default;

  std::string GetMessageName() const { return m_strMessageName; }
  void SetMessageName(const std::string& name) { m_strMessageName = name; }
  int GetRequestId() const { return m_nRequestId; }
  void SetRequestId(int requestId) { m_nRequestId = requestId; }
  std::string GetErrorCode() const { return m_strErrorCode; }
  void SetErrorCode(const std::string& code) { m_strErrorCode = code; }
  std::string GetErrorMessage() const { return m_strErrorMessage; }
  void SetErrorMessage(const std::string& message) { m_strErrorMessage = message; }
  void SetErrorMessage(const QString& message) { m_strErrorMessage = message.toStdString(); }
  void SetErrorMessage(const char* message) { m_strErrorMessage = message ? message : ""; }
  std::string GetValue() const { return m_strValue; }
  void SetValue(const std::string& value) { m_strValue = value; }
  std::string GetResponseValue() const { return m_strResponseValue; }
  void SetResponseValue(const std::string& value) { m_strResponseValue = value; }
  bool IsBroadcast() const { return m_bIsBroadcast; }
  void SetIsBroadcast(bool broadcast) { m_bIsBroadcast = broadcast; }
  std::string GetBroadcastJsCode() const { return m_strBroadcastJsCode; }
  void SetBroadcastJsCode(const std::string& code) { m_strBroadcastJsCode = code; }
  CefRefPtr<CefV8Value> GetSuccessCallback() const { return m_pSuccessCallback; }
  void SetSuccessCallback(CefRefPtr<CefV8Value> callback) { m_pSuccessCallback = callback; }
  CefRefPtr<CefV8Value> GetErrorCallback() const { return m_pErrorCallback; }
  void SetErrorCallback(CefRefPtr<CefV8Value> callback) { m_pErrorCallback = callback; }
  CefRefPtr<CefV8Value> GetExtra() const { return m_pExtra; }
  void SetExtra(CefRefPtr<CefV8Value> extra) { m_pExtra = extra; }
  // The "host" / "hostname" of the calling page (render process); empty without extra.
  std::string GetHost() const;
  std::string GetHostname() const;

  bool IsMessageNameValid() const;
  bool IsRequestIdValid() const { return m_nRequestId != -1; }
  bool IsValueValid() const { return true; }
  bool IsHostValid() const { return true; }
  bool IsHostnameValid() const { return true; }
  bool IsSuccessCallbackValid() const { return m_pSuccessCallback && m_pSuccessCallback->IsFunction(); }
  bool IsErrorCallbackValid() const { return m_pErrorCallback && m_pErrorCallback->IsFunction(); }
  bool IsValid() const { return IsMessageNameValid() && IsSuccessCallbackValid() && IsErrorCallbackValid(); }

  static void ConvertToArgumentList(const VellProcessMessage& record, CefRefPtr<CefProcessMessage>& out);
  // A request's calling frame, after the record's own arguments: its URL as
  // the render process knows it (the frame's, not what the page says) and
  // its identifier, for the launcher's origin allowlist. Requests travel
  // through the main frame, so the browser process cannot tell the caller by
  // the frame it sees. Empty texts when a message carries none.
  static void SetCaller(CefRefPtr<CefProcessMessage> message, CefRefPtr<CefFrame> caller);
  static std::string GetCallerUrl(CefRefPtr<CefProcessMessage> message);
  static std::string GetCallerId(CefRefPtr<CefProcessMessage> message);
  static void ConvertToVellProcessMessage(CefRefPtr<CefProcessMessage> message, VellProcessMessage& out);
  void InterpretNativeProcessMessage(CefRefPtr<CefProcessMessage> message) { ConvertToVellProcessMessage(message, *this); }

  // Sends the record through `frame` when it is still there; otherwise logs and drops it.
  void SendProcessMessage(cef_process_id_t target, CefRefPtr<CefFrame> frame) const;

  // Render process: runs a broadcast's script in every usable frame, then
  // settles the page callback waiting for the record, if any. Returns true.
  static bool HandleReceivedProcessMessage(CefRefPtr<CefProcessMessage> message,
                                           const std::vector<CefRefPtr<CefFrame>>& frames);

  // The value as a T. On failure `error` is set and, with `recordFailure`,
  // the record carries "#ParseValue2JsonError" and the error's text.
  template <class T>
  T ParseValue(std::shared_ptr<VellError>& error, bool recordFailure) {
    T parsed = VellNlohmannJsonEnhance::Parse<T>(m_strValue, error);
    if (error && recordFailure) {
      m_strErrorCode = "#ParseValue2JsonError";
      m_strErrorMessage = error->GetErrorString();
    }
    return parsed;
  }

 private:
  std::string m_strMessageName;
  int m_nRequestId = -1;
  std::string m_strErrorCode;
  std::string m_strErrorMessage;
  std::string m_strValue;
  std::string m_strResponseValue;
  bool m_bIsBroadcast = false;
  std::string m_strBroadcastJsCode;
  CefRefPtr<CefV8Value> m_pSuccessCallback;
  CefRefPtr<CefV8Value> m_pErrorCallback;
  CefRefPtr<CefV8Value> m_pExtra;
};
