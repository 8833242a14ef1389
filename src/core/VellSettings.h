#pragma once

#include <functional>
#include <map>
#include <string>

#include <QString>

#include "include/internal/cef_types_wrappers.h"
#include "utils/VellAutoSingleton.h"

// The settings the runtime is initialised with in the launcher process, and a
// feature-settings table the launcher can read and change. Built and changed
// on the launcher's main thread before initialisation; changes made after
// that do not reach the runtime.
class VellSettings : public VellAutoSingleton<VellSettings> {
  friend class VellAutoSingleton<VellSettings>;

 public:
  using FeatureTable = std::map<std::string, std::map<std::string, std::string>>;

  const CefSettings& GetNativeCefSettings() const { return m_cefSettings; }
  void ModifyNativeCefSettings(std::function<void(CefSettings&)> fn) { fn(m_cefSettings); }

  const FeatureTable& GetVellFeatureSettings() const { return m_mapFeatureSettings; }
  void ModifyVellFeatureSettings(std::function<void(FeatureTable&)> fn) { fn(m_mapFeatureSettings); }

 protected:
  VellSettings();

 private:
  void _InitializeSettings();
  void _InitializeCefNativeSettings();
  void _InitializeVellFeatureSettings();
  // The current directory with "data/Cache/CefWebCache" appended directly (no
  // separator is inserted).
  static QString _GetDefaultWebCachePath();

  CefSettings m_cefSettings;
  FeatureTable m_mapFeatureSettings;
};
