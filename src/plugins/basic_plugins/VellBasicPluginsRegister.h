#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the basic module.
class VellBasicPluginsRegister : public QObject,
                                 public VellPluginRegisterInterface,
                                 public VellFeatureSettingsBiz<VellBasicPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellBasicPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
