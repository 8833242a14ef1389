#include "core/VellFeatureSettings.h"

#include "base/VellLoggerAgent.h"

const std::string VellFeatureSettings::FEATURE_ON = "ON";
const std::string VellFeatureSettings::FEATURE_OFF = "OFF";

bool VellFeatureSettings::Register(const std::string& module, bool bSilentIfRegistered) {
  if (m_mapModule.emplace(module, std::map<std::string, std::string>()).second) return true;
  if (bSilentIfRegistered) return false;
  const std::string message = "VellFeatureSettings::Register: module " + module + " has been registered";
  if (m_fnRegisterErrorCallback) {
    m_fnRegisterErrorCallback(module, message);
  } else {
    VellLog(3, message);
  }
  return false;
}

std::map<std::string, std::string> VellFeatureSettings::GetFeatureMap(const std::string& module) const {
  const auto it = m_mapModule.find(module);
  return it == m_mapModule.end() ? std::map<std::string, std::string>() : it->second;
}

void VellFeatureSettings::SetRegisterErrorCallback(RegisterErrorCallback callback) {
  m_fnRegisterErrorCallback = std::move(callback);
}

void VellFeatureSettings::LoadModuleTable(const ModuleTable& table) {
  for (const auto& [module, keys] : table) {
    auto& target = m_mapModule[module];
    for (const auto& [key, value] : keys) target[key] = value;
  }
}

VellFeatureSettings::ModuleTable VellFeatureSettings::JsonToMapModule(const nlohmann::json& json) {
  ModuleTable table;
  for (const auto& [module, keys] : json.items()) {
    auto& target = table[module];
    for (const auto& [key, value] : keys.items()) target[key] = value.get<std::string>();
  }
  return table;
}
