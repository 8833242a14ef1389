// The request models of every SDK action, read through the real plugins: the
// first byte picks the action (in name order), the rest is the payload as a
// page sent it. Any payload is either read into the model or refused with
// the parse error, and the call is answered at most once.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QtGlobal>

#include "CapturingFrame.h"
#include "plugins/VellActionNames.h"
#include "plugins/VellPluginRegister.h"
#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8PluginFactory.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Plugins {
  Plugins() { Require(VellPluginRegister::Register(&owner, &factory) == nullptr); }
  QObject owner;
  VellV8PluginFactory factory;
};

Plugins* g_plugins = nullptr;
std::vector<QString> g_actions;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  new QCoreApplication(*argc, *argv);
  g_plugins = new Plugins();
  g_actions = g_plugins->factory.ActionNames();
  Require(g_actions.size() == 58);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  VellProcessMessage call;
  call.SetMessageName(g_actions[data[0] % g_actions.size()].toStdString());
  call.SetRequestId(7);
  call.SetValue(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  CefRefPtr<CefProcessMessage> wire;
  VellProcessMessage::ConvertToArgumentList(call, wire);
  CefRefPtr<CapturingFrame> frame(new CapturingFrame());
  Require(g_plugins->factory.HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, wire));
  QCoreApplication::processEvents();
  const std::vector<VellProcessMessage> answers = frame->Sent();
  Require(answers.size() <= 1);
  for (const auto& answer : answers) {
    Require(answer.GetRequestId() == 7);
    Require(answer.GetErrorCode().empty() || answer.GetErrorCode() == VellActionNames::kParseValue2JsonError);
  }
  return 0;
}
