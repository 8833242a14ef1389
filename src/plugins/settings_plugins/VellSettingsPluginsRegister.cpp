#include "plugins/settings_plugins/VellSettingsPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellSettingsPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellSettingsPluginsRegister failed.", "VellSettingsPluginsRegister::Register");
}
