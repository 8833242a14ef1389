#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the ui module.
class VellUiPluginsRegister : public QObject,
                              public VellPluginRegisterInterface,
                              public VellFeatureSettingsBiz<VellUiPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellUiPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
