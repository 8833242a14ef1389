#pragma once

#include <QObject>

#include "core/VellFeatureSettingsBase.h"
#include "plugins/VellPluginRegisterInterface.h"

// Registers the plugins of the dataAnalysis module.
class VellDataAnalysisPluginsRegister : public QObject,
                                        public VellPluginRegisterInterface,
                                        public VellFeatureSettingsBiz<VellDataAnalysisPluginsRegister> {
  Q_OBJECT

 public:
  explicit VellDataAnalysisPluginsRegister(QObject* parent) : QObject(parent) {}
  std::shared_ptr<VellError> Register(VellV8PluginFactory* factory) override;
};
