#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the settings module.
class VellSettingsPluginsRegister : public QObject,
                                    public VellPluginRegisterInterface,
                                    public VellFeatureSettingsBiz<VellSettingsPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellSettingsPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
