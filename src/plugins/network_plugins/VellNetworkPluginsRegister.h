#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the network module.
class VellNetworkPluginsRegister : public QObject,
                                   public VellPluginRegisterInterface,
                                   public VellFeatureSettingsBiz<VellNetworkPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellNetworkPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
