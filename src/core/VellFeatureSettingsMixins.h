#pragma once

#include "core/VellFeatureSettingsBase.h"

// Typed accessors with built-in defaults, one mixin per reading module.

template <class T>
class VellAppFeatureSettingsMixin : public VellFeatureSettingsBiz<T> {
 public:
  bool IsCefExtensionEnable() const { return this->IsFeatureEnable("IsCefExtensionEnable", true); }
  bool IsScrollStyleScriptEnable() const { return this->IsFeatureEnable("IsScrollStyleScriptEnable", true); }
  bool IsSingleProcessEnable() const { return this->IsFeatureEnable("IsSingleProcessEnable", false); }
  int RemoteDebuggingPort() const { return this->GetIntFeature("RemoteDebuggingPort", "0"); }
};

template <class T>
class VellSignalsWidgetMixin : public VellFeatureSettingsBiz<T> {
 public:
  int RenderProcessTerminatedLimit() const {
    return this->GetIntFeature("RenderProcessTerminatedLimit", "5");
  }
  bool ResetRenderProcessTerminatedCounterIfSuccess() const {
    return this->IsFeatureEnable("ResetRenderProcessTerminatedCounterIfSuccess", true);
  }
};

template <class T>
class VTimeItFeatureSettingsMixin : public VellFeatureSettingsBiz<T> {
 public:
  int ErrorTime() const { return this->GetIntFeature("ErrorTime", "10000"); }
  int WarnTime() const { return this->GetIntFeature("WarnTime", "0"); }
};

template <class T>
class VTimeItPinFeatureSettingsMixin : public VellFeatureSettingsBiz<T> {
 public:
  int ErrorTime() const { return this->GetIntFeature("ErrorTime", "10000"); }
  int WarnTime() const { return this->GetIntFeature("WarnTime", "10"); }
};
