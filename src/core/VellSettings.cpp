#include "core/VellSettings.h"

#include <QDir>

VellSettings::VellSettings() { _InitializeSettings(); }

void VellSettings::_InitializeSettings() {
  _InitializeCefNativeSettings();
  _InitializeVellFeatureSettings();
}

void VellSettings::_InitializeCefNativeSettings() {
  m_cefSettings = CefSettings();
  CefString(&m_cefSettings.locale) = "en-US";
  m_cefSettings.ignore_certificate_errors = 1;
  m_cefSettings.multi_threaded_message_loop = 1;
  m_cefSettings.background_color = CefColorSetARGB(0xFF, 0x0F, 0x10, 0x11);
  m_cefSettings.log_severity = LOGSEVERITY_ERROR;
  m_cefSettings.windowless_rendering_enabled = 0;
  CefString(&m_cefSettings.cache_path) = _GetDefaultWebCachePath().toStdString();
  m_cefSettings.no_sandbox = 1;
}

void VellSettings::_InitializeVellFeatureSettings() {
  m_mapFeatureSettings.clear();
  m_mapFeatureSettings["class VellApp"] = {
      {"IsLogEnable", "ON"},
      {"IsScrollStyleScriptEnable", "ON"},
      {"IsCefExtensionEnable", "ON"},
      {"IsSingleProcessEnable", "OFF"},
  };
}

QString VellSettings::_GetDefaultWebCachePath() {
  return QDir::currentPath() + "data/Cache/CefWebCache";
}
