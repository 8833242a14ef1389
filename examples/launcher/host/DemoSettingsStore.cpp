#include "host/DemoSettingsStore.h"

#include <algorithm>
#include <vector>

#include <QDir>

namespace {

const std::map<std::string, std::vector<nlohmann::json>>& Choices() {
  static const std::map<std::string, std::vector<nlohmann::json>> choices = {
      {"accent", {"violet", "teal", "amber", "rose"}},
      {"language", {"en-US", "fr-FR", "de-DE", "ja-JP"}},
      {"downloadLimitMBps", {0, 50, 200, 800}},
  };
  return choices;
}

bool SameKind(const nlohmann::json& a, const nlohmann::json& b) {
  if (a.is_number_integer()) return b.is_number_integer();
  return a.type() == b.type();
}

}  // namespace

DemoSettingsStore::DemoSettingsStore(const QString& folder)
    : m_file(folder + "/settings.json"), m_settings(Defaults()) {}

nlohmann::json DemoSettingsStore::Defaults() {
  return {{"accent", "violet"},
          {"language", "en-US"},
          {"downloadLimitMBps", 0},
          {"installDirectory", QDir::homePath().toStdString() + "/Games"},
          {"launchOnStartup", false},
          {"closeAfterGameStart", false},
          {"showToasts", true},
          {"autoUpdates", nlohmann::json::object()}};
}

QString DemoSettingsStore::Load() {
  m_bFirstLaunch = !m_file.Exists();
  nlohmann::json saved;
  const QString error = m_file.Load(saved);
  m_settings = Merge(Defaults(), saved);
  return error;
}

QString DemoSettingsStore::Save(const nlohmann::json& changes, const std::map<std::string, bool>& autoUpdates) {
  m_settings = Merge(m_settings, changes);
  for (const auto& [appCode, enabled] : autoUpdates) m_settings["autoUpdates"][appCode] = enabled;
  return m_file.Save(m_settings);
}

nlohmann::json DemoSettingsStore::Merge(const nlohmann::json& base, const nlohmann::json& changes) {
  nlohmann::json merged = base;
  if (!changes.is_object()) return merged;
  for (const auto& [key, value] : changes.items()) {
    if (_IsAllowed(key, value)) merged[key] = value;
  }
  return merged;
}

bool DemoSettingsStore::_IsAllowed(const std::string& key, const nlohmann::json& value) {
  const nlohmann::json defaults = Defaults();
  const auto known = defaults.find(key);
  if (known == defaults.end() || !SameKind(*known, value)) return false;
  if (key == "installDirectory") return !value.get<std::string>().empty();
  if (key == "autoUpdates") {
    return std::all_of(value.begin(), value.end(), [](const nlohmann::json& v) { return v.is_boolean(); });
  }
  const auto choices = Choices().find(key);
  if (choices == Choices().end()) return true;
  return std::find(choices->second.begin(), choices->second.end(), value) != choices->second.end();
}
