#include "v8_api/VellV8PluginFactory.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "v8_api/VellProcessMessage.h"

namespace {

constexpr size_t kShownNameBytes = 120;

}  // namespace

std::shared_ptr<VellError> VellV8PluginFactory::Register(const QString& actionName, VellV8ApiPluginInterface* plugin) {
  if (m_mapPlugin.count(actionName)) {
    return std::make_shared<VellError>(
        fmt::format("unable to register plugin twice. actionName = {}", actionName.toStdString()), __FILE__, __LINE__,
        "VellV8PluginFactory::Register");
  }
  // Not adopted: the plugin's Qt owner deletes it.
  std::shared_ptr<VellV8ApiPluginInterface> reference(plugin, [](VellV8ApiPluginInterface*) {});
  auto* object = dynamic_cast<QObject*>(plugin);
  m_mapPlugin.emplace(actionName, Entry{reference, QPointer<QObject>(object), object != nullptr});
  return nullptr;
}

std::shared_ptr<VellError> VellV8PluginFactory::UnRegister(const QString& actionName) {
  if (m_mapPlugin.erase(actionName)) return nullptr;
  return std::make_shared<VellError>(
      fmt::format("unable to unregister plugin due to not found. actionName = {}", actionName.toStdString()), __FILE__,
      __LINE__, "VellV8PluginFactory::UnRegister");
}

std::shared_ptr<VellV8ApiPluginInterface> VellV8PluginFactory::Plugin(const QString& actionName) const {
  const auto it = m_mapPlugin.find(actionName);
  if (it == m_mapPlugin.end()) return nullptr;
  const Entry& entry = it->second;
  return entry.isQtObject && !entry.guard ? nullptr : entry.plugin;
}

bool VellV8PluginFactory::HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                      cef_process_id_t sourceProcess,
                                                      CefRefPtr<CefProcessMessage> message) {
  const auto plugin = Plugin(QString::fromStdString(message->GetName().ToString()));
  if (!plugin) return false;
  VellProcessMessage record;
  VellProcessMessage::ConvertToVellProcessMessage(message, record);
  plugin->HandleFromCefProcessMessage(browser, frame, sourceProcess, record);
  return true;
}

void VellV8PluginFactory::RejectUnserved(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
  VellProcessMessage record;
  VellProcessMessage::ConvertToVellProcessMessage(message, record);
  record.SetErrorCode(kActionNotFound);
  record.SetErrorMessage(fmt::format("no plugin serves the action {}", QuotedActionName(record.GetMessageName())));
  record.SetValue(std::string());  // the payload does not travel back
  record.SendProcessMessage(PID_RENDERER, frame);
}

// JSON quoting shows control characters (NUL among them) as escapes; a cut
// in the middle of a character becomes U+FFFD.
std::string VellV8PluginFactory::QuotedActionName(const std::string& name) {
  const bool shortened = name.size() > kShownNameBytes;
  const std::string shown = shortened ? name.substr(0, kShownNameBytes) : name;
  std::string quoted = nlohmann::json(shown).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return shortened ? fmt::format("{}... ({} bytes)", quoted, name.size()) : quoted;
}

std::vector<QString> VellV8PluginFactory::ActionNames() const {
  std::vector<QString> names;
  for (const auto& entry : m_mapPlugin) names.push_back(entry.first);
  return names;
}
