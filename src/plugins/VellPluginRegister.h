#pragma once

#include <memory>

#include <QObject>

#include "base/VellError.h"
#include "core/VellFeatureSettingsBase.h"
#include "v8_api/VellV8PluginFactory.h"

// Fills a browser's factory with every plugin, module by module (Qt thread).
class VellPluginRegister : public VellFeatureSettingsBiz<VellPluginRegister> {
 public:
  // The module registers become Qt children of `owner`, the plugins theirs.
  static std::shared_ptr<VellError> Register(QObject* owner, VellV8PluginFactory* factory);
};
