#pragma once

#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

#include "core/VellFeatureSettings.h"

// Reads the feature settings of module T. The module's table is copied from
// the registry when the object is built; later registry changes do not reach it.
template <class T>
class VellFeatureSettingsBase {
 protected:
  VellFeatureSettingsBase() {
    VellFeatureSettings::Instance()->Register(GetModuleName(), true);
    m_mapFeature = VellFeatureSettings::Instance()->GetFeatureMap(GetModuleName());
  }

  // "class " followed by T's name, e.g. "class VellApp".
  static const char* GetModuleName() {
    static const std::string name = "class " + _TypeName();
    return name.c_str();
  }

  bool GetFeature(std::string& out, const std::string& key, const std::string& defaultValue) const {
    const auto it = m_mapFeature.find(key);
    if (it == m_mapFeature.end()) {
      out = defaultValue;
      return false;
    }
    out = it->second;
    return true;
  }

  bool IsFeatureEnable(bool& out, const std::string& key, const bool& defaultValue) const {
    const auto it = m_mapFeature.find(key);
    if (it == m_mapFeature.end()) {
      out = defaultValue;
      return false;
    }
    out = it->second == VellFeatureSettings::FEATURE_ON;
    return true;
  }

  bool IsFeatureEnable(const std::string& key, bool defaultValue) const {
    bool enabled = defaultValue;
    IsFeatureEnable(enabled, key, defaultValue);
    return enabled;
  }

  // The value converted as std::stoi does (leading number, trailing text
  // ignored); -1 with a line on standard error when there is no number or it
  // does not fit in int.
  int GetIntFeature(const std::string& key, const std::string& defaultValue) const {
    std::string text;
    GetFeature(text, key, defaultValue);
    try {
      return std::stoi(text);
    } catch (const std::invalid_argument& e) {
      std::cerr << "Invalid argument: " << e.what() << std::endl;
    } catch (const std::out_of_range& e) {
      std::cerr << "Out of range: " << e.what() << std::endl;
    } catch (...) {
      std::cerr << "An unknown exception occurred." << std::endl;
    }
    return -1;
  }

 private:
  // The name of T as the compiler spells it in this function's signature.
  static std::string _TypeName() {
    const std::string signature = __PRETTY_FUNCTION__;
    const std::string marker = "T = ";
    const auto start = signature.find(marker) + marker.size();
    const auto end = signature.find_first_of(";]", start);
    return signature.substr(start, end - start);
  }

  std::map<std::string, std::string> m_mapFeature;
};

// Adds the logging switch that every module has.
template <class T>
class VellFeatureSettingsBiz : public VellFeatureSettingsBase<T> {
 public:
  bool IsLogEnable() const { return this->IsFeatureEnable("IsLogEnable", false); }
};
