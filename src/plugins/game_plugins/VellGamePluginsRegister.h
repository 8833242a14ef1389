#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the game module.
class VellGamePluginsRegister : public QObject,
                                public VellPluginRegisterInterface,
                                public VellFeatureSettingsBiz<VellGamePluginsRegister> {
  Q_OBJECT

 public:
  explicit VellGamePluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
