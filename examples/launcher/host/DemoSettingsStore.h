#pragma once

#include <map>
#include <string>

#include <QString>
#include <nlohmann/json.hpp>

#include "host/DemoJsonFile.h"

// The user's launcher settings, kept in settings.json of the user's config
// folder. Every key always has a valid value: the defaults, then what the
// file holds, then what the pages save, each taken only where it fits.
class DemoSettingsStore {
 public:
  explicit DemoSettingsStore(const QString& folder);

  // Reads the file. Empty on success, else why the defaults are used.
  QString Load();
  // No settings file existed when Load ran.
  bool IsFirstLaunch() const { return m_bFirstLaunch; }
  const nlohmann::json& Settings() const { return m_settings; }
  // Where an unreadable settings file was kept before it was replaced.
  const QString& AsidePath() const { return m_file.AsidePath(); }

  // Takes what fits from `changes` and the games' auto-update choices, then
  // saves. Empty on success, else why not (the settings in memory changed).
  QString Save(const nlohmann::json& changes, const std::map<std::string, bool>& autoUpdates);

  static nlohmann::json Defaults();
  // `base` with every key of `changes` that the defaults know and whose
  // value is allowed.
  static nlohmann::json Merge(const nlohmann::json& base, const nlohmann::json& changes);

 private:
  static bool _IsAllowed(const std::string& key, const nlohmann::json& value);

  DemoJsonFile m_file;
  nlohmann::json m_settings;
  bool m_bFirstLaunch = true;
};
