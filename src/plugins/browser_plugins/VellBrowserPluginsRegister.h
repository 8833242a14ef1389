#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the browser module.
class VellBrowserPluginsRegister : public QObject,
                                   public VellPluginRegisterInterface,
                                   public VellFeatureSettingsBiz<VellBrowserPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellBrowserPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
