#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the account module.
class VellAccountPluginsRegister : public QObject,
                                   public VellPluginRegisterInterface,
                                   public VellFeatureSettingsBiz<VellAccountPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellAccountPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
