#pragma once

#include <functional>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "utils/VellAutoSingleton.h"

// Process-wide registry of feature settings: module name ("class VellApp") ->
// key -> value. A flag is on exactly when its value is "ON".
// No lock of its own: filled and read on the thread that builds the reading
// objects (the Qt thread in the launcher, the render thread in a render process).
class VellFeatureSettings : public VellAutoSingleton<VellFeatureSettings> {
  friend class VellAutoSingleton<VellFeatureSettings>;

 public:
  using ModuleTable = std::map<std::string, std::map<std::string, std::string>>;
  using RegisterErrorCallback = std::function<void(const std::string&, const std::string&)>;

  static const std::string FEATURE_ON;
  static const std::string FEATURE_OFF;

  // Returns true when the module was new.
  bool Register(const std::string& module, bool bSilentIfRegistered);
  std::map<std::string, std::string> GetFeatureMap(const std::string& module) const;
  void SetRegisterErrorCallback(RegisterErrorCallback callback);

  // Puts the keys of every module of `table` into the registry (registering
  // modules that are new), replacing values of keys that are already there.
  // Readers take a snapshot when they are built: load before building them.
  void LoadModuleTable(const ModuleTable& table);

  // {"class VellApp": {"IsLogEnable": "ON"}} -> table. A value that is not a
  // JSON string throws the JSON library's type error.
  static ModuleTable JsonToMapModule(const nlohmann::json& json);

 protected:
  VellFeatureSettings() = default;

 private:
  ModuleTable m_mapModule;
  RegisterErrorCallback m_fnRegisterErrorCallback;
};
